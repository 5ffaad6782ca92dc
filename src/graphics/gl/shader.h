// shader.h: the one program that stands in for the fixed-function states the
// drawing layer uses: texture modulate or select, alpha test, linear fog,
// flat or smooth shading and per-vertex lights.
#pragma once

#include <string>

namespace glb {

struct ShaderUniforms
{
	int world = -1, view = -1, projection = -1, flip = -1;
	int textured = -1, modulate = -1;
	int alpha_func = -1, alpha_ref = -1;
	int fog = -1, fog_colour = -1, fog_start = -1, fog_end = -1;
	int lighting = -1, flat = -1, ambient = -1;
	int light_kind = -1, light_vec = -1, light_range = -1, light_colour = -1; // arrays of 8
};

// Compiles and links the program; returns its name, 0 with the reason on failure.
unsigned build_program(ShaderUniforms &uniforms, std::string &error);

} // namespace glb
