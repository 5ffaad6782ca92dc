// pack_dump_test.cpp: `zentrix-pack dump`: the chunk table, the resources by kind,
// the disassembled code with names from the VARI and FUNC chains, and damaged files
// (truncated, or with one bad chunk) listed with errors and without a crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

#include "code/vm/assembler.h"
#include "data/resource_writers.h"
#include "data/write_images.h"
#include "dump.h"
#include "test_util.h"
#include "world/object.h"

namespace {

void set_operand(std::vector<uint8_t> &bytes, uint32_t at, uint32_t value, uint32_t keep_mask)
{
	uint32_t w = 0;
	for (int i = 0; i < 4; i++)
		w |= (uint32_t)bytes[at + 4 + i] << (8 * i);
	w = (w & keep_mask) | (value & ~keep_mask);
	for (int i = 0; i < 4; i++)
		bytes[at + 4 + i] = (uint8_t)(w >> (8 * i));
}

// CODE with the assembled pieces, and VARI and FUNC chaining every use of a name.
void write_code(DataFileWriter &w, const std::vector<std::pair<std::string, std::string>> &pieces)
{
	std::vector<Assembly> assembled;
	std::vector<uint32_t> entry_at;
	uint32_t at = 4 + 4 * (uint32_t)pieces.size();
	for (const auto &[name, text] : pieces) {
		assembled.push_back(assemble(text));
		EXPECT_EQ(assembled.back().error, "") << name;
		entry_at.push_back(at);
		at += 8 + (uint32_t)assembled.back().bytes.size();
	}
	std::map<std::string, std::vector<std::pair<size_t, uint32_t>>> vars, funcs; // name -> (piece, offset)
	for (size_t i = 0; i < assembled.size(); i++) {
		for (const auto &r : assembled[i].variables)
			vars[r.name].push_back({i, r.at});
		for (const auto &r : assembled[i].functions)
			funcs[r.name].push_back({i, r.at});
		for (size_t k = 0; k < assembled[i].strings.size(); k++)
			set_operand(assembled[i].bytes, assembled[i].string_operands[k], w.string_id(assembled[i].strings[k]), 0);
	}
	auto body_offset = [&](std::pair<size_t, uint32_t> use) { return entry_at[use.first] + 8 + use.second; };
	auto link = [&](auto &uses, uint32_t keep) {
		for (auto &[name, list] : uses)
			for (size_t k = 0; k + 1 < list.size(); k++)
				set_operand(assembled[list[k].first].bytes, list[k].second,
				            body_offset(list[k + 1]) - body_offset(list[k]), keep);
	};
	link(vars, 0xE0000000);
	link(funcs, 0);
	ChunkBuilder &code = w.chunk("CODE");
	code.u32((uint32_t)pieces.size());
	for (uint32_t e : entry_at)
		code.ref(e);
	for (size_t i = 0; i < pieces.size(); i++)
		code.string_ref(pieces[i].first).u32((uint32_t)assembled[i].bytes.size()).bytes(
			assembled[i].bytes.data(), assembled[i].bytes.size());
	size_t code_index = code.index();
	for (auto [tag, uses] : {std::pair{"VARI", &vars}, std::pair{"FUNC", &funcs}}) {
		ChunkBuilder &chain = w.chunk(tag);
		for (auto &[name, list] : *uses)
			chain.string_ref(name).u32((uint32_t)list.size()).ref_to(code_index, body_offset(list[0]));
	}
}

const char *const CREATE_CODE = "push.s \"hi \\\"you\\\"\\n\"\n"
                                "call.i show_debug_message 1\n"
                                "popz.v\n"
                                "push.d 2.5\n"
                                "pop.v.d self.speed_x\n"
                                "top:\n"
                                "push.v self.speed_x\n"
                                "call.i scr_move 1\n"
                                "bf top\n"
                                "exit";

// A game with one resource of every kind the dump lists, its code in bytecode.
std::vector<uint8_t> build_game()
{
	DataFileWriter w;
	GameHeader h;
	h.major_version = 8;
	h.window_width = 320;
	h.window_height = 240;
	h.room_order = {0};
	write_header(w, h, "Dumped", "Default");
	w.strings_here(); // names stay readable when the end of the file is cut off
	write_options(w, GameOptions(), {{"LIVES", "3"}});
	SoundRecord snd;
	snd.name = "snd_hit";
	snd.text1 = "hit.wav";
	write_sounds(w, {&snd});

	ImageChunks images;
	images.pages.push_back({'R', 'A', 'W', ' ', 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 255});
	images.entries.resize(2);
	images.entries[0].bounding_width = images.entries[0].bounding_height = 16;
	images.entries[1].bounding_width = images.entries[1].bounding_height = 64;
	SpriteSpec sprite;
	sprite.name = "spr_ball";
	sprite.width = sprite.height = 16;
	sprite.x_origin = sprite.y_origin = 8;
	sprite.frames = {0, 0};
	images.sprites.push_back(sprite);
	images.backgrounds.push_back({"bg_sky", false, false, true, 1});
	FontSpec font;
	font.name = "fnt_main";
	font.face = "DejaVu Sans";
	font.glyphs = {{'A', 0, 0, 9, 19, 10, 0}, {'B', 10, 0, 9, 19, 10, 1}};
	images.fonts.push_back(font);
	write_image_chunks(w, images);

	PathRecord path;
	path.name = "pth_loop";
	path.closed = true;
	path.precision = 4;
	path.points = {{0, 0, 100}, {32, 16, 50}};
	write_paths(w, {&path});
	ScriptSource script{"scr_move", CodeRef{1, {}, nullptr}};
	write_scripts(w, {&script}, true);
	TimelineRecord timeline;
	timeline.name = "tl_intro";
	timeline.moments = {{0, CodeRef{1, {}, nullptr}}, {30, CodeRef{1, {}, nullptr}}};
	write_timelines(w, {&timeline}, true);
	CObject object;
	object.name = "obj_ball";
	object.sprite_index = 0;
	object.depth = -5;
	auto create = std::make_unique<CEvent>();
	create->code.index = 0;
	object.set_event(EV_CREATE, 0, std::move(create));
	auto hit = std::make_unique<CEvent>();
	hit->code.index = 1;
	object.set_event(EV_COLLISION, 0, std::move(hit));
	write_objects(w, {&object}, 8, true);
	RoomRecord room;
	room.name = "rm_main";
	room.width = 320;
	room.height = 240;
	room.speed = 30;
	room.instances.resize(2);
	write_rooms(w, {&room}, 8, true);
	write_code(w, {{"gml_Object_obj_ball_Create_0", CREATE_CODE},
	               {"gml_Script_scr_move", "push.v self.speed_x\npush.v global.score\nadd.v.v\nret.v"}});
	return w.build();
}

// "mnemonic operand" of each listing line of one code entry, blanks collapsed.
std::vector<std::string> instructions_of(const std::string &text, const std::string &entry)
{
	std::vector<std::string> out;
	size_t at = text.find("  code " + entry);
	if (at == std::string::npos)
		return out;
	std::vector<std::string> lines = split_lines(text.substr(at));
	static const std::regex line(R"(^    [0-9a-f]{8} : [0-9a-f]+ +(\S+) *(.*)$)");
	for (size_t i = 1; i < lines.size(); i++) {
		std::smatch m;
		if (!std::regex_match(lines[i], m, line))
			break;
		out.push_back(m[2].str().empty() ? m[1].str() : m[1].str() + " " + m[2].str());
	}
	return out;
}

bool has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

} // namespace

