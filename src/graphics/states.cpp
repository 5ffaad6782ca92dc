// states.cpp: the render and sampler state mirrors, the settings the layer keeps
// (blend, interpolation, texture blending and repeat, cull, z, fog), the device
// defaults refilled at start-up, and the colour conversion.
#include "graphics/graphics.h"
#include "graphics/display_state.h"

#include <cstring>

#include "common/console.h"
#include "graphics/gl/backend.h"

namespace {

DisplayState &ds = display_state();

uint32_t float_bits(float f)
{
	uint32_t v;
	std::memcpy(&v, &f, 4);
	return v;
}

// Blend factors 2 to 17 pass through; anything else is zero.
uint32_t blend_factor(int f) { return f >= 2 && f <= 17 ? (uint32_t)f : BLEND_ZERO; }

} // namespace

void show_display_error(const std::string &text)
{
	show_message(text);
}

uint8_t GR_AlphaByte(double alpha)
{
	double a = alpha * 255.0;
	if (!(a > 0))
		return 0;
	if (a > 255)
		return 255;
	return (uint8_t)(int)a;
}

uint32_t GR_Colour(uint32_t c, double alpha)
{
	return ((c >> 16) & 0xFF) | ((c & 0xFF) << 16) | (c & 0xFF00) | ((uint32_t)GR_AlphaByte(alpha) << 24);
}

void GR_RenderState(int id, uint32_t value)
{
	if (id < 1 || id > 23)
		return;
	if (ds.render_known[id] && ds.render_states[id] == value)
		return;
	ds.render_known[id] = true;
	ds.render_states[id] = value;
	if (glb::ready())
		glb::render_state(id, value);
}

uint32_t GR_RenderStateValue(int id)
{
	return id >= 1 && id <= 23 ? ds.render_states[id] : 0;
}

void GR_SamplerState(int stage, int kind, int flag)
{
	if (stage < 0 || stage > 3 || kind < 0 || kind > 3)
		return;
	int value = flag != 0;
	if (ds.sampler_known[stage][kind] && ds.sampler_states[stage][kind] == value)
		return;
	ds.sampler_known[stage][kind] = true;
	ds.sampler_states[stage][kind] = value;
	if (stage == 0 && glb::ready())
		glb::sampler_state(kind, value != 0);
}

void GR_SetTexture(int stage, TextureD3D *texture)
{
	if (stage != 0)
		return;
	// A render target drawn into since it was last bound needs no resolve here:
	// GL samples the framebuffer's own texture.
	if (texture)
		texture->flags &= ~1u;
	ds.bound = texture;
	if (glb::ready())
		glb::bind_texture(texture ? texture->device : nullptr);
}

void GR_SetBlendModeExt(int src, int dest)
{
	GR_Batch_Flush();
	ds.settings.blend_src = src;
	ds.settings.blend_dest = dest;
	GR_RenderState(RS_SRCBLEND, blend_factor(src));
	GR_RenderState(RS_DESTBLEND, blend_factor(dest));
}

void GR_SetBlendMode(int mode)
{
	switch (mode) {
	case 1: GR_SetBlendModeExt(BLEND_SRCALPHA, BLEND_ONE); break;
	case 2: GR_SetBlendModeExt(BLEND_SRCALPHA, BLEND_INVSRCCOLOR); break;
	case 3: GR_SetBlendModeExt(BLEND_ZERO, BLEND_INVSRCCOLOR); break;
	default: GR_SetBlendModeExt(BLEND_SRCALPHA, BLEND_INVSRCALPHA); break;
	}
}

void GR_SetInterpolation(bool on)
{
	GR_Batch_Flush();
	ds.settings.interpolate = on;
	GR_SamplerState(0, 0, !on);
	GR_SamplerState(0, 1, !on);
}

void GR_SetTextureBlending(bool on)
{
	GR_Batch_Flush();
	ds.settings.texture_blending = on;
	if (glb::ready())
		glb::set_texture_modulate(on);
}

void GR_SetTextureRepeat(bool on)
{
	GR_Batch_Flush();
	ds.settings.texture_repeat = on;
}

void GR_SetAlphaBlend(bool on)
{
	GR_Batch_Flush();
	GR_RenderState(RS_ALPHABLENDENABLE, on);
}

void GR_SetCull(int mode)
{
	GR_Batch_Flush();
	ds.settings.cull_mode = mode;
	GR_RenderState(RS_CULLMODE, (uint32_t)mode);
}

void GR_SetZEnable(bool on)
{
	GR_Batch_Flush();
	ds.settings.zenable = on;
	GR_RenderState(RS_ZENABLE, on);
}

