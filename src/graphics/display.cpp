// display.cpp: the device and the frame: start-up of the GL display, the screen
// texture drawn onto the window (kept to its aspect when asked), the view area
// and transform mirror, the target stack, clearing and reading pixels back.
#include "graphics/graphics.h"
#include "graphics/display_state.h"
#include "graphics/display_size.h"

#include <algorithm>
#include <cmath>

#include "graphics/gl/backend.h"
#include "graphics/texture_table.h"
#include "platform/window.h"

DisplayState &display_state()
{
	static DisplayState state;
	return state;
}

namespace {

DisplayState &ds = display_state();

constexpr float PI_F = 3.1415927410125732f;

// A screen size asked for while a frame was open, made at the next frame's start.
int g_pending_w = 0, g_pending_h = 0;

void send_matrices()
{
	if (glb::ready())
		glb::set_matrices(ds.world, ds.view, ds.projection_device);
}

void target_size(int &w, int &h)
{
	if (ds.target) {
		w = ds.target->width;
		h = ds.target->height;
	} else {
		w = ds.window_w;
		h = ds.window_h;
	}
}

void refresh_window_size()
{
	int w = 0, h = 0;
	if (ds.window)
		ds.window->drawable_size(w, h);
	if (w > 0 && h > 0) {
		ds.window_w = w;
		ds.window_h = h;
	}
}

void note_composed(float left, float top, float right, float bottom)
{
	ds.stats.dest_left = left;
	ds.stats.dest_right = right;
	ds.stats.dest_top = top;
	ds.stats.dest_bottom = bottom;
	ds.stats.frames++;
}

// Draws the screen texture over the window's back buffer. At the window's own
// size it is copied: no clear (it covers the window), no shading of its pixels.
void compose_frame()
{
	GR_Batch_Flush();
	if (ds.screen && ds.screen_w == ds.window_w && ds.screen_h == ds.window_h) {
		{
			DeviceTime timed;
			glb::copy_to_window(*ds.screen->device, ds.window_w, ds.window_h);
		}
		note_composed(0, 0, (float)ds.window_w, (float)ds.window_h);
		return;
	}
	GraphicsSettings &s = ds.settings;
	int saved_cull = s.cull_mode;
	bool saved_z = s.zenable, saved_lighting = s.lighting, saved_fog = s.fog, saved_interp = s.interpolate;
	Matrix4 saved_view = ds.view, saved_projection = ds.projection, saved_device = ds.projection_device;
	Matrix4 saved_world = ds.world;

	float W = (float)ds.window_w, H = (float)ds.window_h;
	ds.view = Matrix4::translation(-W / 2, -H / 2, 16000);
	ds.projection = ds.projection_device = Matrix4::ortho_lh(W, -H, 1, 32000);
	ds.world = Matrix4::identity();
	send_matrices();
	GR_SetCull(1);
	GR_SetZEnable(false);
	GR_RenderState(RS_LIGHTING, 0);
	GR_RenderState(RS_FOGENABLE, 0);
	GR_SetTexture(0, nullptr);
	GR_SetAlphaBlend(false);
	GR_SetInterpolation((ds.flags & DISPLAY_INTERPOLATE) != 0);

	GR_SetViewport(0, 0, ds.window_w, ds.window_h);
	float left = 0, top = 0, right = W, bottom = H;
	if ((ds.flags & DISPLAY_KEEP_ASPECT) && ds.screen_w > 0 && ds.screen_h > 0) {
		float r = (float)ds.screen_w / (float)ds.screen_h;
		if (H > W / r) {
			float h = W / r;
			top = (H - h) / 2;
			bottom = top + h;
		} else if (H < W / r) {
			float w = H * r;
			left = (W - w) / 2;
			right = left + w;
		}
	}
	// The window colour shows only beside a picture kept to its aspect.
	if (left > 0 || top > 0)
		GR_Clear(ds.window_colour | 0xFF000000u, 1);
	Vertex24 *v = (Vertex24 *)GR_Batch_Alloc(PR_TRIANGLEFAN, ds.screen, 24, 4);
	if (v) {
		uint32_t white = 0xFFFFFFFFu;
		v[0] = {left, top, 0, white, 0, 0};
		v[1] = {right, top, 0, white, 1, 0};
		v[2] = {right, bottom, 0, white, 1, 1};
		v[3] = {left, bottom, 0, white, 0, 1};
	}
	note_composed(left, top, right, bottom);
	GR_Batch_Flush();

	GR_SetInterpolation(saved_interp);
	GR_SetTexture(0, nullptr);
	GR_SetAlphaBlend(true);
	GR_SetCull(saved_cull);
	GR_SetZEnable(saved_z);
	GR_RenderState(RS_LIGHTING, saved_lighting);
	GR_RenderState(RS_FOGENABLE, saved_fog);
	ds.view = saved_view;
	ds.projection = saved_projection;
	ds.projection_device = saved_device;
	ds.world = saved_world;
	send_matrices();
}

} // namespace

