// read_sprites.cpp: SPRT, the sprite records: size, bounding box, flags, origin,
// the frames' texture-page entries and the collision masks.
#include "data/read_images.h"
#include "data/readers.h"

#include "graphics/images.h"

namespace {

void read_masks(const ByteReader &file, uint64_t at, CSprite &s)
{
	int32_t count = file.i32(at);
	if (count <= 0)
		return;
	if (s.width <= 0 || s.height <= 0)
		throw DataError(at, "a sprite of " + std::to_string(s.width) + " x " + std::to_string(s.height) +
		                        " pixels carries masks");
	uint64_t row = ((uint64_t)s.width + 7) / 8;
	uint64_t mask_bytes = row * (uint64_t)s.height;
	if (mask_bytes > file.size() || (uint64_t)count > file.size() / mask_bytes)
		throw DataError(at, std::to_string(count) + " masks of " + std::to_string(s.width) + " x " +
		                        std::to_string(s.height) + " pixels run past the end of the data");
	file.check(at + 4, mask_bytes * (uint64_t)count, "the sprite's masks");
	s.separate_masks = count != s.frame_count();
	s.masks.resize((size_t)count);
	uint64_t p = at + 4;
	for (auto &mask : s.masks) {
		mask.assign((size_t)s.width * s.height, 0);
		for (int y = 0; y < s.height; y++)
			for (int x = 0; x < s.width; x++) {
				uint8_t byte = file.u8(p + (uint64_t)y * row + x / 8);
				mask[(size_t)y * s.width + x] = (byte >> (7 - x % 8)) & 1;
			}
		p += mask_bytes;
	}
	s.masks_present = true;
}

std::unique_ptr<CSprite> read_sprite(const ByteReader &file, uint32_t at, std::string &name)
{
	file.check(at, 60, "a sprite record");
	name = file.string(file.u32(at));
	auto s = std::make_unique<CSprite>();
	s->width = file.i32(at + 4);
	s->height = file.i32(at + 8);
	s->bbox_left = file.i32(at + 12);
	s->bbox_right = file.i32(at + 16);
	s->bbox_bottom = file.i32(at + 20);
	s->bbox_top = file.i32(at + 24);
	s->transparent = file.u32(at + 28) != 0;
	s->smooth = file.u32(at + 32) != 0;
	s->preload = file.u32(at + 36) != 0;
	s->bbox_mode = file.i32(at + 40);
	s->precise = file.u32(at + 44) != 0;
	s->x_origin = file.i32(at + 48);
	s->y_origin = file.i32(at + 52);
	if (s->width < 0 || s->height < 0)
		throw DataError(at + 4, "sprite " + name + " has a negative size");
	uint32_t frames = file.u32(at + 56);
	file.check(at + 60, (uint64_t)frames * 4 + 4, "the sprite's frame list");
	s->entries.reserve(frames);
	for (uint32_t i = 0; i < frames; i++) {
		uint32_t entry = file.u32(at + 60 + (uint64_t)i * 4);
		if (entry == 0)
			throw DataError(at + 60 + (uint64_t)i * 4, "sprite " + name + " has a frame without an image");
		s->entries.push_back(page_entry_at(file, entry));
	}
	read_masks(file, at + 60 + (uint64_t)frames * 4, *s);
	s->compute_bounding_radius();
	return s;
}

} // namespace

bool read_sprites(GameData &game, const Chunk &, const std::vector<uint32_t> &list)
{
	ByteReader file = game.file();
	ImageResources &r = images();
	r.sprites.clear();
	r.sprite_names.clear();
	r.sprites.resize(list.size());
	r.sprite_names.resize(list.size());
	for (size_t i = 0; i < list.size(); i++)
		if (list[i] != 0)
			r.sprites[i] = read_sprite(file, list[i], r.sprite_names[i]);
	install_sprite_hooks();
	return true;
}
