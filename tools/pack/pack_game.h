// pack_game.h: builds a game data file from a project folder: reads it,
// compiles its code, packs its images and writes every chunk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PackOptions
{
	bool bytecode = true; // false: code as source text, no CODE chunk
};

// The bytes of the game data file; false with a message naming the file and
// the place of the first fault.
bool pack_project(const std::string &folder, const PackOptions &options, std::vector<uint8_t> &out,
                  std::string &error);

// Packs and writes the file atomically: a failed pack leaves no file behind.
bool pack_project_to_file(const std::string &folder, const PackOptions &options, const std::string &path,
                          std::string &error);
