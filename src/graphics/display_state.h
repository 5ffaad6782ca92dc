// display_state.h: the state the drawing layer's modules share: device, frame,
// mirrors, matrices, target stack and batch. Only graphics/ reads it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/graphics.h"

struct DisplayState
{
	bool exists = false;
	platform::Window *window = nullptr;
	uint32_t flags = 0;
	int screen_w = 0, screen_h = 0;
	int window_w = 0, window_h = 0;
	int frame_open = 0;
	TextureD3D *screen = nullptr;
	TextureD3D *target = nullptr;      // null: the window's back buffer
	std::vector<TextureD3D *> stack;   // saved targets
	int viewport[4] = {0, 0, 0, 0};
	uint32_t window_colour = 0;
	int correction_w = 640, correction_h = 480;
	bool reset_requested = false;
	int pending_w = -1, pending_h = -1; // the screen size the next reset gives

	Matrix4 world, view, projection, projection_device;
	GraphicsSettings settings;
	GraphicsStats stats;

	// Mirrors: a value per render-state id and per sampler kind of stage 0..3.
	uint32_t render_states[24] = {};
	bool render_known[24] = {};
	int sampler_states[4][4] = {};
	bool sampler_known[4][4] = {};
	TextureD3D *bound = nullptr;

	// The batch.
	int batch_kind = PR_NONE;
	TextureD3D *batch_texture = nullptr;
	int batch_vertex_size = 0;
	int batch_count = 0;

	// Lights as defined; only enabled ones reach the device.
	struct LightSlot
	{
		int kind = 0;
		float vec[3] = {0, 0, 0};
		float range = 0;
		uint32_t colour = 0;
		bool enabled = false;
	};
	LightSlot lights[8];
	uint32_t ambient = 0;

	bool keep_frames = false;
	std::vector<uint32_t> last_frame;
	int last_frame_w = 0, last_frame_h = 0;
};

DisplayState &display_state();

// Adds the time of the device calls in its scope to the device time of the
// statistics.
class DeviceTime
{
public:
	DeviceTime() : start_(std::chrono::steady_clock::now()) {}
	~DeviceTime()
	{
		display_state().stats.device_seconds +=
		    std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
	}
	DeviceTime(const DeviceTime &) = delete;
	DeviceTime &operator=(const DeviceTime &) = delete;

private:
	std::chrono::steady_clock::time_point start_;
};

// Refills the mirror of the device's defaults, then applies every remembered
// setting ("D3D Settings Init").
void settings_init();
// Sends the ambient colour and the enabled lights to the device.
void send_lights();
// The size whose half pixel the projection mirror corrects by (view 0's port or
// the room's size; 640 x 480 without a room).
void GR_SetCorrectionSize(int w, int h);
// A display failure: standard error and the console.
void show_display_error(const std::string &text);