void GR_SetFog(bool on, uint32_t colour, float start, float end)
{
	GR_Batch_Flush();
	GraphicsSettings &s = ds.settings;
	s.fog = on;
	s.fog_colour = colour;
	s.fog_start = start;
	s.fog_end = end;
	GR_RenderState(RS_FOGENABLE, on);
	GR_RenderState(RS_FOGCOLOR, GR_Colour(colour, 1.0));
	GR_RenderState(RS_FOGSTART, float_bits(start));
	GR_RenderState(RS_FOGEND, float_bits(end));
}

void GR_Set3DMode(bool on)
{
	GR_Batch_Flush();
	ds.settings.mode_3d = on;
	if (!on)
		ds.settings.depth = 0;
}

void GR_SetPerspective(bool on)
{
	GR_Batch_Flush();
	ds.settings.perspective = on;
}

void GR_SetLighting(bool on)
{
	GR_Batch_Flush();
	ds.settings.lighting = on;
	GR_RenderState(RS_LIGHTING, on);
}

void GR_SetShading(bool smooth)
{
	GR_Batch_Flush();
	ds.settings.smooth_shading = smooth;
	GR_RenderState(RS_SHADEMODE, smooth ? 2 : 1);
}

void send_lights()
{
	if (!glb::ready())
		return;
	glb::Light lights[glb::LIGHT_COUNT];
	for (int i = 0; i < glb::LIGHT_COUNT; i++) {
		const DisplayState::LightSlot &l = ds.lights[i];
		if (!l.enabled)
			continue;
		lights[i].kind = l.kind;
		std::memcpy(lights[i].vec, l.vec, sizeof l.vec);
		lights[i].range = l.range;
		lights[i].colour = GR_Colour(l.colour, 1.0);
	}
	glb::set_lights(GR_Colour(ds.ambient, 1.0), lights);
}

void GR_SetAmbient(uint32_t colour)
{
	GR_Batch_Flush();
	ds.ambient = colour & 0xFFFFFF;
	send_lights();
}

void GR_DefineLight(int index, int kind, const float vec[3], float range, uint32_t colour)
{
	if (index < 0 || index >= 8)
		return;
	GR_Batch_Flush();
	DisplayState::LightSlot &l = ds.lights[index];
	l.kind = kind;
	std::memcpy(l.vec, vec, sizeof l.vec);
	l.range = range;
	l.colour = colour & 0xFFFFFF;
	send_lights();
}

void GR_EnableLight(int index, bool on)
{
	if (index < 0 || index >= 8)
		return;
	GR_Batch_Flush();
	ds.lights[index].enabled = on;
	send_lights();
}

const GraphicsSettings &GR_Settings() { return ds.settings; }
GraphicsStats &GR_Stats() { return ds.stats; }

void settings_init()
{
	std::memset(ds.render_known, 0, sizeof ds.render_known);
	std::memset(ds.sampler_known, 0, sizeof ds.sampler_known);
	GR_RenderState(RS_LIGHTING, 1);
	GR_RenderState(RS_ZENABLE, 1);
	GR_RenderState(RS_FILLMODE, 3);
	GR_RenderState(RS_SHADEMODE, 2);
	GR_RenderState(RS_ALPHATESTENABLE, 0);
	GR_RenderState(RS_SRCBLEND, BLEND_ONE);
	GR_RenderState(RS_DESTBLEND, BLEND_ZERO);
	GR_RenderState(RS_CULLMODE, 1);
	GR_RenderState(RS_ALPHAREF, 0x80);
	GR_RenderState(RS_ALPHAFUNC, 8);
	GR_RenderState(RS_ALPHABLENDENABLE, 0);
	GR_RenderState(RS_FOGENABLE, 0);
	GR_RenderState(RS_FOGCOLOR, 0);
	GR_RenderState(RS_FOGTABLEMODE, 0);
	GR_RenderState(RS_FOGSTART, float_bits(0));
	GR_RenderState(RS_FOGEND, float_bits(1));

	const GraphicsSettings s = ds.settings;
	GR_SetAlphaBlend(true);
	GR_SetCull(s.cull_mode);
	GR_SetBlendModeExt(s.blend_src, s.blend_dest);
	GR_RenderState(RS_LIGHTING, s.lighting);
	GR_RenderState(RS_SHADEMODE, s.smooth_shading ? 2 : 1);
	GR_SetZEnable(s.zenable);
	GR_SetFog(s.fog, s.fog_colour, s.fog_start, s.fog_end);
	GR_SetTexture(0, nullptr);
	GR_SetInterpolation(s.interpolate);
	GR_SetTextureBlending(s.texture_blending);
	GR_SetTextureRepeat(s.texture_repeat);
	send_lights();
}