TEST(PackDump, ListsChunksResourcesAndCode)
{
	DumpReport r = dump_game_file(build_game());
	EXPECT_TRUE(r.errors.empty()) << r.errors[0];
	for (const char *tag : {"GEN8", "OPTN", "SOND", "SPRT", "BGND", "FONT", "TPAG", "TXTR", "PATH", "SCPT", "TMLN",
	                        "OBJT", "ROOM", "CODE", "VARI", "FUNC", "STRG"})
		EXPECT_TRUE(std::regex_search(r.text, std::regex(std::string("\n  ") + tag + "  offset +[0-9]+  size +[0-9]+\n")))
			<< tag;
	for (const char *line : {
		     "  game \"Dumped\", configuration \"Default\", version 8\n",
		     "    LIVES = 3\n",
		     "    0 snd_hit: kind 0, file \"hit.wav\"",
		     "    0 spr_ball: 16 x 16, origin (8, 8), 2 frames,",
		     "    0 bg_sky: 64 x 64\n",
		     "    0 fnt_main: face \"DejaVu Sans\", size 12, characters 32 to 127, 2 glyphs, line height 19",
		     "    0 pth_loop: straight, closed, precision 4, 2 points: (0, 0, 100) (32, 16, 50)\n",
		     "    0 scr_move: code 1 (gml_Script_scr_move)\n",
		     "    0 tl_intro: 2 moments\n      moment 0: code 1 (gml_Script_scr_move)\n      moment 30:",
		     "    0 obj_ball: sprite spr_ball (0), parent -1, depth -5,",
		     "      Create: code 0 (gml_Object_obj_ball_Create_0)\n      Collision with obj_ball (0): code 1",
		     "    0 rm_main: 320 x 240, speed 30, 2 instances, 0 tiles",
		     "    show_debug_message: 1 references\n",
		     "    speed_x: 3 references\n",
		     "  code 0 gml_Object_obj_ball_Create_0: ",
		     "    page 0: image at offset",
	     })
		EXPECT_TRUE(has(r.text, line)) << line << "\n" << r.text;

	std::vector<std::string> expected = {
		"push.s \"hi \\\"you\\\"\\n\"",
		"call.i show_debug_message",
		"popz.v",
		"push.d 2.500000",
		"pop.v.d $speed_x$",
		"push.v $speed_x$",
		"call.i scr_move",
		"bf 0x00000028",
		"exit.d",
	};
	EXPECT_EQ(instructions_of(r.text, "0 "), expected) << r.text;
	expected = {"push.v $speed_x$", "push.v $score$", "add.v.v", "ret.v"};
	EXPECT_EQ(instructions_of(r.text, "1 "), expected);
}

