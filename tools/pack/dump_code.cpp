// dump_code.cpp: the code section of the dump: each code entry with its name and
// size, then its instructions, with variables and functions named through the VARI
// and FUNC chains and string operands as their texts.
#include <cstdio>

#include "code/vm/disassemble.h"
#include "code/vm/program.h"
#include "dump_sections.h"

namespace {

// The texts of the string table; a damaged string stays null and is shown so.
StringTexts string_texts(const GameData &game)
{
	StringTexts texts;
	texts.texts.resize(game.strings.size());
	for (uint32_t i = 0; i < game.strings.size(); i++) {
		try {
			texts.texts[i] = game.string_by_index(i);
		} catch (const DataError &) {
		}
	}
	return texts;
}

} // namespace

void print_code(DumpState &s, const Chunk &chunk)
{
	ByteReader file = s.game.file();
	StringTexts texts = string_texts(s.game);
	const std::vector<uint32_t> &entries = s.game.code_entries;
	char line[160];
	snprintf(line, sizeof line, "  %zu code entries\n", entries.size());
	s.out += line;
	uint64_t chunk_end = chunk.body + chunk.size;
	for (size_t i = 0; i < entries.size(); i++) {
		uint32_t entry = entries[i];
		if (entry == 0)
			continue;
		try {
			if (entry < chunk.body || entry + 8ull > chunk_end)
				throw DataError(entry, "code entry " + std::to_string(i) + " lies outside the CODE chunk");
			uint32_t name_at = file.u32(entry);
			std::string name = name_at ? std::string(file.string(name_at)) : std::string();
			uint32_t length = file.u32(entry + 4);
			if (entry + 8ull + length > chunk_end)
				throw DataError(entry + 4, "the bytecode of code entry " + std::to_string(i) + " (" +
				                               std::to_string(length) + " bytes) runs past the CODE chunk");
			uint64_t start = entry + 8ull;
			snprintf(line, sizeof line, "\n  code %zu %s: %u bytes at offset %llu\n", i, name.c_str(), length,
			         (unsigned long long)start);
			s.out += line;
			DisassemblyNames names;
			names.strings = &texts;
			auto lookup = [start](const std::unordered_map<uint64_t, std::string> &at) {
				return [&at, start](uint32_t pc, uint32_t) -> std::optional<std::string> {
					auto it = at.find(start + pc);
					if (it == at.end())
						return std::nullopt;
					return it->second;
				};
			};
			names.variable = lookup(s.variable_at);
			names.function = lookup(s.function_at);
			std::string listing = disassemble(file.data() + start, length, names);
			size_t from = 0;
			while (from < listing.size()) {
				size_t to = listing.find('\n', from);
				if (to == std::string::npos)
					to = listing.size();
				s.out += "    " + listing.substr(from, to - from) + "\n";
				from = to + 1;
			}
		} catch (const DataError &e) {
			s.error(chunk, e.offset(), e.what());
		}
	}
}
