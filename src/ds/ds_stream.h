// ds_stream.h: the little-endian binary stream behind the written forms of
// stacks, queues, lists, priority queues and grids, carried as hexadecimal text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "code/value.h"

// The kind tags at the start of each written form.
constexpr int32_t DS_TAG_STACK = 101;
constexpr int32_t DS_TAG_QUEUE = 201;
constexpr int32_t DS_TAG_LIST = 301;
constexpr int32_t DS_TAG_PRIORITY = 501;
constexpr int32_t DS_TAG_GRID = 601;

// The smallest written element: kind, real and an empty string.
constexpr size_t DS_ELEMENT_MIN_BYTES = 16;

class DsWriter
{
public:
	void put_i32(int32_t v);
	void put_f64(double v);
	// kind, real, string (length then bytes).
	void put_element(const Value &v);
	// Two upper-case hexadecimal digits per byte, high nibble first.
	std::string hex() const;

private:
	std::vector<uint8_t> m_bytes;
};

// Reads a written form. Every read checks what is left; the first failure
// stores a message and every later read fails too.
class DsReader
{
public:
	// Decodes the text; a character that is not a hexadecimal digit, or an odd
	// count of digits, makes the reader fail at once.
	explicit DsReader(std::string_view text);

	bool ok() const { return m_error.empty(); }
	const std::string &error() const { return m_error; }
	size_t remaining() const { return m_bytes.size() - m_pos; }

	bool get_i32(int32_t &v);
	bool get_f64(double &v);
	bool get_element(Value &v);
	// A count of elements that must still fit in what is left, each taking at
	// least min_bytes.
	bool get_count(int32_t &count, size_t min_bytes, const char *what);
	// Checks that n items of at least min_bytes each can still follow.
	bool expect(uint64_t n, size_t min_bytes, const char *what);
	void fail(std::string message);

private:
	std::vector<uint8_t> m_bytes;
	size_t m_pos = 0;
	std::string m_error;
};

// The value of one hexadecimal digit (either case), or -1.
int ds_hex_digit(char c);

// The written form shared by stacks and lists: the tag, the count, then the
// elements in order.
std::string ds_write_sequence(int32_t tag, const std::vector<Value> &items);
// Reads that form; on a bad text gives the reason and leaves items unchanged.
// `kind` names the structure in the error ("list", "stack").
bool ds_read_sequence(std::string_view text, int32_t tag, const char *kind, std::vector<Value> &items,
                      std::string &error);