bool GR_D3D_Init(platform::Window &window, int width, int height, uint32_t display_flags)
{
	int sw = 0, sh = 0;
	platform::screen_size(sw, sh);
	if (sw > 0 && sh > 0) {
		width = std::min(width, sw);
		height = std::min(height, sh);
	}
	width = std::max(width, 1);
	height = std::max(height, 1);
	std::string error;
	if (!glb::create(window, error)) {
		show_display_error("Failed to create the OpenGL display: " + error);
		return false;
	}
	ds.window = &window;
	ds.flags = display_flags;
	ds.screen_w = width;
	ds.screen_h = height;
	refresh_window_size();
	window.set_vsync((display_flags & DISPLAY_VSYNC) != 0);
	ds.screen = GR_Texture_CreateTarget(width, height);
	if (!ds.screen) {
		show_display_error("Unable to create a screen that is " + std::to_string(width) + " x " +
		                   std::to_string(height) + " - please ensure settings are correct");
		glb::destroy();
		return false;
	}
	ds.exists = true;
	ds.settings.interpolate = (display_flags & DISPLAY_INTERPOLATE) != 0;
	ds.target = nullptr;
	glb::set_target(nullptr, ds.window_w, ds.window_h);
	settings_init();
	GR_SetViewport(0, 0, ds.window_w, ds.window_h);
	GR_Clear(0xFF000000u, 7);
	GR_SetTarget(ds.screen);
	GR_Clear(0xFF000000u, 7);
	GR_SetTarget(nullptr);
	GR_SetViewport(0, 0, width, height);
	GR_SetViewArea(0, 0, (float)width, (float)height, 0);
	return true;
}

void GR_D3D_Shutdown()
{
	if (!ds.exists)
		return;
	GR_Batch_Flush();
	texture_release_devices();
	GR_Texture_Free(ds.screen);
	glb::destroy();
	DisplayState fresh;
	ds = std::move(fresh);
}

bool GR_D3D_Exists() { return ds.exists; }
int GR_ScreenWidth() { return ds.screen_w; }
int GR_ScreenHeight() { return ds.screen_h; }

void GR_WindowSize(int &width, int &height)
{
	width = ds.window_w;
	height = ds.window_h;
}

void GR_SetWindowColour(uint32_t colour) { ds.window_colour = colour & 0xFFFFFF; }

void GR_SetVsync(bool on)
{
	if (on)
		ds.flags |= DISPLAY_VSYNC;
	else
		ds.flags &= ~DISPLAY_VSYNC;
	if (ds.window)
		ds.window->set_vsync(on);
}

// Recreates the screen texture at the pending size; the old one stays when
// the new one cannot be made.
static void make_pending_screen()
{
	int w = g_pending_w, h = g_pending_h;
	g_pending_w = g_pending_h = 0;
	if (w <= 0 || h <= 0 || (w == ds.screen_w && h == ds.screen_h))
		return;
	TextureD3D *screen = GR_Texture_CreateTarget(w, h);
	if (!screen) {
		show_display_error("Unable to create a screen that is " + std::to_string(w) + " x " + std::to_string(h));
		return;
	}
	GR_Batch_Flush();
	GR_Texture_Free(ds.screen);
	ds.screen = screen;
	ds.screen_w = w;
	ds.screen_h = h;
}

void GR_SetWindowSize(int width, int height)
{
	if (!ds.exists || !ds.window)
		return;
	int sw = 0, sh = 0;
	platform::screen_size(sw, sh);
	if (sw > 0 && sh > 0) {
		width = std::min(width, sw);
		height = std::min(height, sh);
	}
	width = std::max(width, 1);
	height = std::max(height, 1);
	// A full-screen window keeps covering the screen; only the picture changes.
	int cw = 0, ch = 0;
	ds.window->client_size(cw, ch);
	if ((cw != width || ch != height) && !(ds.flags & DISPLAY_FULLSCREEN))
		ds.window->set_client_size(width, height);
	refresh_window_size();
	g_pending_w = width;
	g_pending_h = height;
	if (ds.frame_open == 0)
		make_pending_screen();
}

void GR_SetPendingSize(int width, int height)
{
	ds.pending_w = width;
	ds.pending_h = height;
	ds.reset_requested = true;
}

void GR_RequestReset() { ds.reset_requested = true; }

