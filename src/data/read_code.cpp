// read_code.cpp: the main walk's CODE reader: one CCode per code entry, with
// its name, its bytecode inside the chunk, the texts its string operands name,
// and the line table and source of the debug-information file.
#include "code/vm/code.h"
#include "common/console.h"
#include "data/readers.h"

namespace {

std::shared_ptr<StringTexts> string_texts(const GameData &game)
{
	auto texts = std::make_shared<StringTexts>();
	texts->texts.resize(game.strings.size());
	for (uint32_t i = 0; i < game.strings.size(); i++) {
		try {
			texts->texts[i] = game.string_by_index(i);
		} catch (const DataError &) {
			// A damaged string stays null; an operand naming it is malformed.
		}
	}
	return texts;
}

// The line table and source of code index i, when the debug file has them. A
// damaged entry is left out: error reports then show no source line.
void attach_debug_info(const GameData &game, CCode &code, size_t i)
{
	ByteReader debug = game.debug_block.file();
	try {
		if (i < game.debug_info.size() && game.debug_info[i] != 0) {
			uint32_t at = game.debug_info[i];
			uint32_t count = debug.u32(at);
			debug.check((uint64_t)at + 4, (uint64_t)count * 8, "a line table");
			code.line_table.reserve(count);
			for (uint32_t k = 0; k < count; k++)
				code.line_table.push_back({debug.u32(at + 4 + 8ull * k), debug.u32(at + 8 + 8ull * k)});
		}
		if (i < game.script_sources.size() && game.script_sources[i] != 0) {
			uint32_t text = debug.u32(game.script_sources[i]);
			if (text != 0)
				code.source = std::string(debug.string(text));
		}
	} catch (const DataError &) {
		code.line_table.clear();
		code.source.clear();
	}
}

} // namespace

bool read_code_strings(GameData &game, const Chunk &chunk, const std::vector<uint32_t> &)
{
	ByteReader file = game.file();
	std::shared_ptr<StringTexts> texts = string_texts(game);
	game.code_strings = texts;
	game.codes.clear();
	game.codes.reserve(game.code_entries.size());
	uint64_t chunk_end = chunk.body + chunk.size;
	for (size_t i = 0; i < game.code_entries.size(); i++) {
		auto code = std::make_shared<CCode>();
		code->index = (int32_t)i;
		code->strings = texts;
		uint32_t entry = game.code_entries[i];
		if (entry != 0) {
			if (entry < chunk.body || entry + 8ull > chunk_end)
				throw DataError(entry, "code entry " + std::to_string(i) + " lies outside the CODE chunk");
			uint32_t name = file.u32(entry);
			if (name != 0)
				code->name = std::string(file.string(name));
			uint32_t length = file.u32(entry + 4);
			if (entry + 8ull + length > chunk_end)
				throw DataError(entry + 4, "the bytecode of code entry " + std::to_string(i) + " (" +
				                               std::to_string(length) + " bytes) runs past the CODE chunk");
			code->kind = CODE_STATEMENTS;
			code->compiled = true;
			code->buffer.length = length;
			code->buffer.words = game.block.bytes.data() + entry + 8;
			attach_debug_info(game, *code, i);
			// Checked now so that a damaged piece is named at load; it is decoded
			// again when it first runs, after the function ids are bound.
			const Program &program = code->program();
			if (!program.error.empty())
				dbg_console().Output("Code %s is malformed: %s\n", code->name.c_str(), program.error.c_str());
			code->forget_program();
		}
		game.codes.push_back(std::move(code));
	}
	return true;
}
