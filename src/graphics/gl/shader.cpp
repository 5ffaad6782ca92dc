// shader.cpp: the programs of the GL back end, one per set of features. Matrices arrive as the layer keeps
// them (row vectors, rows in memory), which GLSL reads as their transposes, so
// p * W * V * P is computed as P' * V' * W' * p. Depth goes from the layer's
// 0..1 range to GL's -1..1; lighting is computed per vertex in world space;
// render targets are drawn upside down so that their first row is the top,
// like the rows of an uploaded image.
#include "graphics/gl/shader.h"

#include <epoxy/gl.h>

namespace glb {

namespace {

// The sources take their features from defines (see shader.h), so that each
// variant runs only the work its states need: a software rasterizer runs every
// branch of a uniform test for every pixel.
const char *vertex_source = R"(
layout(location = 0) in vec3 a_pos;
layout(location = 1) in vec4 a_colour;
layout(location = 2) in vec2 a_uv;
layout(location = 3) in vec3 a_normal;
uniform mat4 u_world;
uniform mat4 u_view;
uniform mat4 u_projection;
uniform float u_flip;
out vec4 v_colour;
flat out vec4 v_colour_flat;
out vec2 v_uv;
out float v_depth;
#if LIGHTING
uniform vec4 u_ambient;
uniform int u_light_kind[8];
uniform vec3 u_light_vec[8];
uniform float u_light_range[8];
uniform vec4 u_light_colour[8];
// Per-vertex lighting in world space: the vertex colour is the material; the
// ambient colour plus each light's diffuse term scale it. Vertices without
// normals get only the ambient part.
vec4 lit(vec4 colour, vec3 position)
{
	vec3 n = mat3(u_world) * a_normal;
	float len = length(n);
	n = len > 0.0 ? n / len : n;
	vec3 sum = u_ambient.rgb;
	for (int i = 0; i < 8; i++) {
		if (u_light_kind[i] == 1) {
			sum += u_light_colour[i].rgb * max(dot(n, -normalize(u_light_vec[i])), 0.0);
		} else if (u_light_kind[i] == 2) {
			vec3 d = u_light_vec[i] - position;
			float dist = length(d);
			if (dist < u_light_range[i] && dist > 0.0)
				sum += u_light_colour[i].rgb * max(dot(n, d / dist), 0.0);
		}
	}
	return vec4(colour.rgb * clamp(sum, 0.0, 1.0), colour.a);
}
#endif
void main()
{
	vec4 world = u_world * vec4(a_pos, 1.0);
	vec4 eye = u_view * world;
	vec4 clip = u_projection * eye;
	clip.z = 2.0 * clip.z - clip.w;
	clip.y *= u_flip;
	gl_Position = clip;
#if LIGHTING
	v_colour = lit(a_colour, world.xyz);
#else
	v_colour = a_colour;
#endif
	v_colour_flat = v_colour;
	v_uv = a_uv;
	v_depth = eye.z;
}
)";

const char *fragment_source = R"(
in vec4 v_colour;
flat in vec4 v_colour_flat;
in vec2 v_uv;
in float v_depth;
uniform sampler2D u_texture;
uniform int u_alpha_func;
uniform float u_alpha_ref;
uniform vec4 u_fog_colour;
uniform float u_fog_start;
uniform float u_fog_end;
out vec4 o_colour;
bool passes(float a)
{
	float v = floor(a * 255.0 + 0.5);
	if (u_alpha_func == 1) return false;
	if (u_alpha_func == 2) return v < u_alpha_ref;
	if (u_alpha_func == 3) return v == u_alpha_ref;
	if (u_alpha_func == 4) return v <= u_alpha_ref;
	if (u_alpha_func == 5) return v > u_alpha_ref;
	if (u_alpha_func == 6) return v != u_alpha_ref;
	if (u_alpha_func == 7) return v >= u_alpha_ref;
	return true;
}
void main()
{
#if FLAT
	vec4 c = v_colour_flat;
#else
	vec4 c = v_colour;
#endif
#if TEXTURED && MODULATE
	c = texture(u_texture, v_uv) * c;
#elif TEXTURED
	c = texture(u_texture, v_uv);
#endif
#if ALPHA_TEST
	if (!passes(c.a))
		discard;
#endif
#if FOG
	float span = u_fog_end - u_fog_start;
	float f = span != 0.0 ? clamp((u_fog_end - v_depth) / span, 0.0, 1.0) : 1.0;
	c.rgb = mix(u_fog_colour.rgb, c.rgb, f);
#endif
	o_colour = c;
}
)";

std::string with_features(const char *body, unsigned features)
{
	std::string s = "#version 330 core\n";
	static const char *names[] = {"TEXTURED", "MODULATE", "ALPHA_TEST", "FOG", "LIGHTING", "FLAT"};
	for (unsigned i = 0; i < 6; i++)
		s += std::string("#define ") + names[i] + ((features >> i) & 1 ? " 1\n" : " 0\n");
	return s + body;
}

unsigned compile(GLenum kind, const std::string &text, std::string &error)
{
	GLuint s = glCreateShader(kind);
	const char *source = text.c_str();
	glShaderSource(s, 1, &source, nullptr);
	glCompileShader(s);
	GLint ok = 0;
	glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
	if (!ok) {
		char log[1024] = {};
		glGetShaderInfoLog(s, sizeof log, nullptr, log);
		error = std::string("shader compilation failed: ") + log;
		glDeleteShader(s);
		return 0;
	}
	return s;
}

} // namespace

unsigned build_program(unsigned features, ShaderUniforms &u, std::string &error)
{
	GLuint vs = compile(GL_VERTEX_SHADER, with_features(vertex_source, features), error);
	if (!vs)
		return 0;
	GLuint fs = compile(GL_FRAGMENT_SHADER, with_features(fragment_source, features), error);
	if (!fs) {
		glDeleteShader(vs);
		return 0;
	}
	GLuint p = glCreateProgram();
	glAttachShader(p, vs);
	glAttachShader(p, fs);
	glLinkProgram(p);
	glDeleteShader(vs);
	glDeleteShader(fs);
	GLint ok = 0;
	glGetProgramiv(p, GL_LINK_STATUS, &ok);
	if (!ok) {
		char log[1024] = {};
		glGetProgramInfoLog(p, sizeof log, nullptr, log);
		error = std::string("shader link failed: ") + log;
		glDeleteProgram(p);
		return 0;
	}
	u.world = glGetUniformLocation(p, "u_world");
	u.view = glGetUniformLocation(p, "u_view");
	u.projection = glGetUniformLocation(p, "u_projection");
	u.flip = glGetUniformLocation(p, "u_flip");
	u.alpha_func = glGetUniformLocation(p, "u_alpha_func");
	u.alpha_ref = glGetUniformLocation(p, "u_alpha_ref");
	u.fog_colour = glGetUniformLocation(p, "u_fog_colour");
	u.fog_start = glGetUniformLocation(p, "u_fog_start");
	u.fog_end = glGetUniformLocation(p, "u_fog_end");
	u.ambient = glGetUniformLocation(p, "u_ambient");
	u.light_kind = glGetUniformLocation(p, "u_light_kind");
	u.light_vec = glGetUniformLocation(p, "u_light_vec");
	u.light_range = glGetUniformLocation(p, "u_light_range");
	u.light_colour = glGetUniformLocation(p, "u_light_colour");
	glUseProgram(p);
	glUniform1i(glGetUniformLocation(p, "u_texture"), 0);
	return p;
}

} // namespace glb
