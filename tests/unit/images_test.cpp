// images_test.cpp: the image-bearing chunks: texture pages (PNG and "RAW "),
// page entries, sprites with masks, backgrounds, fonts, and damaged records.
#include <gtest/gtest.h>

#include "builtin_call.h"
#include "code/errors.h"
#include "data/game_data.h"
#include "data/walk.h"
#include "graphics/images.h"
#include "graphics/texture_table.h"
#include "graphics_fixture.h"
#include "world/instances.h"

namespace {

std::vector<uint8_t> raw_page(uint32_t w, uint32_t h, uint32_t kind, const std::vector<uint8_t> &pixels)
{
	std::vector<uint8_t> out = {'R', 'A', 'W', ' '};
	for (uint32_t v : {w, h, kind})
		for (int i = 0; i < 4; i++)
			out.push_back((uint8_t)(v >> (8 * i)));
	out.insert(out.end(), pixels.begin(), pixels.end());
	return out;
}

ImageChunks base_images()
{
	ImageChunks c;
	c.pages.push_back(png_of(100, 30, [](int x, int) { return x < 50 ? 0xFFFF0000u : 0x800000FFu; }));
	EntrySpec e;
	e.source_width = 32, e.source_height = 32, e.target_width = 0, e.target_height = 32;
	e.bounding_width = 32, e.bounding_height = 32;
	c.entries = {e, e, e};
	return c;
}

class Images : public ::testing::Test
{
protected:
	void TearDown() override
	{
		clear_images();
		texture_clear_all();
	}
	GameData game;
};

} // namespace

TEST_F(Images, PagesEntriesAndSprites)
{
	ImageChunks c = base_images();
	SpriteSpec s;
	s.name = "spr_masks";
	s.width = 10, s.height = 2, s.x_origin = 0, s.y_origin = 0;
	s.frames = {0, 1, 2};
	std::vector<uint8_t> mask(20, 0);
	mask[0] = 1;      // pixel 0 of row 0
	mask[10 + 9] = 1; // pixel 9 of row 1
	s.masks = {pack_mask(mask, 10, 2)};
	ASSERT_EQ(s.masks[0].size(), 4u); // 10 pixels: 2 bytes a row
	EXPECT_EQ(s.masks[0][0], 0x80);
	EXPECT_EQ(s.masks[0][3], 0x40);
	SpriteSpec t = s;
	t.name = "spr_three";
	t.width = 32, t.height = 32, t.x_origin = 16, t.y_origin = 16;
	t.masks = {std::vector<uint8_t>(128, 0xFF), std::vector<uint8_t>(128, 0), std::vector<uint8_t>(128, 0)};
	c.sprites = {s, t};
	ASSERT_EQ(load_images(game, c), "");

	ImageResources &r = images();
	ASSERT_EQ(r.page_textures.size(), 1u);
	const TextureSlot *slot = texture_slot(r.page_textures[0]);
	ASSERT_NE(slot, nullptr);
	EXPECT_EQ(slot->width, 100);
	EXPECT_EQ(slot->height, 30);
	EXPECT_FLOAT_EQ(slot->u_scale, 1.0f / 100);
	EXPECT_EQ(slot->pixels.at(0, 0), 0xFFFF0000u);
	EXPECT_EQ(slot->pixels.at(99, 29), 0x800000FFu);
	EXPECT_FLOAT_EQ(call_builtin("texture_get_width", {r.page_textures[0]}).real(), 1.0f);
	EXPECT_EQ(call_builtin("texture_exists", {r.page_textures[0]}).real(), 1);
	EXPECT_EQ(call_builtin("texture_exists", {7}).real(), 0);

	// A drawn width of 0 is taken as 1.
	EXPECT_EQ(entry_get(0)->target_width, 1);

	const CSprite *masks = sprite_get(0);
	ASSERT_NE(masks, nullptr);
	EXPECT_EQ(r.sprite_names[0], "spr_masks");
	EXPECT_TRUE(masks->masks_present);
	EXPECT_TRUE(masks->separate_masks); // 3 frames, 1 mask
	ASSERT_EQ(masks->masks.size(), 1u);
	EXPECT_EQ(masks->masks[0][0], 1);
	EXPECT_EQ(masks->masks[0][1], 0);
	EXPECT_EQ(masks->masks[0][10 + 9], 1);
	EXPECT_EQ(masks->masks[0][10 + 8], 0);

	const CSprite *three = sprite_get(1);
	EXPECT_FALSE(three->separate_masks); // 3 frames, 3 masks
	EXPECT_EQ(three->bounding_radius, 23); // ceil(22.63)
	EXPECT_EQ(three->masks[0][32 * 32 - 1], 1);

	// Texture handles: entries never collide with texture ids.
	double handle = call_builtin("sprite_get_texture", {1, 4}).real();
	EXPECT_EQ(handle, ENTRY_HANDLE_BASE + three->entries[1]);
	EXPECT_EQ(call_builtin("sprite_get_texture", {5, 0}).real(), -1);
	EXPECT_NE(error_last().find("Trying to get texture from non-existing sprite."), std::string::npos);
	clear_error_state();
}

