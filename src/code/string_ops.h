// string_ops.h: the string operations of game code on UTF-8 text. Positions are
// 1-based character positions; positions and counts outside the text are
// clamped to it, so every operation stays within the text it is given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The character at `pos`; positions below 1 count as 1, past the end give "".
std::string text_char_at(std::string_view s, int64_t pos);
// The byte at `pos` as a one-byte text; below 1 counts as 1, past the end "".
std::string text_byte_at(std::string_view s, int64_t pos);
// Up to `count` characters from `pos` (below 1 counts as 1), cut at the end of
// the text; "" for a negative count or a position past the end.
std::string text_copy(std::string_view s, int64_t pos, int64_t count);
// The text without `count` characters from `pos` (below 1 counts as 1); a count
// past the end deletes to the end; nothing changes for a count below 1 or a
// position past the end.
std::string text_delete(std::string_view s, int64_t pos, int64_t count);
// `sub` inserted before the character at `pos`: below 1 inserts at the start,
// past the end appends.
std::string text_insert(std::string_view sub, std::string_view s, int64_t pos);

// The character position of the first `sub` in `s`; 0 when absent or either is
// empty.
int64_t text_pos(std::string_view sub, std::string_view s);
// The occurrences of `sub` in `s`, overlapping ones included; 0 for an empty sub.
int64_t text_count(std::string_view sub, std::string_view s);

// The first (or every, left to right) `sub` replaced by `with`; an empty sub
// replaces nothing.
std::string text_replace(std::string_view s, std::string_view sub, std::string_view with, bool all);

// ASCII case mapping; bytes of 128 and above (UTF-8 sequences) are kept as they are.
std::string text_lower(std::string_view s);
std::string text_upper(std::string_view s);

// Only the bytes kept by the filter: letters A-Z a-z, digits 0-9, or both.
std::string text_keep(std::string_view s, bool letters, bool digits);

// `x` with `decimals` digits after the point, right-aligned in `total` columns;
// both clamped to 0 .. 1000.
std::string text_format_real(double x, int64_t total, int64_t decimals);
