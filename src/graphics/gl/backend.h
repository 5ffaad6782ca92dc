// backend.h: the OpenGL back end of the drawing layer. The layer above keeps
// the mirrors, the batch and the frame; this is the only code that talks to GL,
// and its interface carries no GL types.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/matrix.h"

namespace platform {
class Window;
}

namespace glb {

// A device texture: ordinary (pixels uploaded) or a render target with its own
// framebuffer and depth-stencil buffer.
struct DeviceTexture
{
	uint32_t texture = 0;
	uint32_t framebuffer = 0; // render targets only
	uint32_t depth = 0;       // render targets only
	int width = 0, height = 0;
};

// Creates the context's objects (shader, vertex buffer). False with the reason.
bool create(platform::Window &window, std::string &error);
void destroy();
bool ready();

// Ordinary texture from width x height pixels 0xAARRGGBB (null: blank).
bool create_texture(DeviceTexture &t, int width, int height, const uint32_t *pixels);
bool create_render_target(DeviceTexture &t, int width, int height);
void destroy_texture(DeviceTexture &t);
// Binds to stage 0 (null unbinds).
void bind_texture(const DeviceTexture *t);

// Makes a render target current, or the window's back buffer for null (whose
// size is given so that its rows can be addressed from the top).
void set_target(const DeviceTexture *t, int window_width, int window_height);
void set_viewport(int x, int y, int w, int h);
// Clears colour (0xAARRGGBB), depth (to 1) and stencil (to 0) by flags 1, 2, 4
// inside the current viewport only.
void clear(uint32_t argb, int flags);

// Render states by the layer's internal ids, sampler states by kind.
void render_state(int id, uint32_t value);
void sampler_state(int kind, bool flag);
// Lights of vertices with normals, in world space: kind 0 off, 1 directional
// (vec = direction), 2 point (vec = position, lit within range). Colours are
// 0xAARRGGBB; the ambient colour adds to every lit vertex.
constexpr int LIGHT_COUNT = 8;
struct Light
{
	int kind = 0;
	float vec[3] = {0, 0, 0};
	float range = 0;
	uint32_t colour = 0;
};
void set_lights(uint32_t ambient, const Light lights[LIGHT_COUNT]);

// Stage 0: texture times vertex colour (modulate) or the texture alone.
void set_texture_modulate(bool modulate);
void set_matrices(const Matrix4 &world, const Matrix4 &view, const Matrix4 &projection);

// Draws n vertices of the given primitive kind (1 points .. 6 fan) and vertex
// size (16, 24 or 36 bytes) from memory.
void draw(int kind, int vertex_size, const void *vertices, int n);

// Copies a render target of the window's size onto the window's back buffer,
// its first row at the top; the current target is bound again after.
void copy_to_window(const DeviceTexture &t, int window_width, int window_height);

// Reads a rectangle of the current target as 0xAARRGGBB rows from the top.
bool read_pixels(int x, int y, int w, int h, std::vector<uint32_t> &out);

// The largest texture side the driver takes.
int max_texture_size();

} // namespace glb
