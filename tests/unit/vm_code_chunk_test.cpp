// vm_code_chunk_test.cpp: code pieces from a data file: the CODE chunk's
// entries, variable and function ids bound through the VARI and FUNC chains,
// line tables and sources from the debug-information file, damaged entries.
#include <map>

#include "code/errors.h"
#include "code/vm/assembler.h"
#include "data/walk.h"
#include "data/writer.h"
#include "test_util.h"
#include "vm_fixture.h"

namespace {

struct Piece
{
	std::string name;
	std::string text;
};

// Patches the low bits of the operand word of the instruction at `at`.
void set_operand(std::vector<uint8_t> &bytes, uint32_t at, uint32_t value, uint32_t keep_mask)
{
	uint32_t w = 0;
	for (int i = 0; i < 4; i++)
		w |= (uint32_t)bytes[at + 4 + i] << (8 * i);
	w = (w & keep_mask) | (value & ~keep_mask);
	for (int i = 0; i < 4; i++)
		bytes[at + 4 + i] = (uint8_t)(w >> (8 * i));
}

// One chain record per name, linking every use in file order.
void write_chains(DataFileWriter &w, const char *tag, size_t code_chunk,
                  const std::map<std::string, std::vector<uint32_t>> &uses)
{
	ChunkBuilder &chunk = w.chunk(tag);
	for (const auto &[name, offsets] : uses) {
		chunk.string_ref(name);
		chunk.u32((uint32_t)offsets.size());
		chunk.ref_to(code_chunk, offsets[0]);
	}
}

// A data file whose CODE chunk holds the pieces, with VARI and FUNC chains for
// every variable and function they name.
std::vector<uint8_t> build_file(const std::vector<Piece> &pieces, std::string *error)
{
	DataFileWriter w;
	GameHeader h;
	h.major_version = 8;
	write_header(w, h, "Game", "Default");
	std::vector<Assembly> assembled;
	for (const Piece &p : pieces) {
		assembled.push_back(assemble(p.text));
		if (!assembled.back().error.empty())
			*error = assembled.back().error;
	}
	// Body layout: count, offsets, then each entry (name, length, bytecode).
	std::vector<uint32_t> entry_at;
	uint32_t at = 4 + 4 * (uint32_t)pieces.size();
	for (const Assembly &a : assembled) {
		entry_at.push_back(at);
		at += 8 + (uint32_t)a.bytes.size();
	}
	std::map<std::string, std::vector<uint32_t>> vars, funcs;
	for (size_t i = 0; i < assembled.size(); i++) {
		for (const auto &r : assembled[i].variables)
			vars[r.name].push_back(entry_at[i] + 8 + r.at);
		for (const auto &r : assembled[i].functions)
			funcs[r.name].push_back(entry_at[i] + 8 + r.at);
	}
	// Each operand holds the distance to the next use of its name.
	auto link = [&](const std::map<std::string, std::vector<uint32_t>> &uses, uint32_t keep) {
		for (const auto &[name, offsets] : uses)
			for (size_t k = 0; k < offsets.size(); k++) {
				uint32_t distance = k + 1 < offsets.size() ? offsets[k + 1] - offsets[k] : 0;
				for (size_t i = 0; i < assembled.size(); i++)
					if (offsets[k] >= entry_at[i] + 8 && offsets[k] < entry_at[i] + 8 + assembled[i].bytes.size())
						set_operand(assembled[i].bytes, offsets[k] - entry_at[i] - 8, distance, keep);
			}
	};
	link(vars, 0xE0000000);
	link(funcs, 0);
	// String operands index the file's string table.
	for (Assembly &a : assembled)
		for (size_t k = 0; k < a.strings.size(); k++)
			set_operand(a.bytes, a.string_operands[k], w.string_id(a.strings[k]), 0);
	ChunkBuilder &code = w.chunk("CODE");
	code.u32((uint32_t)pieces.size());
	for (uint32_t e : entry_at)
		code.ref(e);
	for (size_t i = 0; i < pieces.size(); i++) {
		code.string_ref(pieces[i].name);
		code.u32((uint32_t)assembled[i].bytes.size());
		code.bytes(assembled[i].bytes.data(), assembled[i].bytes.size());
	}
	write_chains(w, "VARI", code.index(), vars);
	write_chains(w, "FUNC", code.index(), funcs);
	return w.build();
}

// The debug file: line tables and sources for code indices 0 and 1.
std::vector<uint8_t> build_debug_file()
{
	DataFileWriter w;
	ChunkBuilder &dbgi = w.chunk("DBGI");
	dbgi.u32(2).ref(12).ref(32);
	dbgi.u32(2).u32(0).u32(0).u32(12).u32(12); // 12
	dbgi.u32(1).u32(0).u32(0);                 // 32
	ChunkBuilder &scpt = w.chunk("SCPT");
	scpt.u32(2).ref(12).ref(16);
	scpt.string_ref("v = 40 + 2;\ns = string(v);");
	scpt.string_ref("return string(v);");
	return w.build();
}

} // namespace

