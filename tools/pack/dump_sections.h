// dump_sections.h: what the dump has read from a game data file, and the printers of
// its chunk table and of each chunk's section.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/chunk.h"
#include "data/game_data.h"

// A name of a VARI or FUNC record and the number of references it claims.
struct ChainName
{
	std::string name;
	uint32_t count;
};

struct DumpState
{
	GameData game;
	std::vector<Chunk> chunks;
	std::optional<Chunk> cut_chunk; // a chunk whose body the end of the file cuts off
	std::set<uint64_t> damaged; // chunk starts whose reading failed
	std::map<uint64_t, int> errors_in;
	std::vector<std::string> errors;
	// Names of the operands of the code, by the instruction's offset in the file.
	std::unordered_map<uint64_t, std::string> variable_at, function_at;
	std::vector<ChainName> variable_names, function_names;
	std::string out;

	// Records damage in a chunk; past a few errors per chunk the rest are counted only.
	void error(const Chunk &chunk, uint64_t offset, const std::string &message);
};

void print_chunk_table(DumpState &s);
void print_chunk_section(DumpState &s, const Chunk &chunk);
// The code section: every code entry with its listing.
void print_code(DumpState &s, const Chunk &chunk);
