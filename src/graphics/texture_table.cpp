// texture_table.cpp: the texture table and the decoding of texture-page images.
#include "graphics/texture_table.h"

#include <cstring>
#include <memory>
#include <vector>

#include "graphics/graphics.h"

namespace {

std::vector<std::unique_ptr<TextureSlot>> slots;

int new_slot()
{
	for (size_t i = 0; i < slots.size(); i++)
		if (!slots[i]->valid)
			return (int)i;
	slots.push_back(std::make_unique<TextureSlot>());
	return (int)slots.size() - 1;
}

uint32_t read_u32(const uint8_t *p) { return (uint32_t)p[0] | (p[1] << 8) | (p[2] << 16) | ((uint32_t)p[3] << 24); }

uint32_t expand_4444(uint16_t p)
{
	uint32_t a = (p >> 12) & 0xF, r = (p >> 8) & 0xF, g = (p >> 4) & 0xF, b = p & 0xF;
	return (a * 17) << 24 | (r * 17) << 16 | (g * 17) << 8 | (b * 17);
}

// "RAW " u32 width, u32 height, u32 kind, then the pixels.
bool decode_raw(const uint8_t *data, size_t size, CBitmap32 &out, std::string &error)
{
	if (size < 16) {
		error = "a RAW image header is cut short";
		return false;
	}
	uint32_t w = read_u32(data + 4), h = read_u32(data + 8), kind = read_u32(data + 12);
	if (w == 0 || h == 0 || w > 16384 || h > 16384) {
		error = "a RAW image of " + std::to_string(w) + " x " + std::to_string(h) + " pixels";
		return false;
	}
	if (kind > 1) {
		error = "a RAW image of unknown kind " + std::to_string(kind);
		return false;
	}
	uint64_t bytes = (uint64_t)w * h * (kind == 0 ? 4 : 2);
	if (bytes > size - 16) {
		error = "a RAW image's pixels run past the end of the data";
		return false;
	}
	std::vector<uint32_t> pixels((size_t)w * h);
	const uint8_t *p = data + 16;
	for (size_t i = 0; i < pixels.size(); i++) {
		if (kind == 0) {
			const uint8_t *q = p + i * 4; // R, G, B, A
			pixels[i] = (uint32_t)q[3] << 24 | (uint32_t)q[0] << 16 | (uint32_t)q[1] << 8 | q[2];
		} else {
			uint16_t v = (uint16_t)(p[i * 2] | (p[i * 2 + 1] << 8));
			pixels[i] = expand_4444(raw16_reverse(v));
		}
	}
	out = CBitmap32((int)w, (int)h, std::move(pixels));
	return true;
}

int store(CBitmap32 &&bitmap, bool render_target)
{
	int id = new_slot();
	TextureSlot &s = *slots[id];
	s = TextureSlot();
	s.width = (uint16_t)bitmap.width();
	s.height = (uint16_t)bitmap.height();
	s.u_scale = 1.0f / (float)bitmap.width();
	s.v_scale = 1.0f / (float)bitmap.height();
	s.pixels = std::move(bitmap);
	s.render_target = render_target;
	s.valid = true;
	return id;
}

} // namespace

int texture_create_encoded(const uint8_t *data, size_t size, std::string &error)
{
	CBitmap32 bitmap;
	if (size >= 4 && std::memcmp(data, "RAW ", 4) == 0) {
		if (!decode_raw(data, size, bitmap, error))
			return -1;
	} else if (!bitmap.decode_png(data, size, error)) {
		return -1;
	}
	return store(std::move(bitmap), false);
}

int texture_create_blank(int width, int height, bool render_target)
{
	if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
		return -1;
	return store(CBitmap32(width, height, 0), render_target);
}

int texture_create_pixels(const void *data, size_t size, int width, int height)
{
	if (width > 0 && height > 0 && size == (size_t)width * height * 4) {
		std::vector<uint32_t> pixels((size_t)width * height);
		std::memcpy(pixels.data(), data, size);
		return store(CBitmap32(width, height, std::move(pixels)), false);
	}
	std::string error;
	return texture_create_encoded((const uint8_t *)data, size, error);
}

void texture_free(int id)
{
	if (!texture_exists(id))
		return;
	TextureSlot &s = *slots[id];
	GR_Texture_Free(s.texture);
	s = TextureSlot();
}

bool texture_exists(int id)
{
	return id >= 0 && (size_t)id < slots.size() && slots[id]->valid;
}

float texture_extent_width(int id)
{
	return texture_exists(id) ? slots[id]->u_scale * slots[id]->width : 1.0f;
}

float texture_extent_height(int id)
{
	return texture_exists(id) ? slots[id]->height / (1.0f / slots[id]->v_scale) : 1.0f;
}

const TextureSlot *texture_slot(int id)
{
	return texture_exists(id) ? slots[id].get() : nullptr;
}

TextureD3D *texture_device(int id)
{
	if (!texture_exists(id))
		return nullptr;
	TextureSlot &s = *slots[id];
	if (!s.texture && GR_D3D_Exists()) {
		if (s.render_target)
			s.texture = GR_Texture_CreateTarget(s.width, s.height);
		else
			s.texture = GR_Texture_Create(s.pixels.width(), s.pixels.height(), s.pixels.pixels().data());
	}
	return s.texture;
}

void texture_clear_all()
{
	for (auto &s : slots)
		GR_Texture_Free(s->texture);
	slots.clear();
}

int texture_count() { return (int)slots.size(); }

void texture_release_devices()
{
	for (auto &s : slots) {
		GR_Texture_Free(s->texture);
		s->texture = nullptr;
	}
}
