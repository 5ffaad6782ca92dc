// dump.h: `zentrix-pack dump`: the listing of a game data file: its chunks, its
// resources by kind and its code disassembled.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DumpReport
{
	std::string text;                // the listing
	std::vector<std::string> errors; // each damaged place: the chunk, its offset and what is wrong
};

// Lists any game data file. Damage never stops the listing: each fault is reported
// with its chunk and offset, and the other chunks are still listed. The resources are
// read by the Runner's own readers, so the process-wide resource tables are replaced.
DumpReport dump_game_file(std::vector<uint8_t> bytes);

// `zentrix-pack dump FILE`: the listing on standard output, each damaged place on
// standard error. Returns the exit code: 0, or 1 when the file is unreadable or damaged.
int dump_command(const std::string &path);