// Loading sprites gives instances their image counts, so that animation wraps
// (and its end event fires) in games that never use collision; hooks already
// set are kept.
TEST_F(Images, LoadedSpritesGiveInstancesTheirImageCounts)
{
	InstanceHooks saved = instance_hooks();
	set_instance_hooks(InstanceHooks{});
	ImageChunks c = base_images();
	SpriteSpec s;
	s.name = "spr_three";
	s.width = s.height = 32;
	s.frames = {0, 1, 2};
	c.sprites = {s};
	ASSERT_EQ(load_images(game, c), "");
	EXPECT_EQ(sprite_image_count(0), 3);
	EXPECT_EQ(sprite_image_count(1), 0);
	EXPECT_TRUE(instance_hooks().sprite_exists(0));
	EXPECT_FALSE(instance_hooks().sprite_exists(-1));

	InstanceHooks stand_in;
	stand_in.sprite_image_count = [](int32_t) { return 7; };
	set_instance_hooks(stand_in);
	clear_images();
	ASSERT_EQ(load_images(game, c), "");
	EXPECT_EQ(sprite_image_count(0), 7);
	EXPECT_NE(instance_hooks().sprite_exists, nullptr);
	set_instance_hooks(saved);
}

TEST_F(Images, RawPagesBackgroundsAndFonts)
{
	ImageChunks c = base_images();
	// 16-bit pixel 0x1234 becomes 0x4321 (then widened to 32 bits).
	c.pages.push_back(raw_page(1, 1, 1, {0x34, 0x12}));
	// 32-bit pixels stored R, G, B, A.
	c.pages.push_back(raw_page(2, 1, 0, {0x10, 0x20, 0x30, 0x40, 1, 2, 3, 4}));
	c.pages.push_back(raw_page(1, 1, 5, {0, 0, 0, 0}));   // unknown kind: no texture
	c.pages.push_back({'n', 'o', 'p', 'e'});             // undecodable: no texture
	c.entries[1].bounding_width = 48;
	c.entries[1].bounding_height = 20;
	BackgroundSpec b;
	b.name = "bg_sky";
	b.entry = 1;
	c.backgrounds = {b};
	FontSpec f;
	f.name = "fnt_main";
	f.face = "DejaVu Sans";
	f.range = 32 | (1u << 16) | (3u << 24);
	f.entry = 2;
	f.glyphs = {{65, 0, 0, 8, 12, 9, 0}, {66, 8, 0, 8, 14, 9, 1}, {40000, 16, 0, 8, 10, 9, 0}};
	c.fonts = {f};
	c.font_codes[65] = 65;
	c.font_codes[128] = 0x20AC;
	ASSERT_EQ(load_images(game, c), "");

	ImageResources &r = images();
	ASSERT_EQ(r.page_textures.size(), 5u);
	EXPECT_EQ(raw16_reverse(0x1234), 0x4321);
	const TextureSlot *p16 = texture_slot(r.page_textures[1]);
	ASSERT_NE(p16, nullptr);
	EXPECT_EQ(p16->pixels.at(0, 0), 0x44332211u);
	const TextureSlot *p32 = texture_slot(r.page_textures[2]);
	ASSERT_NE(p32, nullptr);
	EXPECT_EQ(p32->pixels.at(0, 0), 0x40102030u);
	EXPECT_EQ(p32->pixels.at(1, 0), 0x04010203u);
	EXPECT_EQ(r.page_textures[3], -1);
	EXPECT_EQ(r.page_textures[4], -1);

	const CBackground *bg = background_get(0);
	ASSERT_NE(bg, nullptr);
	EXPECT_EQ(r.background_names[0], "bg_sky");
	EXPECT_EQ(bg->width, 48);
	EXPECT_EQ(bg->height, 20);
	EXPECT_EQ(bg->texture, -1);
	EXPECT_EQ(call_builtin("background_get_texture", {0}).real(), ENTRY_HANDLE_BASE + bg->entry);

	const CFontData *font = font_get(0);
	ASSERT_NE(font, nullptr);
	EXPECT_EQ(font->face_name, "DejaVu Sans");
	EXPECT_EQ(font->first, 32);
	EXPECT_EQ(font->charset, 1);
	EXPECT_EQ(font->antialias, 2);
	EXPECT_EQ(font->line_height, 14);
	ASSERT_NE(font->find_glyph(66), nullptr);
	EXPECT_EQ(font->find_glyph(66)->offset, 1);
	ASSERT_NE(font->find_glyph(40000), nullptr);
	EXPECT_EQ(font->find_glyph(67), nullptr);
	EXPECT_EQ(r.font_codes[128], 0x20AC);
}

