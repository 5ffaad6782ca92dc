// readers.h: the chunk readers of the main walk, one per tag of chunks.def.
// Each takes the game, the chunk and, for chunks whose body starts with a list of
// offsets, that list already checked; it returns false when the chunk is bad
// (a DataError thrown from a reader is reported the same way, with its offset).
#pragma once

#include <vector>

#include "data/chunk.h"
#include "data/game_data.h"

using ChunkReader = bool (*)(GameData &game, const Chunk &chunk, const std::vector<uint32_t> &list);

#define CHUNK(name, relocate, reader) bool reader(GameData &game, const Chunk &chunk, const std::vector<uint32_t> &list);
#include "data/chunks.def"
#undef CHUNK

// The first pass's part of the header: strings, configuration name, window size.
void read_header_early(GameData &game, const Chunk &chunk);

// First pass, CODE: marks that the game carries bytecode and keeps the checked
// list of code entries.
void read_code_entries(GameData &game, const Chunk &chunk);

// First pass, VARI: binds the variable references of the code. A name without an
// id shows the load error and ends the process with exit code 1; a chain that
// leaves the code's bytecode throws DataError.
bool bind_variable_references(GameData &game, const Chunk &chunk);

// The main walk's start: every resource list emptied and the options set back to
// their defaults.
void reset_resources(GameData &game);

// Hands the options that steer other modules (error display and abort, reads of
// unset variables) to them.
void apply_game_options(const GameOptions &options);