bool GR_Reset()
{
	if (!ds.exists || ds.frame_open != 0)
		return false;
	ds.reset_requested = false;
	GR_Batch_Flush();
	ds.stack.clear();
	GR_SetTarget(nullptr);
	int w = ds.pending_w > 0 ? ds.pending_w : ds.screen_w;
	int h = ds.pending_h > 0 ? ds.pending_h : ds.screen_h;
	ds.pending_w = ds.pending_h = -1;
	if (w != ds.screen_w || h != ds.screen_h || !ds.screen) {
		TextureD3D *screen = GR_Texture_CreateTarget(w, h);
		if (!screen) {
			show_display_error("Unable to create a screen that is " + std::to_string(w) + " x " + std::to_string(h) +
			                   " - please ensure settings are correct");
			return false;
		}
		GR_Texture_Free(ds.screen);
		ds.screen = screen;
		ds.screen_w = w;
		ds.screen_h = h;
	}
	refresh_window_size();
	settings_init();
	GR_SetViewport(0, 0, ds.window_w, ds.window_h);
	GR_Clear(0xFF000000u, 7);
	GR_SetTarget(ds.screen);
	GR_SetViewport(0, 0, w, h);
	GR_Clear(0xFF000000u, 7);
	GR_SetTarget(nullptr);
	GR_SetViewArea(0, 0, (float)w, (float)h, 0);
	return true;
}

void GR_BeginFrame()
{
	if (!ds.exists || ds.frame_open != 0)
		return;
	make_pending_screen();
	if (ds.reset_requested)
		GR_Reset();
	ds.stack.clear();
	ds.target = nullptr;
	GR_PushTarget();
	refresh_window_size();
	GR_SetTarget(ds.screen);
	ds.stats.triangles = 0;
	ds.frame_open = 1;
}

void GR_D3D_Finish_Frame()
{
	if (ds.frame_open != 1)
		return;
	ds.frame_open = 0;
	GR_Batch_Flush();
	GR_PopTarget();
	compose_frame();
}

bool GR_Present()
{
	if (!ds.exists || !ds.window)
		return false;
	if (ds.keep_frames) {
		TextureD3D *saved = ds.target;
		GR_SetTarget(nullptr);
		int w = 0, h = 0;
		if (GR_ReadPixels(0, 0, ds.window_w, ds.window_h, ds.last_frame, w, h)) {
			ds.last_frame_w = w;
			ds.last_frame_h = h;
		}
		GR_SetTarget(saved);
	}
	DeviceTime timed;
	ds.window->swap();
	return true;
}

void GR_KeepPresentedFrames(bool keep) { ds.keep_frames = keep; }

bool GR_LastPresentedFrame(std::vector<uint32_t> &pixels, int &width, int &height)
{
	if (ds.last_frame.empty())
		return false;
	pixels = ds.last_frame;
	width = ds.last_frame_w;
	height = ds.last_frame_h;
	return true;
}

void GR_Clear(uint32_t colour, int flags)
{
	if (!ds.exists)
		return;
	GR_Batch_Flush();
	DeviceTime timed;
	glb::clear(GR_Colour(colour & 0xFFFFFF, 0) | (colour & 0xFF000000u), flags);
}

void GR_SetViewport(int x, int y, int w, int h)
{
	GR_Batch_Flush();
	ds.viewport[0] = x;
	ds.viewport[1] = y;
	ds.viewport[2] = w;
	ds.viewport[3] = h;
	if (ds.exists)
		glb::set_viewport(x, y, w, h);
}

void GR_SetTransform(int kind, const Matrix4 &matrix)
{
	GR_Batch_Flush();
	if (kind == 0) {
		ds.view = matrix;
	} else if (kind == 1) {
		// The mirror keeps the half-pixel correction that a device with pixel
		// centres on integer coordinates needs; GL's centres already lie at .5,
		// so the device gets the matrix as given.
		ds.projection = matrix;
		ds.projection.m[3][0] -= 1.0f / (float)ds.correction_w;
		ds.projection.m[3][1] += 1.0f / (float)ds.correction_h;
		ds.projection_device = matrix;
	} else if (kind == 2) {
		ds.world = matrix;
	} else {
		return;
	}
	send_matrices();
}

const Matrix4 &GR_GetTransform(int kind)
{
	return kind == 0 ? ds.view : kind == 1 ? ds.projection : ds.world;
}

void GR_SetCorrectionSize(int w, int h)
{
	ds.correction_w = w > 0 ? w : 640;
	ds.correction_h = h > 0 ? h : 480;
}

