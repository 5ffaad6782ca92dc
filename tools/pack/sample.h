// sample.h: a tiny built-in game for trying the Runner without a project.
#pragma once

#include <cstdint>
#include <vector>

std::vector<uint8_t> build_sample_game();