TEST(PackDump, TruncatedFilesAreListedAsFarAsTheyGo)
{
	std::vector<uint8_t> full = build_game();
	DumpReport whole = dump_game_file(full);
	ASSERT_TRUE(whole.errors.empty());
	// Every cut point: no crash, damage reported, the chunks before the cut listed.
	for (size_t size = 0; size < full.size(); size += 13) {
		std::vector<uint8_t> cut(full.begin(), full.begin() + (ptrdiff_t)size);
		DumpReport r = dump_game_file(cut);
		ASSERT_FALSE(r.errors.empty()) << size;
	}
	size_t code_at = whole.text.find("  CODE  offset");
	ASSERT_NE(code_at, std::string::npos);
	size_t code_offset = std::stoul(whole.text.substr(code_at + 14));
	std::vector<uint8_t> cut(full.begin(), full.begin() + (ptrdiff_t)code_offset + 40);
	DumpReport r = dump_game_file(cut);
	EXPECT_TRUE(has(r.text, "    0 rm_main: 320 x 240")) << r.text;
	std::string expected = "the chunk list is damaged: chunk CODE of ";
	auto walk_error = std::find_if(r.errors.begin(), r.errors.end(), [&](auto &e) { return has(e, expected); });
	ASSERT_NE(walk_error, r.errors.end()) << r.text;
	EXPECT_TRUE(has(*walk_error, "runs past the end of the file (at offset " + std::to_string(code_offset)))
		<< *walk_error;
}

TEST(PackDump, DamagedChunkIsNamedAndTheOthersAreStillListed)
{
	std::vector<uint8_t> file = build_game();
	DumpReport whole = dump_game_file(file);
	// The sprite's frame count becomes huge.
	size_t sprt_at = std::stoul(whole.text.substr(whole.text.find("  SPRT  offset") + 14));
	uint32_t record = file[sprt_at + 12] | file[sprt_at + 13] << 8 | file[sprt_at + 14] << 16;
	file[record + 56 + 3] = 0x7F;
	DumpReport r = dump_game_file(file);
	ASSERT_EQ(r.errors.size(), 1u) << r.errors[0];
	EXPECT_TRUE(has(r.errors[0], "chunk SPRT at offset " + std::to_string(sprt_at) + ": the sprite's frame list runs "
	                             "past the end of the data"))
		<< r.errors[0];
	EXPECT_TRUE(has(r.text, "SPRT at offset " + std::to_string(sprt_at) + ", "));
	EXPECT_TRUE(has(r.text, "  damaged: not listed"));
	EXPECT_TRUE(has(r.text, "    0 obj_ball: sprite 0 (not in the file)")) << r.text;
	EXPECT_EQ(instructions_of(r.text, "1 ").size(), 4u);
}

TEST(PackDump, CommandWritesTheListingAndReportsDamage)
{
	TempDir dir;
	std::vector<uint8_t> file = build_game();
	dir.write("game.win", file);
	ProgramResult ok = run_program(ZENTRIX_PACK_BIN, {"dump", dir.file("game.win")});
	EXPECT_EQ(ok.exit_code, 0) << ok.err;
	EXPECT_EQ(ok.out.rfind("file: " + std::to_string(file.size()) + " bytes\n", 0), 0u) << "nothing before the listing";
	EXPECT_TRUE(has(ok.out, "call.i      scr_move"));
	EXPECT_EQ(ok.err, "");

	file.resize(file.size() / 2);
	dir.write("cut.win", file);
	ProgramResult bad = run_program(ZENTRIX_PACK_BIN, {"dump", dir.file("cut.win")});
	EXPECT_EQ(bad.exit_code, 1);
	EXPECT_TRUE(has(bad.err, "zentrix-pack: " + dir.file("cut.win") + " is damaged: ")) << bad.err;
	EXPECT_TRUE(has(bad.out, "damage found:"));

	ProgramResult missing = run_program(ZENTRIX_PACK_BIN, {"dump", dir.file("none.win")});
	EXPECT_EQ(missing.exit_code, 1);
	EXPECT_TRUE(has(missing.err, "cannot read " + dir.file("none.win"))) << missing.err;
}