TEST_F(Images, DamagedRecordsNameTheChunk)
{
	struct Case
	{
		const char *what;
		void (*damage)(std::vector<uint8_t> &bytes, size_t sprt_body);
		const char *expected;
	};
	// The sprite record's frame count claims far more frames than the file holds.
	auto build = [&](ImageChunks c, std::vector<uint8_t> &bytes, size_t &sprt_body) {
		load_images(game, c);
		bytes = game.block.bytes;
		for (size_t i = 8; i + 8 <= bytes.size();) {
			uint32_t size = bytes[i + 4] | bytes[i + 5] << 8 | bytes[i + 6] << 16 | (uint32_t)bytes[i + 7] << 24;
			if (std::equal(bytes.begin() + (ptrdiff_t)i, bytes.begin() + (ptrdiff_t)i + 4, "SPRT"))
				sprt_body = i + 8;
			i += 8 + size;
		}
	};
	ImageChunks c = base_images();
	SpriteSpec s;
	s.name = "spr";
	s.width = 4, s.height = 4;
	s.frames = {0};
	c.sprites = {s};
	const Case cases[] = {
		{"frame count", [](std::vector<uint8_t> &b, size_t body) {
			 uint32_t rec = b[body + 4] | b[body + 5] << 8 | b[body + 6] << 16 | (uint32_t)b[body + 7] << 24;
			 for (int i = 0; i < 4; i++)
				 b[rec + 56 + i] = 0xFF;
		 }, "the sprite's frame list"},
		{"frame entry", [](std::vector<uint8_t> &b, size_t body) {
			 uint32_t rec = b[body + 4] | b[body + 5] << 8 | b[body + 6] << 16 | (uint32_t)b[body + 7] << 24;
			 uint32_t v = (uint32_t)b.size() - 10;
			 for (int i = 0; i < 4; i++)
				 b[rec + 60 + i] = (uint8_t)(v >> (8 * i));
		 }, "a texture-page entry"},
		{"mask count", [](std::vector<uint8_t> &b, size_t body) {
			 uint32_t rec = b[body + 4] | b[body + 5] << 8 | b[body + 6] << 16 | (uint32_t)b[body + 7] << 24;
			 for (int i = 0; i < 4; i++)
				 b[rec + 64 + i] = i == 3 ? 0x7F : 0xFF;
		 }, "masks of 4 x 4 pixels run past the end"},
	};
	for (const Case &k : cases) {
		std::vector<uint8_t> bytes;
		size_t body = 0;
		build(c, bytes, body);
		ASSERT_NE(body, 0u);
		k.damage(bytes, body);
		clear_images();
		GameData damaged;
		damaged.block.bytes = bytes;
		ASSERT_TRUE(first_pass(damaged).ok);
		LoadResult r = main_walk(damaged);
		EXPECT_FALSE(r.ok) << k.what;
		EXPECT_NE(r.error.find("chunk SPRT"), std::string::npos) << k.what << ": " << r.error;
		EXPECT_NE(r.error.find(k.expected), std::string::npos) << k.what << ": " << r.error;
	}
}
