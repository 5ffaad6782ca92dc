// read_util.h: checked pieces shared by the resource chunk readers: strings
// that may be absent, code references, action lists and counted arrays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/game_data.h"
#include "data/resources.h"

// The text at a string field's offset, or an empty text for 0.
std::string read_optional_string(const ByteReader &file, uint64_t field);
// The text at a string field's offset; 0 is an error.
std::string read_string_field(const ByteReader &file, uint64_t field, const char *what);

// A code reference field: with bytecode an index into the code entries (-1
// none; any other index must name an entry), otherwise a source text.
CodeRef read_code_ref(const GameData &game, uint64_t field);

// An action list at `offset`: only the first action is read (its code index at
// 32 with bytecode, its source text at 60 otherwise). An empty list gives no code.
CodeRef read_action_list(const GameData &game, uint64_t offset);

// A list of offsets at `offset` (u32 count, then the offsets), inside the file.
std::vector<uint32_t> read_list_at(const ByteReader &file, uint64_t offset, const char *what);

// Checks that `count` records of `size` bytes fit in the file from `offset`, so
// a huge count fails before anything is allocated.
void check_count(const ByteReader &file, uint64_t offset, uint64_t count, uint64_t size, const char *what);

// The writers' counterpart of a code reference: an index with bytecode, else a
// string.
class ChunkBuilder;
void write_code_ref(ChunkBuilder &c, const CodeRef &code, bool bytecode);
// Writes an action list of one action holding the code, or an empty list when
// the code is empty.
void write_action_list(ChunkBuilder &c, const CodeRef &code, bool bytecode);
// Writes a resource list of `count` slots; returns the body offset of the first.
size_t write_list_slots(ChunkBuilder &c, size_t count);
// Points slot `i` of a list (first slot at `slots`) at the current position.
void point_slot_here(ChunkBuilder &c, size_t slots, size_t i);
