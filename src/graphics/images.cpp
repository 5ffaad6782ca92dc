// images.cpp: the image resource tables and the small helpers of their records.
#include "graphics/images.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "graphics/texture_table.h"
#include "world/instances.h"

ImageResources &images()
{
	static ImageResources resources;
	return resources;
}

void clear_images()
{
	ImageResources &r = images();
	for (int id : r.page_textures)
		texture_free(id);
	for (auto &s : r.sprites)
		if (s)
			for (int id : s->textures)
				texture_free(id);
	for (auto &b : r.backgrounds)
		if (b)
			texture_free(b->texture);
	r = ImageResources();
}

namespace {

int32_t sprite_image_count_of(int32_t index)
{
	const CSprite *s = sprite_get(index);
	return s ? s->frame_count() : 0;
}

bool sprite_exists_at(int32_t index) { return sprite_get(index) != nullptr; }

} // namespace

void install_sprite_hooks()
{
	InstanceHooks hooks = instance_hooks();
	if (!hooks.sprite_image_count)
		hooks.sprite_image_count = sprite_image_count_of;
	if (!hooks.sprite_exists)
		hooks.sprite_exists = sprite_exists_at;
	set_instance_hooks(hooks);
}

void CSprite::compute_bounding_radius()
{
	double best = 0;
	const int xs[2] = {0, width}, ys[2] = {0, height};
	for (int cx : xs)
		for (int cy : ys) {
			double dx = (double)cx - x_origin, dy = (double)cy - y_origin;
			best = std::max(best, std::ceil(std::sqrt(dx * dx + dy * dy)));
		}
	bounding_radius = best < 2147483647.0 ? (int)best : 2147483647;
}

const Glyph *CFontData::find_glyph(int code) const
{
	auto it = std::lower_bound(glyphs.begin(), glyphs.end(), code,
	                           [](const Glyph &g, int c) { return g.code < c; });
	return it != glyphs.end() && it->code == code ? &*it : nullptr;
}

CSprite *sprite_get(int index)
{
	ImageResources &r = images();
	return index >= 0 && (size_t)index < r.sprites.size() ? r.sprites[index].get() : nullptr;
}

CBackground *background_get(int index)
{
	ImageResources &r = images();
	return index >= 0 && (size_t)index < r.backgrounds.size() ? r.backgrounds[index].get() : nullptr;
}

CFontData *font_get(int index)
{
	ImageResources &r = images();
	return index >= 0 && (size_t)index < r.fonts.size() ? r.fonts[index].get() : nullptr;
}

TexturePageEntry *entry_get(int index)
{
	ImageResources &r = images();
	return index >= 0 && (size_t)index < r.entries.size() ? &r.entries[index] : nullptr;
}

int entry_texture(const TexturePageEntry &entry)
{
	const std::vector<int> &pages = images().page_textures;
	return entry.page >= 0 && (size_t)entry.page < pages.size() ? pages[entry.page] : -1;
}