void GR_SetViewArea(float x, float y, float w, float h, float angle)
{
	GR_Batch_Flush();
	GraphicsSettings &s = ds.settings;
	s.view_x = x;
	s.view_y = y;
	s.view_w = w;
	s.view_h = h;
	s.view_angle = angle;
	float cx = x + w / 2, cy = y + h / 2;
	float a = -angle * PI_F / 180.0f;
	float up[3] = {std::sin(a), std::cos(a), 0};
	float at[3] = {cx, cy, 0};
	if (s.mode_3d && s.perspective) {
		float eye[3] = {cx, cy, -w};
		GR_SetTransform(0, Matrix4::look_at_lh(eye, at, up));
		GR_SetTransform(1, Matrix4::perspective_lh(1, h / w, 1, 32000));
	} else {
		float eye[3] = {cx, cy, -16000};
		GR_SetTransform(0, Matrix4::look_at_lh(eye, at, up));
		GR_SetTransform(1, Matrix4::ortho_lh(w, -h, 1, 32000));
	}
}

void GR_SetDepth(float depth)
{
	ds.settings.depth = ds.settings.mode_3d ? std::clamp(depth, -16000.0f, 16000.0f) : 0.0f;
}

float GR_GetDepth() { return ds.settings.depth; }

bool GR_SetTarget(TextureD3D *texture)
{
	if (!ds.exists)
		return false;
	GR_Batch_Flush();
	ds.target = texture;
	if (texture)
		texture->flags |= 1;
	{
		DeviceTime timed;
		glb::set_target(texture ? texture->device : nullptr, ds.window_w, ds.window_h);
	}
	int w = 0, h = 0;
	target_size(w, h);
	GR_SetViewport(0, 0, w, h);
	return true;
}

bool GR_PushTarget()
{
	// The stack has 8 places: a ninth push is refused instead of overrunning it.
	if (ds.stack.size() >= 8)
		return false;
	ds.stack.push_back(ds.target);
	return true;
}

bool GR_PopTarget()
{
	if (ds.stack.empty())
		return false;
	TextureD3D *previous = ds.stack.back();
	ds.stack.pop_back();
	return GR_SetTarget(previous);
}

bool GR_ReadPixels(int x, int y, int w, int h, std::vector<uint32_t> &out, int &out_w, int &out_h)
{
	if (!ds.exists)
		return false;
	GR_Batch_Flush();
	int tw = 0, th = 0;
	target_size(tw, th);
	if (x < 0) {
		w += x;
		x = 0;
	}
	if (y < 0) {
		h += y;
		y = 0;
	}
	w = std::min(w, tw - x);
	h = std::min(h, th - y);
	if (w <= 0 || h <= 0)
		return false;
	DeviceTime timed;
	if (!glb::read_pixels(x, y, w, h, out))
		return false;
	out_w = w;
	out_h = h;
	return true;
}

TextureD3D *GR_Texture_Create(int width, int height, const uint32_t *pixels)
{
	if (!ds.exists && !glb::ready())
		return nullptr;
	auto *device = new glb::DeviceTexture();
	if (!glb::create_texture(*device, width, height, pixels)) {
		delete device;
		return nullptr;
	}
	auto *t = new TextureD3D();
	t->width = width;
	t->height = height;
	t->device = device;
	return t;
}

TextureD3D *GR_Texture_CreateTarget(int width, int height)
{
	if (!glb::ready())
		return nullptr;
	auto *device = new glb::DeviceTexture();
	if (!glb::create_render_target(*device, width, height)) {
		delete device;
		return nullptr;
	}
	auto *t = new TextureD3D();
	t->width = width;
	t->height = height;
	t->render_target = true;
	t->device = device;
	return t;
}

void GR_Texture_Free(TextureD3D *texture)
{
	if (!texture)
		return;
	if (ds.batch_texture == texture)
		GR_Batch_Flush();
	if (ds.bound == texture)
		GR_SetTexture(0, nullptr);
	if (ds.target == texture)
		GR_SetTarget(nullptr);
	std::replace(ds.stack.begin(), ds.stack.end(), texture, (TextureD3D *)nullptr);
	glb::destroy_texture(*texture->device);
	delete texture->device;
	delete texture;
}

bool GR_ReadScreen(int x, int y, int w, int h, std::vector<uint32_t> &out, int &out_w, int &out_h)
{
	if (!ds.exists)
		return false;
	if (ds.target == ds.screen)
		return GR_ReadPixels(x, y, w, h, out, out_w, out_h);
	TextureD3D *saved = ds.target;
	GR_SetTarget(ds.screen);
	bool ok = GR_ReadPixels(x, y, w, h, out, out_w, out_h);
	GR_SetTarget(saved);
	return ok;
}
