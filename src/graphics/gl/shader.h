// shader.h: the programs that stand in for the fixed-function states the
// drawing layer uses: texture modulate or select, alpha test, linear fog,
// flat or smooth shading and per-vertex lights, one variant per set of them.
#pragma once

#include <string>

namespace glb {

// The features a variant is built with.
enum : unsigned
{
	SHADER_TEXTURED = 1,
	SHADER_MODULATE = 2, // texture times vertex colour (with SHADER_TEXTURED)
	SHADER_ALPHA_TEST = 4,
	SHADER_FOG = 8,
	SHADER_LIGHTING = 16,
	SHADER_FLAT = 32,
	SHADER_VARIANTS = 64
};

struct ShaderUniforms
{
	int world = -1, view = -1, projection = -1, flip = -1;
	int alpha_func = -1, alpha_ref = -1;
	int fog_colour = -1, fog_start = -1, fog_end = -1;
	int ambient = -1;
	int light_kind = -1, light_vec = -1, light_range = -1, light_colour = -1; // arrays of 8
};

// Compiles and links the variant of the given features and finds its
// uniforms; returns its name, 0 with the reason on failure.
unsigned build_program(unsigned features, ShaderUniforms &uniforms, std::string &error);

} // namespace glb
