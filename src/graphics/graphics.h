// graphics.h: the drawing layer: the display and its frame, the render and
// sampler state mirrors, the transform mirror and view area, the vertex batch,
// the target stack, reading pixels back. Every drawing module goes through it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/matrix.h"

namespace platform {
class Window;
}
namespace glb {
struct DeviceTexture;
}

// Display flags (the header's window flags).
enum DisplayFlag : uint32_t
{
	DISPLAY_FULLSCREEN = 1,
	DISPLAY_VSYNC = 2,
	DISPLAY_SOFTWARE_VERTICES = 4,
	DISPLAY_INTERPOLATE = 8,
	DISPLAY_KEEP_ASPECT = 16,
	DISPLAY_SIZEABLE = 64,
};

// Primitive kinds of the batch.
enum PrimitiveKind
{
	PR_NONE = -1,
	PR_POINTLIST = 1,
	PR_LINELIST = 2,
	PR_LINESTRIP = 3,
	PR_TRIANGLELIST = 4,
	PR_TRIANGLESTRIP = 5,
	PR_TRIANGLEFAN = 6,
};

constexpr int BATCH_VERTICES = 32768;

struct Vertex16
{
	float x, y, z;
	uint32_t colour;
};
struct Vertex24
{
	float x, y, z;
	uint32_t colour;
	float u, v;
};
struct Vertex36
{
	float x, y, z, nx, ny, nz;
	uint32_t colour;
	float u, v;
};

// One device texture: ordinary or a render target. flags bit 0: drawn into
// since it was last bound.
struct TextureD3D
{
	uint32_t format = 6;
	int width = 0, height = 0;
	uint32_t flags = 0;
	bool render_target = false;
	glb::DeviceTexture *device = nullptr;
};

// Render state ids of the mirror.
enum RenderStateId
{
	RS_ZENABLE = 1,
	RS_FILLMODE = 2,
	RS_SHADEMODE = 3,
	RS_ALPHATESTENABLE = 5,
	RS_SRCBLEND = 6,
	RS_DESTBLEND = 7,
	RS_CULLMODE = 8,
	RS_ALPHAREF = 10,
	RS_ALPHAFUNC = 11,
	RS_ALPHABLENDENABLE = 12,
	RS_FOGENABLE = 13,
	RS_FOGCOLOR = 15,
	RS_FOGTABLEMODE = 16,
	RS_FOGSTART = 17,
	RS_FOGEND = 18,
	RS_LIGHTING = 21,
	RS_FOGVERTEXMODE = 23,
};

// Blend factors, numbered as the game passes them.
enum BlendFactor
{
	BLEND_ZERO = 1,
	BLEND_ONE = 2,
	BLEND_SRCCOLOR = 3,
	BLEND_INVSRCCOLOR = 4,
	BLEND_SRCALPHA = 5,
	BLEND_INVSRCALPHA = 6,
	BLEND_DESTALPHA = 7,
	BLEND_INVDESTALPHA = 8,
	BLEND_DESTCOLOR = 9,
	BLEND_INVDESTCOLOR = 10,
	BLEND_SRCALPHASAT = 11,
};

// The settings the draw_*, texture_* and d3d_* functions read back.
struct GraphicsSettings
{
	int blend_src = BLEND_SRCALPHA, blend_dest = BLEND_INVSRCALPHA;
	bool interpolate = false;
	bool texture_blending = true;
	bool texture_repeat = false;
	int cull_mode = 1;
	bool zenable = false;
	bool lighting = false;
	bool smooth_shading = true;
	bool fog = false;
	uint32_t fog_colour = 0;
	float fog_start = 0, fog_end = 1;
	bool mode_3d = false;
	bool perspective = false;
	float depth = 0;
	float view_x = 0, view_y = 0, view_w = 0, view_h = 0, view_angle = 0;
};

// Statistics and counters the tests and the debugger read.
struct GraphicsStats
{
	long submissions = 0;    // batches drawn
	long triangles = 0;      // triangles of the current frame
	int largest_batch = 0;
	long frames = 0;
	float dest_left = 0, dest_right = 0; // the screen's rectangle on the window
	float dest_top = 0, dest_bottom = 0;
	// Time spent in the driver's calls that draw, clear, switch targets, read
	// back or present: the work that is the driver's, not the engine's.
	double device_seconds = 0;
};

