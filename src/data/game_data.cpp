// game_data.cpp: string look-ups in the loaded game data.
#include "data/game_data.h"

std::string_view GameData::string_by_index(uint32_t index) const
{
	if (index >= strings.size())
		throw DataError(0, "string index " + std::to_string(index) + " is past the string table (" +
		                       std::to_string(strings.size()) + " strings)");
	return file().string((uint64_t)strings[index] + 4);
}

std::string GameData::game_name() const
{
	if (header.name == 0)
		return {};
	return std::string(file().string(header.name));
}
