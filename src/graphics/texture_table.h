// texture_table.h: the texture table: slots of device textures with the size of
// their image and the scales that turn pixel positions into texture coordinates.
// An id is an index into the table. Pixels are kept in memory, so the device
// texture is made on first use and can be made again after the display changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "graphics/bitmap.h"

struct TextureD3D;

struct TextureSlot
{
	TextureD3D *texture = nullptr;
	CBitmap32 pixels;           // the system copy
	bool render_target = false;
	uint16_t width = 0, height = 0;
	float u_scale = 0, v_scale = 0;
	bool valid = false;
};

// Creates a texture from encoded bytes ("RAW " images or PNG). -1 with the
// reason when the bytes are not an image.
int texture_create_encoded(const uint8_t *data, size_t size, std::string &error);
// A blank texture (for surfaces): ordinary or a render target.
int texture_create_blank(int width, int height, bool render_target);
// From a 32-bit pixel buffer: raw pixels when size is width x height x 4, else
// encoded bytes.
int texture_create_pixels(const void *data, size_t size, int width, int height);
void texture_free(int id);
bool texture_exists(int id);
// The used part of the texture as a texture-coordinate extent; 1 for a bad id.
float texture_extent_width(int id);
float texture_extent_height(int id);
const TextureSlot *texture_slot(int id);
// The device texture of a valid id, made on first use; null otherwise.
TextureD3D *texture_device(int id);
void texture_clear_all();
// Forgets every device texture (the display is going away); pixels stay.
void texture_release_devices();
int texture_count();

// The 16-bit pixel of a "RAW " kind 1 image with its four fields reversed.
inline uint16_t raw16_reverse(uint16_t p)
{
	return (uint16_t)(((p & 0xF) << 12) | ((p & 0xF0) << 4) | ((p & 0xF00) >> 4) | ((p & 0xF000) >> 12));
}