// ---- Device and frame ----
bool GR_D3D_Init(platform::Window &window, int width, int height, uint32_t display_flags);
void GR_D3D_Shutdown();
bool GR_D3D_Exists();
void GR_BeginFrame();
void GR_D3D_Finish_Frame();
bool GR_Present();
// Reset after a display or window change: the target stack emptied, the screen
// texture made again at the pending size (when one is set), the targets
// cleared and every setting applied again. Runs between frames; a requested
// reset runs at the start of the next frame.
bool GR_Reset();
void GR_RequestReset();
void GR_SetPendingSize(int width, int height);
void GR_Clear(uint32_t colour, int flags);
void GR_SetViewport(int x, int y, int w, int h);
void GR_SetViewArea(float x, float y, float w, float h, float angle);
void GR_SetTransform(int kind, const Matrix4 &matrix);
const Matrix4 &GR_GetTransform(int kind);
void GR_SetDepth(float depth);
float GR_GetDepth();
int GR_ScreenWidth();
int GR_ScreenHeight();
// The window's back-buffer size as read at the start of the frame.
void GR_WindowSize(int &width, int &height);
// The colour of the window around a kept-aspect screen (0xBBGGRR).
void GR_SetWindowColour(uint32_t colour);
void GR_SetVsync(bool on);

// ---- Batch ----
void *GR_Batch_Alloc(int kind, TextureD3D *texture, int vertex_size, int n);
void GR_Batch_GiveBack(int n);
void GR_Batch_Flush();
int GR_Batch_Count();

// ---- States ----
void GR_RenderState(int id, uint32_t value);
void GR_SamplerState(int stage, int kind, int flag);
void GR_SetTexture(int stage, TextureD3D *texture);
void GR_SetBlendMode(int mode);
void GR_SetBlendModeExt(int src, int dest);
void GR_SetInterpolation(bool on);
void GR_SetTextureBlending(bool on);
void GR_SetTextureRepeat(bool on);
void GR_SetAlphaBlend(bool on);
void GR_SetCull(int mode);
void GR_SetZEnable(bool on);
void GR_SetFog(bool on, uint32_t colour, float start, float end);
void GR_Set3DMode(bool on);
void GR_SetPerspective(bool on);
void GR_SetLighting(bool on);
void GR_SetShading(bool smooth);
// Lights (index 0-7): kind 1 directional (vec = direction), 2 point (vec =
// position, lit within range); colours 0xBBGGRR. Lighting lights vertices
// with normals; the ambient colour adds to every lit vertex.
void GR_SetAmbient(uint32_t colour);
void GR_DefineLight(int index, int kind, const float vec[3], float range, uint32_t colour);
void GR_EnableLight(int index, bool on);
// The remembered value of a render state (0 when never sent).
uint32_t GR_RenderStateValue(int id);
const GraphicsSettings &GR_Settings();
GraphicsStats &GR_Stats();

// ---- Textures and targets ----
// An ordinary texture of width x height pixels 0xAARRGGBB; null on failure.
TextureD3D *GR_Texture_Create(int width, int height, const uint32_t *pixels);
TextureD3D *GR_Texture_CreateTarget(int width, int height);
void GR_Texture_Free(TextureD3D *texture);
// Makes a render target current (null: the back buffer).
bool GR_SetTarget(TextureD3D *texture);
bool GR_PushTarget();
bool GR_PopTarget();
// Copies a rectangle of the current target (clipped to it) as 0xAARRGGBB rows;
// false when nothing is left.
bool GR_ReadPixels(int x, int y, int w, int h, std::vector<uint32_t> &out, int &out_w, int &out_h);
// Copies a rectangle of the screen texture (the game's picture), clipped.
bool GR_ReadScreen(int x, int y, int w, int h, std::vector<uint32_t> &out, int &out_w, int &out_h);
// The last presented frame of the window, when frames are being kept.
void GR_KeepPresentedFrames(bool keep);
bool GR_LastPresentedFrame(std::vector<uint32_t> &pixels, int &width, int &height);

// ---- Colour ----
// Game colour 0xBBGGRR and alpha [0,1] to the device's 0xAARRGGBB.
uint32_t GR_Colour(uint32_t colour, double alpha);
uint8_t GR_AlphaByte(double alpha);