TEST_F(VMTest, CodeChunkWithChainedVariableAndFunctionBinding)
{
	std::string error;
	// The variable v and the function string are used in both pieces, so their
	// chains run from one entry into the next.
	std::vector<uint8_t> file = build_file(
		{{"gml_first", "push.d 40\npush.d 2\nadd.d.d\npop.v.d global.v\n"
		               "push.v global.v\ncall.i string 1\npop.v.v global.s\n"
		               "push.s \"two\"\npop.v.s global.t"},
		 {"gml_second", "push.v global.v\ncall.i string 1\npush.v global.s\nadd.v.v\nret.v"}},
		&error);
	ASSERT_EQ(error, "");
	GameData game;
	game.block.bytes = file;
	game.debug_block.bytes = build_debug_file();
	ConsoleCapture console;
	ASSERT_TRUE(debug_walk(game).ok);
	LoadResult r = first_pass(game);
	ASSERT_TRUE(r.ok) << r.error;
	r = main_walk(game);
	ASSERT_TRUE(r.ok) << r.error;

	ASSERT_EQ(game.codes.size(), 2u);
	CCode &first = *game.codes[0];
	EXPECT_EQ(first.name, "gml_first");
	EXPECT_EQ(first.kind, CODE_STATEMENTS);
	EXPECT_EQ(first.source, "v = 40 + 2;\ns = string(v);");
	ASSERT_EQ(first.line_table.size(), 2u);
	EXPECT_EQ(first.line_table[1].offset, 12u);
	EXPECT_EQ(first.source_line(40), 1);

	EXPECT_TRUE(code_execute(nullptr, nullptr, first, nullptr));
	EXPECT_EQ(global("v").real(), 42.0);
	EXPECT_EQ(global("s").text(), "42");
	EXPECT_EQ(global("t").text(), "two");
	Value result;
	EXPECT_TRUE(code_execute(nullptr, nullptr, *game.codes[1], &result));
	EXPECT_EQ(result.text(), "4242");
	EXPECT_EQ(exits, 0);
}

TEST_F(VMTest, MalformedPieceLoadsAndIsReportedWhenRun)
{
	std::string error;
	std::vector<uint8_t> file = build_file({{"gml_bad", "push.d 1\nb 40\n"}}, &error);
	GameData game;
	game.block.bytes = file;
	ConsoleCapture console;
	ASSERT_TRUE(first_pass(game).ok);
	ASSERT_TRUE(main_walk(game).ok);
	EXPECT_NE(console.text().find("Code gml_bad is malformed: a branch leaves the code at 0x0000000c"),
	          std::string::npos);
	EXPECT_FALSE(code_execute(nullptr, nullptr, *game.codes[0], nullptr));
	EXPECT_NE(error_last().find("VMError!! Occurred - Execution Error - malformed bytecode in gml_bad: a branch "
	                            "leaves the code at 0x0000000c"),
	          std::string::npos)
		<< error_last();
}

TEST_F(VMTest, CodeEntryPastTheChunkFailsTheLoad)
{
	std::string error;
	std::vector<uint8_t> file = build_file({{"gml_x", "push.d 1"}}, &error);
	GameData game;
	game.block.bytes = file;
	ASSERT_TRUE(first_pass(game).ok);
	// Make the entry's length claim more bytes than the chunk holds.
	uint32_t entry = game.code_entries[0];
	file[entry + 4] = 0xFF;
	file[entry + 5] = 0x7F;
	game.block.bytes = file;
	ConsoleCapture console;
	LoadResult r = main_walk(game);
	EXPECT_FALSE(r.ok);
	EXPECT_NE(r.error.find("chunk CODE"), std::string::npos) << r.error;
	EXPECT_NE(r.error.find("runs past the CODE chunk"), std::string::npos) << r.error;
}
