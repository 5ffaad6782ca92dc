// pack_test.cpp: zentrix-pack: event names, the rectangle packer, trimming and
// pages, sprite boxes and masks, projects read back through the Runner's own
// chunk walks in both code modes, and the errors of bad projects.
#include <filesystem>
#include <gtest/gtest.h>

#include "code/script_table.h"
#include "data/walk.h"
#include "event_names.h"
#include "image_pages.h"
#include "json_file.h"
#include "pack_game.h"
#include "rect_packer.h"
#include "test_util.h"
#include "world/object.h"

namespace {

int32_t no_object(const std::string &name) { return name == "obj_wall" ? 7 : -1; }

TEST(PackEventNames, ReadableNamesGiveTypeAndNumber)
{
	struct Case
	{
		const char *name;
		int32_t type, number;
	} cases[] = {
		{"create", 0, 0},           {"destroy", 1, 0},         {"alarm0", 2, 0},        {"alarm11", 2, 11},
		{"step", 3, 0},             {"step_begin", 3, 1},      {"step_end", 3, 2},      {"collision_obj_wall", 4, 7},
		{"collision:obj_wall", 4, 7}, {"keyboard_left", 5, 37}, {"keypress_space", 9, 32}, {"keyrelease_a", 10, 65},
		{"keyboard_7", 5, 55},      {"keypress_f1", 9, 112},   {"keypress_numpad3", 9, 99}, {"keyboard_any", 5, 1},
		{"keyboard_65", 5, 65},     {"mouse_left_pressed", 6, 4}, {"mouse_wheel_down", 6, 61},
		{"other_room_start", 7, 4}, {"other_user3", 7, 13},     {"user15", 7, 25},       {"other_outside_view2", 7, 42},
		{"other_40", 7, 40},        {"draw", 8, 0},
	};
	for (const Case &c : cases) {
		std::string error;
		EventId id = parse_event_name(c.name, no_object, error);
		EXPECT_EQ(id.type, c.type) << c.name << ": " << error;
		EXPECT_EQ(id.number, c.number) << c.name;
	}
	for (const char *bad : {"alarm12", "collision_obj_nothing", "keypress_nokey", "mouse_sideways", "other_lunch",
	                        "stepp", "user16", ""}) {
		std::string error;
		EXPECT_EQ(parse_event_name(bad, no_object, error).type, -1) << bad;
		EXPECT_FALSE(error.empty()) << bad;
	}
}

TEST(PackRects, PlacesWithoutOverlapInsideTheBin)
{
	MaxRectsBin bin(64, 64);
	std::vector<PackRect> placed;
	int sizes[][2] = {{30, 20}, {10, 40}, {33, 33}, {5, 5}, {20, 10}, {31, 31}, {8, 60}};
	for (auto &s : sizes) {
		PackRect r;
		if (bin.insert(s[0], s[1], r))
			placed.push_back(r);
	}
	EXPECT_GE(placed.size(), 5u);
	for (size_t i = 0; i < placed.size(); i++) {
		const PackRect &a = placed[i];
		EXPECT_TRUE(a.x >= 0 && a.y >= 0 && a.x + a.width <= 64 && a.y + a.height <= 64);
		for (size_t j = i + 1; j < placed.size(); j++) {
			const PackRect &b = placed[j];
			EXPECT_FALSE(a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height)
				<< i << " overlaps " << j;
		}
	}
	PackRect r;
	EXPECT_FALSE(bin.insert(65, 1, r));
	EXPECT_FALSE(MaxRectsBin(16, 16).insert(0, 4, r));
}

// A frame with one opaque block: trimming keeps the block and its offset; the
// page holds its pixels where the entry says.
TEST(PackPages, TrimmedFramesLandOnPagesWhereTheirEntriesSay)
{
	CBitmap32 frame(10, 8, 0);
	for (int y = 2; y < 5; y++)
		for (int x = 3; x < 7; x++)
			frame.pixels()[(size_t)y * 10 + x] = 0xFF000000u | (uint32_t)(x * 16 + y);
	PageImage t = trim_frame(frame);
	EXPECT_EQ(t.target_x, 3);
	EXPECT_EQ(t.target_y, 2);
	EXPECT_EQ(t.pixels.width(), 4);
	EXPECT_EQ(t.pixels.height(), 3);
	PageImage empty = trim_frame(CBitmap32(5, 5, 0));
	EXPECT_EQ(empty.pixels.width(), 1);

	// Three images that cannot share one 8 x 8 page.
	std::vector<PageImage> images = {t, t, empty};
	images[1].pixels = CBitmap32(8, 8, 0xFF00FF00u);
	std::vector<EntrySpec> entries;
	std::vector<std::vector<uint8_t>> pages;
	pack_pages(images, 8, entries, pages);
	ASSERT_EQ(entries.size(), 3u);
	EXPECT_EQ(pages.size(), 2u);
	EXPECT_EQ(entries[0].target_x, 3);
	EXPECT_EQ(entries[0].bounding_width, 10);
	EXPECT_NE(entries[0].page, entries[1].page);
	CBitmap32 page;
	std::string error;
	ASSERT_TRUE(page.decode_png(pages[entries[0].page].data(), pages[entries[0].page].size(), error)) << error;
	for (int y = 0; y < 3; y++)
		for (int x = 0; x < 4; x++)
			EXPECT_EQ(page.at(entries[0].source_x + x, entries[0].source_y + y), t.pixels.at(x, y));
	EXPECT_THROW(pack_pages({PageImage{CBitmap32(9, 1, 0), 0, 0, 9, 1}}, 8, entries, pages), ProjectError);
}

TEST(PackSprites, BoxesAndMasksFromTheAlpha)
{
	ProjectSprite s;
	CBitmap32 a(8, 8, 0), b(8, 8, 0);
	a.pixels()[2 * 8 + 1] = 0xFF000000u; // (1, 2)
	b.pixels()[5 * 8 + 6] = 0x80000000u; // (6, 5), half alpha
	s.frames = {a, b};
	SpriteSpec out;
	sprite_collision(s, out);
	EXPECT_EQ((std::vector<int>{out.bbox_left, out.bbox_top, out.bbox_right, out.bbox_bottom}),
	          (std::vector<int>{1, 2, 6, 5}));
	ASSERT_EQ(out.masks.size(), 1u); // box mask
	EXPECT_EQ(out.masks[0][2], 0x7E); // row 2: pixels 1..6

	s.precise = true;
	s.tolerance = 0x80; // the half-alpha pixel is empty
	sprite_collision(s, out);
	EXPECT_EQ((std::vector<int>{out.bbox_left, out.bbox_right}), (std::vector<int>{1, 1}));
	ASSERT_EQ(out.masks.size(), 1u);
	EXPECT_EQ(out.masks[0][2], 0x40);

	s.tolerance = 0;
	s.separate_masks = true;
	sprite_collision(s, out);
	ASSERT_EQ(out.masks.size(), 2u);
	EXPECT_EQ(out.masks[0][2], 0x40);
	EXPECT_EQ(out.masks[0][5], 0x00);
	EXPECT_EQ(out.masks[1][5], 0x02);

	s.bbox_mode = 1;
	sprite_collision(s, out);
	EXPECT_EQ((std::vector<int>{out.bbox_left, out.bbox_top, out.bbox_right, out.bbox_bottom}),
	          (std::vector<int>{0, 0, 7, 7}));
}

// A small project of every code-bearing kind.
void write_project(const TempDir &d)
{
	d.write("game.json", R"({"name": "T", "window": {"width": 200, "height": 100},
	  "constants": {"K": 5}, "rooms": ["room_b", "room_a"]})");
	std::vector<uint8_t> png = encode_png(std::vector<uint32_t>(4 * 2, 0xFFFF0000u).data(), 4, 2);
	d.write("sprites/spr_box.png", png);
	d.write("backgrounds/bg_a.png", png);
	d.write("scripts/scr_k.zx", "return K + argument0;");
	d.write("paths/path_p.json", R"({"closed": true, "points": [[1, 2], [3, 4, 50]]})");
	d.write("objects/obj_a.json", R"({"sprite": "spr_box", "depth": 3,
	  "events": {"create": "v = scr_k(1);", "collision_obj_b": "x = 1;"}})");
	d.write("objects/obj_a/alarm2.zx", "show_debug_message(\"a\");");
	d.write("objects/obj_b.json", R"({"parent": "obj_a", "solid": true})");
	d.write("timelines/tl_t.json", R"({"moments": [{"step": 9, "code": "y = 2;"}, {"step": 1, "code": "y = 1;"}]})");
	d.write("rooms/room_a.json", R"({"width": 50, "height": 60, "speed": 15})");
	d.write("rooms/room_b.json", R"({"code": "z = 1;", "backgrounds": [{"background": "bg_a"}],
	  "instances": [{"object": "obj_b", "x": 4, "y": 5, "code": "w = 3;"}, {"object": "obj_a"}],
	  "tiles": [{"background": "bg_a", "x": 7, "left": 1, "width": 2, "height": 1, "alpha": 0.5}]})");
	d.write("sounds/snd_s.wav", "RIFF....");
	d.write("extensions/ext_e.json", R"({"files": [{"file": "libe.so", "functions": [
	  {"name": "ext_twice", "returns": "string", "arguments": ["real", "string"]}]}]})");
	d.write("included/data/a.txt", "abc");
}

