// read_backgrounds.cpp: BGND, the background records: flags and the texture-page
// entry whose untrimmed frame gives the background's size.
#include "data/read_images.h"
#include "data/readers.h"

#include "graphics/images.h"

bool read_backgrounds(GameData &game, const Chunk &, const std::vector<uint32_t> &list)
{
	ByteReader file = game.file();
	ImageResources &r = images();
	r.backgrounds.clear();
	r.background_names.clear();
	r.backgrounds.resize(list.size());
	r.background_names.resize(list.size());
	for (size_t i = 0; i < list.size(); i++) {
		uint32_t at = list[i];
		if (at == 0)
			continue;
		file.check(at, 20, "a background record");
		auto b = std::make_unique<CBackground>();
		r.background_names[i] = file.string(file.u32(at));
		b->transparent = file.u32(at + 4) != 0;
		b->smooth = file.u32(at + 8) != 0;
		b->preload = file.u32(at + 12) != 0;
		uint32_t entry = file.u32(at + 16);
		if (entry == 0)
			throw DataError(at + 16, "background " + r.background_names[i] + " has no image");
		b->entry = page_entry_at(file, entry);
		const TexturePageEntry &e = r.entries[b->entry];
		b->width = e.bounding_width;
		b->height = e.bounding_height;
		r.backgrounds[i] = std::move(b);
	}
	return true;
}
