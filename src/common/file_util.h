// file_util.h: whole-file reads and atomic writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

bool file_exists(const std::string &path);

// Reads a whole regular file; false with the reason on failure.
bool read_file(const std::string &path, std::vector<uint8_t> &out, std::string &error);

// Writes through a temporary file in the same folder, then renames it over the
// target, so that a failure never leaves a partial file behind.
bool write_file_atomic(const std::string &path, const void *data, size_t size, std::string &error);