struct Loaded
{
	GameData game;
	LoadResult first, walk;
};

void load(const std::vector<uint8_t> &bytes, Loaded &l)
{
	l.game.block.bytes = bytes;
	ConsoleCapture quiet;
	l.first = first_pass(l.game);
	if (l.first.ok)
		l.walk = main_walk(l.game);
}

class PackProject : public ::testing::TestWithParam<bool>
{
};

TEST_P(PackProject, ReadsBackThroughTheRunnersWalks)
{
	bool bytecode = GetParam();
	TempDir d;
	write_project(d);
	std::vector<uint8_t> bytes;
	std::string error;
	ASSERT_TRUE(pack_project(d.path(), PackOptions{bytecode}, bytes, error)) << error;
	Loaded l;
	load(bytes, l);
	ASSERT_TRUE(l.first.ok) << l.first.error;
	ASSERT_TRUE(l.walk.ok) << l.walk.error;
	GameData &g = l.game;
	EXPECT_EQ(g.has_bytecode, bytecode);
	EXPECT_EQ(g.game_name(), "T");
	EXPECT_EQ(g.header.window_width, 200u);
	EXPECT_EQ(g.header.room_order, (std::vector<int32_t>{0, 1}));
	ASSERT_EQ(g.rooms.size(), 2u);
	EXPECT_EQ(g.rooms[0]->name, "room_b");
	EXPECT_EQ(g.rooms[1]->width, 50u);
	EXPECT_EQ(g.rooms[1]->speed, 15u);
	const RoomRecord &rb = *g.rooms[0];
	ASSERT_EQ(rb.instances.size(), 2u);
	EXPECT_EQ(rb.instances[0].object, 1); // obj_b
	EXPECT_EQ(rb.instances[0].id, 100001);
	EXPECT_EQ(rb.instances[1].id, 100002);
	EXPECT_EQ(g.header.last_instance_id, 100002u);
	EXPECT_FALSE(rb.instances[0].creation_code.empty());
	EXPECT_TRUE(rb.instances[1].creation_code.empty());
	EXPECT_EQ(rb.backgrounds.size(), 8u);
	ASSERT_EQ(rb.tiles.size(), 1u);
	EXPECT_EQ(rb.tiles[0].id, 10000001);
	EXPECT_EQ(rb.tiles[0].x, 7);
	EXPECT_EQ(rb.tiles[0].left, 1);
	EXPECT_EQ(rb.tiles[0].colour, 0x80FFFFFFu);
	ASSERT_EQ(g.sounds.size(), 1u);
	EXPECT_EQ(g.sounds[0]->name, "snd_s");
	EXPECT_EQ(g.sounds[0]->text2, "snd_s.wav");
	EXPECT_EQ(g.sounds[0]->data_length, 8u);
	ASSERT_EQ(g.extensions.size(), 1u);
	ASSERT_EQ(g.extensions[0].files.size(), 1u);
	ASSERT_EQ(g.extensions[0].files[0].functions.size(), 1u);
	EXPECT_EQ(g.extensions[0].files[0].functions[0].name, "ext_twice");
	EXPECT_EQ(g.extensions[0].files[0].functions[0].result_type, 1u);
	EXPECT_EQ(g.extensions[0].files[0].functions[0].argument_types, (std::vector<uint32_t>{2, 1}));
	EXPECT_EQ(rb.backgrounds[0].index, 0);
	EXPECT_FALSE(rb.creation_code.empty());
	if (!bytecode)
		EXPECT_EQ(rb.creation_code.source, "z = 1;");
	ASSERT_EQ(g.paths.size(), 1u);
	EXPECT_TRUE(g.paths[0]->closed);
	ASSERT_EQ(g.paths[0]->points.size(), 2u);
	EXPECT_EQ(g.paths[0]->points[1].speed, 50.0f);
	EXPECT_EQ(g.paths[0]->points[0].speed, 100.0f);
	ASSERT_EQ(g.timelines.size(), 1u);
	ASSERT_EQ(g.timelines[0]->moments.size(), 2u);
	EXPECT_EQ(g.timelines[0]->moments[0].time, 1);
	EXPECT_EQ(g.user_constants.size(), 1u);
	EXPECT_EQ(g.included_files.size(), 1u);
	ASSERT_EQ(script_table().count(), 1);
	EXPECT_EQ(script_table().find(0)->name, "scr_k");
	CObject *a = object_table().find(0), *b = object_table().find(1);
	ASSERT_TRUE(a && b);
	EXPECT_EQ(a->depth, 3);
	EXPECT_EQ(b->parent_index, 0);
	EXPECT_TRUE(b->solid());
	EXPECT_TRUE(a->own_event(0, 0));
	EXPECT_TRUE(a->own_event(2, 2));
	EXPECT_TRUE(a->own_event(4, 1)); // collision with obj_b
	// Each piece of code is one entry: 2 + 1 events, 1 script, 2 moments, 2 room pieces.
	if (bytecode)
		EXPECT_EQ(g.code_entries.size(), 8u);
}

