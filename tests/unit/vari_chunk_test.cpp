// vari_chunk_test.cpp: the first pass binds the variable references of the code
// through the VARI chunk's chains, and refuses damaged chains.
#include <gtest/gtest.h>

#include "code/variable_names.h"
#include "data/chunk.h"
#include "data/walk.h"
#include "data/writer.h"
#include "test_util.h"

namespace {

struct Reference
{
	std::string name;
	uint32_t count;
	int64_t first; // body offset in the code chunk, or an absolute offset when absolute is set
	bool absolute = false;
};

// The instruction words start at this offset of the code chunk's body: after
// the entry list (one entry) and the entry's name and length.
constexpr int64_t W = 16;

// A header, a code chunk with one entry holding `words`, and a VARI chunk with
// the given records. Returns the file; `code_body` gets the offset of the code
// chunk's body.
std::vector<uint8_t> build(const std::vector<uint32_t> &words, const std::vector<Reference> &refs,
                           uint64_t &code_body)
{
	DataFileWriter w;
	GameHeader h;
	h.major_version = 8;
	write_header(w, h, "Game", "Default");
	ChunkBuilder &code = w.chunk("CODE");
	code.u32(1);
	code.ref(8);
	code.string_ref("test_code");
	code.u32((uint32_t)(words.size() * 4));
	for (uint32_t word : words)
		code.u32(word);
	ChunkBuilder &vari = w.chunk("VARI");
	for (const Reference &r : refs) {
		vari.string_ref(r.name);
		vari.u32(r.count);
		if (r.absolute)
			vari.u32((uint32_t)r.first);
		else
			vari.ref_to(code.index(), (size_t)r.first);
	}
	std::vector<uint8_t> bytes = w.build();
	// Find the code chunk's body.
	ByteReader file(bytes);
	code_body = 0;
	for_each_chunk(file, [&](const Chunk &c) {
		if (c.tag == make_tag("CODE"))
			code_body = c.body;
	});
	return bytes;
}

uint32_t word_at(const GameData &game, uint64_t code_body, size_t body_offset)
{
	return game.file().u32(code_body + body_offset);
}

} // namespace

TEST(VariChunk, ChainsReceiveTheirIds)
{
	// Instructions at W, W + 8, W + 16, W + 24 (word, operand). Chain of "hp":
	// W -> W + 16 (distance 16) -> W + 8 (distance -8). Chain of "x": W + 24.
	const uint32_t push = 0xC0000000u | (5u << 16);
	std::vector<uint32_t> words = {
		push, 0xA0000000u | 16u,                // 4: flags 31 and 29, distance 16
		push, 0x40000000u | 0x12345u,           // 12: flag 30, last in chain
		push, 0x80000000u | (0x1FFFFFF8u),      // 20: flag 31, distance -8
		push, 0xE0000000u | 0x0ABCDEFu,         // 28: all flags
	};
	uint64_t body = 0;
	GameData game;
	game.block.bytes = build(words, {{"vari_hp", 3, W}, {"x", 1, W + 24}}, body);
	ConsoleCapture console;
	LoadResult r = first_pass(game);
	ASSERT_TRUE(r.ok) << r.error;
	uint32_t hp = (uint32_t)variable_id("vari_hp");
	EXPECT_GE(hp, (uint32_t)USER_VARIABLE_BASE);
	EXPECT_EQ(word_at(game, body, W + 4), 0xA0000000u | hp);
	EXPECT_EQ(word_at(game, body, W + 20), 0x80000000u | hp);
	EXPECT_EQ(word_at(game, body, W + 12), 0x40000000u | hp);
	EXPECT_EQ(word_at(game, body, W + 28), 0xE0000000u | 0u); // x is built-in variable 0
	EXPECT_EQ(word_at(game, body, W), push);                  // instruction words stay
	EXPECT_TRUE(console.text().empty());
}

TEST(VariChunk, DamagedChainsAreLoadErrors)
{
	const uint32_t push = 0xC0000000u;
	struct Case
	{
		const char *what;
		std::vector<uint32_t> words;
		Reference ref;
	};
	const Case cases[] = {
		{"first beyond the file", {push, 0}, {"vari_a", 1, 0x7FFFFFF0, true}},
		{"outside the code", {push, 0}, {"vari_a", 1, 0, true}},
		{"the entry list, not bytecode", {push, 0}, {"vari_a", 1, 0}},
		{"operand past the bytecode", {push, 0}, {"vari_a", 1, W + 4}},
		{"next beyond the file", {push, 0x00FFFFFFu}, {"vari_a", 2, W}},
		{"next before the file", {push, 0x10000000u}, {"vari_a", 2, W}},
		{"more references than the file can hold", {push, 0}, {"vari_a", 0xFFFFFFFFu, W}},
	};
	for (const Case &c : cases) {
		uint64_t body = 0;
		GameData game;
		game.block.bytes = build(c.words, {c.ref}, body);
		LoadResult r = first_pass(game);
		EXPECT_FALSE(r.ok) << c.what;
		EXPECT_NE(r.error.find("VARI"), std::string::npos) << c.what << ": " << r.error;
	}
}

TEST(VariChunk, ChainsTogetherCannotBeLongerThanTheFileAllows)
{
	// "x" has id 0, so its operand keeps a distance of 0 once bound: each
	// record walks the one instruction again. Each record alone fits the
	// file; together they would visit it far more often than it could hold
	// instructions, which is refused before the walks multiply.
	uint64_t body = 0;
	size_t size = build({0xC0000000u, 0}, {{"x", 1, W}}, body).size();
	uint32_t count = (uint32_t)(size / 8 / 2 + 1);
	GameData game;
	game.block.bytes = build({0xC0000000u, 0}, std::vector<Reference>(40, {"x", count, W}), body);
	LoadResult r = first_pass(game);
	EXPECT_FALSE(r.ok);
	EXPECT_NE(r.error.find("longer than the file allows"), std::string::npos) << r.error;
}

TEST(VariChunk, ANameWithoutAnIdEndsTheProgramWithCodeOne)
{
	uint64_t body = 0;
	TempDir dir;
	dir.write("bad.win", build({0xC0000000u, 0}, {{"", 1, W}}, body));
	ProgramResult run = run_program(ZENTRIX_BIN, {"--headless", "-game", dir.file("bad.win")});
	EXPECT_EQ(run.exit_code, 1);
	EXPECT_NE((run.out + run.err).find("ERROR!!! :: Error on load\nUnable to find variable \n"), std::string::npos)
		<< run.out << run.err;
}
