// code_ranges.cpp: the bytecode ranges of the code entries.
#include "data/code_ranges.h"

#include <algorithm>

std::vector<CodeRange> code_ranges(const GameData &game, const ByteReader &file)
{
	std::vector<CodeRange> ranges;
	for (uint32_t entry : game.code_entries) {
		if (entry == 0)
			continue;
		uint64_t start = (uint64_t)entry + 8;
		uint32_t length = file.u32((uint64_t)entry + 4);
		file.check(start, length, "a code entry's bytecode");
		ranges.push_back({start, start + length});
	}
	std::sort(ranges.begin(), ranges.end(), [](const CodeRange &a, const CodeRange &b) { return a.start < b.start; });
	return ranges;
}

bool inside_code(const std::vector<CodeRange> &ranges, int64_t at)
{
	if (at < 0)
		return false;
	auto it = std::upper_bound(ranges.begin(), ranges.end(), (uint64_t)at,
	                           [](uint64_t offset, const CodeRange &r) { return offset < r.start; });
	if (it == ranges.begin())
		return false;
	--it;
	return (uint64_t)at >= it->start && (uint64_t)at + 8 <= it->end;
}