INSTANTIATE_TEST_SUITE_P(BothCodeModes, PackProject, ::testing::Values(true, false));

// Each bad project fails with a message naming the file and the place, and
// leaves no output file.
TEST(PackProjectErrors, NameTheFileAndPlaceAndWriteNothing)
{
	struct Case
	{
		const char *file, *text, *message;
	} cases[] = {
		{"game.json", "{\"rooms\": [\"room_a\"],\n  \"name\": }", "game.json:2: JSON syntax error"},
		{"game.json", R"({"rooms": ["room_z"]})", "game.json: rooms: no room \"room_z\""},
		{"game.json", R"({"rooms": ["room_a"], "colour": 1})", "game.json: colour: unknown field"},
		{"rooms/room_a.json", R"({"instances": [{"object": "obj_x"}]})",
		 "rooms/room_a.json: instances[0].object: unknown object \"obj_x\""},
		{"objects/obj_a.json", R"({"parent": "obj_q"})", "objects/obj_a.json: parent: unknown object \"obj_q\""},
		{"objects/obj_a.json", R"({"parent": "obj_a"})", "lead back to itself"},
		{"objects/obj_a.json", R"({"events": {"stepp": "x = 1;"}})", "objects/obj_a.json: events.stepp: unknown event"},
		{"objects/obj_a/step.zx", "x = 1;\ny = (2;", "objects/obj_a/step.zx: "},
		{"sprites/spr_s.json", R"({"frames": ["missing.png"]})", "sprites/missing.png: cannot read"},
		{"sprites/spr_t.png", "not a png", "sprites/spr_t.png: not a PNG image"},
		{"scripts/scr_x.zx", "return nothing_such(1);", "scripts/scr_x.zx: "},
		{"rooms/room_a.json", R"({"instances": [{"object": "obj_a", "id": 100005}, {"object": "obj_a", "id": 100005}]})",
		 "rooms/room_a.json: instances[1].id: the instance id 100005 is used twice"},
		{"fonts/fnt_f.json", R"({"face": "No Such Face Qz"})", "fonts/fnt_f.json: face: no font face \"No Such"},
		{"fonts/fnt_f.json", R"({"size": 0})", "fonts/fnt_f.json: size: a font size is from 1 to 255"},
		{"fonts/fnt_f.json", R"({"file": "gone.ttf"})", "fonts/gone.ttf: cannot read"},
		{"fonts/fnt_f.json", R"({"first": 1, "last": 8})", "fonts/fnt_f.json: font face"},
	};
	for (const Case &c : cases) {
		TempDir d;
		d.write("game.json", R"({"rooms": ["room_a"]})");
		d.write("rooms/room_a.json", "{}");
		d.write("objects/obj_a.json", "{}");
		d.write(c.file, c.text);
		std::string out = d.file("out.win"), error;
		EXPECT_FALSE(pack_project_to_file(d.path(), PackOptions{}, out, error)) << c.file;
		EXPECT_NE(error.find(c.message), std::string::npos) << c.file << ": " << error;
		EXPECT_FALSE(std::filesystem::exists(out)) << c.file;
	}
}

// A compile error says where: the line and position of the fault.
TEST(PackProjectErrors, CompileErrorsGiveLineAndPosition)
{
	TempDir d;
	d.write("game.json", R"({"rooms": ["room_a"]})");
	d.write("rooms/room_a.json", R"({"code": "a = 1;\nb = ;"})");
	std::vector<uint8_t> bytes;
	std::string error;
	EXPECT_FALSE(pack_project(d.path(), PackOptions{}, bytes, error));
	EXPECT_NE(error.find("rooms/room_a.json: code: "), std::string::npos) << error;
	EXPECT_NE(error.find("line 2"), std::string::npos) << error;
}

} // namespace
