// read_textures.cpp: TPAG (texture-page entries) and TXTR (the pages' images).
// Entries keep the index of their page; the page's texture id is looked up when
// drawing, so the order of the two chunks in the file does not matter.
#include "data/read_images.h"
#include "data/readers.h"

#include "common/console.h"
#include "graphics/images.h"
#include "graphics/texture_table.h"

int page_entry_at(const ByteReader &file, uint32_t offset)
{
	ImageResources &r = images();
	auto it = r.entry_at.find(offset);
	if (it != r.entry_at.end())
		return it->second;
	file.check(offset, 22, "a texture-page entry");
	TexturePageEntry e;
	int16_t *fields[11] = {&e.source_x, &e.source_y, &e.source_width, &e.source_height,
	                       &e.target_x, &e.target_y, &e.target_width, &e.target_height,
	                       &e.bounding_width, &e.bounding_height, &e.page};
	for (int i = 0; i < 11; i++)
		*fields[i] = (int16_t)file.u16(offset + 2 * i);
	// A drawn size of 0 is taken as 1.
	if (e.target_width == 0)
		e.target_width = 1;
	if (e.target_height == 0)
		e.target_height = 1;
	e.file_offset = offset;
	r.entries.push_back(e);
	int index = (int)r.entries.size() - 1;
	r.entry_at.emplace(offset, index);
	return index;
}

bool read_texture_pages(GameData &game, const Chunk &, const std::vector<uint32_t> &list)
{
	ByteReader file = game.file();
	ImageResources &r = images();
	r.page_list = list;
	for (uint32_t offset : list)
		if (offset != 0)
			page_entry_at(file, offset);
	return true;
}

bool read_textures(GameData &game, const Chunk &chunk, const std::vector<uint32_t> &list)
{
	ByteReader file = game.file();
	ImageResources &r = images();
	for (int id : r.page_textures)
		texture_free(id);
	r.page_textures.assign(list.size(), -1);
	for (size_t i = 0; i < list.size(); i++) {
		if (list[i] == 0)
			continue;
		uint32_t image = file.u32((uint64_t)list[i] + 4);
		if (image == 0 || image >= file.size())
			throw DataError((uint64_t)list[i] + 4, "texture page " + std::to_string(i) + " points outside the file");
		// The decoder gets the bytes up to the end of the file: it reads one image
		// and is never handed more than there is.
		std::string error;
		int id = texture_create_encoded(file.data() + image, file.size() - image, error);
		if (id < 0)
			dbg_console().Output("Texture page %d in chunk TXTR at offset %llu cannot be decoded: %s\n", (int)i,
			                     (unsigned long long)chunk.start, error.c_str());
		r.page_textures[i] = id;
	}
	return true;
}
