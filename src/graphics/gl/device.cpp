// device.cpp: the GL context's objects, render and sampler states, targets,
// clearing, drawing from memory and reading pixels back.
#include "graphics/gl/backend.h"

#include <epoxy/gl.h>

#include <cstdio>
#include <cstring>

#include "graphics/gl/shader.h"
#include "platform/window.h"

namespace glb {

namespace {

// A program variant and the uniform values it was last given.
struct Program
{
	GLuint name = 0;
	bool failed = false;
	ShaderUniforms u;
	uint32_t matrices_sent = 0, values_sent = 0; // serials of the values it holds
};

// Uniform values shared by all variants; a variant made current gets them
// again only when their serial moved since it last got them.
struct Values
{
	Matrix4 world, view, projection;
	float flip = 1.0f;
	int alpha_func = 8;
	float alpha_ref = 128.0f;
	uint32_t fog_colour = 0;
	float fog_start = 0, fog_end = 1;
	uint32_t ambient = 0;
	Light lights[LIGHT_COUNT];
	uint32_t matrices_serial = 1, serial = 1;
};

struct Device
{
	bool ready = false;
	GLuint vao = 0, vbo = 0, sampler = 0;
	Program programs[SHADER_VARIANTS];
	GLuint current = 0;        // the program in use
	Values values;
	int vertex_size = 0;       // the layout the attribute pointers describe
	GLuint framebuffer = 0;    // the current target's
	bool target_flipped = false;
	int target_height = 0;     // rows of the current target
	int cull_mode = 1;
	bool alpha_test = false, fog = false, lighting = false, flat = false;
	bool textured = false, modulate = true;
	int blend_src = 2, blend_dst = 1;
};

Device dev;

GLenum blend_factor(uint32_t f)
{
	switch (f) {
	case 1: return GL_ZERO;
	case 2: return GL_ONE;
	case 3: return GL_SRC_COLOR;
	case 4: return GL_ONE_MINUS_SRC_COLOR;
	case 5: return GL_SRC_ALPHA;
	case 6: return GL_ONE_MINUS_SRC_ALPHA;
	case 7: return GL_DST_ALPHA;
	case 8: return GL_ONE_MINUS_DST_ALPHA;
	case 9: return GL_DST_COLOR;
	case 10: return GL_ONE_MINUS_DST_COLOR;
	case 11: return GL_SRC_ALPHA_SATURATE;
	case 14: return GL_CONSTANT_COLOR;
	case 15: return GL_ONE_MINUS_CONSTANT_COLOR;
	case 16: return GL_SRC1_COLOR;
	case 17: return GL_ONE_MINUS_SRC1_COLOR;
	default: return GL_ZERO;
	}
}

// Culling names faces by their winding on the target with rows from the top;
// flipped targets keep that winding, the window's back buffer reverses it.
void apply_cull()
{
	if (dev.cull_mode != 2 && dev.cull_mode != 3) {
		glDisable(GL_CULL_FACE);
		return;
	}
	glEnable(GL_CULL_FACE);
	glCullFace(GL_BACK);
	bool cull_cw = dev.cull_mode == 2;
	glFrontFace(cull_cw == dev.target_flipped ? GL_CW : GL_CCW);
}

void values_changed() { dev.values.serial++; }

float bits_to_float(uint32_t v)
{
	float f;
	std::memcpy(&f, &v, 4);
	return f;
}

void set_colour_uniform(int location, uint32_t argb)
{
	glUniform4f(location, ((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
	            (argb >> 24) / 255.0f);
}

void send_lights(const ShaderUniforms &u, const Values &v)
{
	set_colour_uniform(u.ambient, v.ambient);
	int kinds[LIGHT_COUNT];
	float vecs[LIGHT_COUNT * 3], ranges[LIGHT_COUNT], colours[LIGHT_COUNT * 4];
	for (int i = 0; i < LIGHT_COUNT; i++) {
		const Light &l = v.lights[i];
		kinds[i] = l.kind;
		for (int k = 0; k < 3; k++)
			vecs[i * 3 + k] = l.vec[k];
		ranges[i] = l.range;
		colours[i * 4 + 0] = (float)((l.colour >> 16) & 0xFF) / 255.0f;
		colours[i * 4 + 1] = (float)((l.colour >> 8) & 0xFF) / 255.0f;
		colours[i * 4 + 2] = (float)(l.colour & 0xFF) / 255.0f;
		colours[i * 4 + 3] = 1.0f;
	}
	glUniform1iv(u.light_kind, LIGHT_COUNT, kinds);
	glUniform3fv(u.light_vec, LIGHT_COUNT, vecs);
	glUniform1fv(u.light_range, LIGHT_COUNT, ranges);
	glUniform4fv(u.light_colour, LIGHT_COUNT, colours);
}

// Gives a program the uniform values that moved since it last had them.
void send_values(Program &p)
{
	const Values &v = dev.values;
	if (p.matrices_sent != v.matrices_serial) {
		glUniformMatrix4fv(p.u.world, 1, GL_FALSE, &v.world.m[0][0]);
		glUniformMatrix4fv(p.u.view, 1, GL_FALSE, &v.view.m[0][0]);
		glUniformMatrix4fv(p.u.projection, 1, GL_FALSE, &v.projection.m[0][0]);
		p.matrices_sent = v.matrices_serial;
	}
	if (p.values_sent != v.serial) {
		glUniform1f(p.u.flip, v.flip);
		glUniform1i(p.u.alpha_func, v.alpha_func);
		glUniform1f(p.u.alpha_ref, v.alpha_ref);
		set_colour_uniform(p.u.fog_colour, v.fog_colour);
		glUniform1f(p.u.fog_start, v.fog_start);
		glUniform1f(p.u.fog_end, v.fog_end);
		if (p.u.ambient >= 0)
			send_lights(p.u, v);
		p.values_sent = v.serial;
	}
}

unsigned current_features()
{
	unsigned f = 0;
	if (dev.textured)
		f |= SHADER_TEXTURED | (dev.modulate ? (unsigned)SHADER_MODULATE : 0u);
	if (dev.alpha_test && dev.values.alpha_func != 8)
		f |= SHADER_ALPHA_TEST;
	if (dev.fog)
		f |= SHADER_FOG;
	if (dev.lighting)
		f |= SHADER_LIGHTING;
	if (dev.flat)
		f |= SHADER_FLAT;
	return f;
}

Program *program_for(unsigned features, std::string &error)
{
	Program &p = dev.programs[features];
	if (!p.name && !p.failed) {
		p.name = build_program(features, p.u, error);
		p.failed = p.name == 0;
		dev.current = p.name; // building leaves it in use
		if (p.failed && dev.ready)
			fprintf(stderr, "zentrix: drawing skipped: %s\n", error.c_str());
	}
	return p.name ? &p : nullptr;
}

// Makes the variant of the current states the program in use, with its
// uniforms up to date. False when it cannot be built.
bool use_program()
{
	std::string error;
	Program *p = program_for(current_features(), error);
	if (!p)
		return false;
	if (dev.current != p->name) {
		glUseProgram(p->name);
		dev.current = p->name;
	}
	send_values(*p);
	return true;
}

void describe_vertices(int vertex_size)
{
	if (dev.vertex_size == vertex_size)
		return;
	dev.vertex_size = vertex_size;
	GLsizei stride = vertex_size;
	size_t colour_at = vertex_size == 36 ? 24 : 12;
	glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, (const void *)0);
	glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, (const void *)colour_at);
	glEnableVertexAttribArray(0);
	glEnableVertexAttribArray(1);
	if (vertex_size >= 24) {
		size_t uv_at = vertex_size == 36 ? 28 : 16;
		glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, (const void *)uv_at);
		glEnableVertexAttribArray(2);
	} else {
		glDisableVertexAttribArray(2);
		glVertexAttrib2f(2, 0, 0);
	}
	if (vertex_size == 36) {
		glVertexAttribPointer(3, 3, GL_FLOAT, GL_FALSE, stride, (const void *)12);
		glEnableVertexAttribArray(3);
	} else {
		glDisableVertexAttribArray(3);
		glVertexAttrib3f(3, 0, 0, 0);
	}
}

} // namespace

bool create(platform::Window &window, std::string &error)
{
	if (!window.create_gl_context(error))
		return false;
	if (epoxy_gl_version() < 33) {
		error = "OpenGL 3.3 is needed";
		return false;
	}
	dev = Device();
	// The plain variant is built now, so that a driver without what the
	// programs need fails here with the reason.
	if (!program_for(0, error) || !program_for(SHADER_TEXTURED | SHADER_MODULATE, error))
		return false;
	glGenVertexArrays(1, &dev.vao);
	glBindVertexArray(dev.vao);
	glGenBuffers(1, &dev.vbo);
	glBindBuffer(GL_ARRAY_BUFFER, dev.vbo);
	glGenSamplers(1, &dev.sampler);
	glBindSampler(0, dev.sampler);
	glSamplerParameteri(dev.sampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
	glSamplerParameteri(dev.sampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
	glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
	glPixelStorei(GL_PACK_ALIGNMENT, 4);
	glDepthFunc(GL_LEQUAL);
	glDepthMask(GL_TRUE);
	glEnable(GL_SCISSOR_TEST);
	// Flat shading takes the colour of a primitive's first vertex.
	glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
	dev.ready = true;
	return true;
}

void destroy()
{
	if (!dev.ready)
		return;
	glDeleteSamplers(1, &dev.sampler);
	glDeleteBuffers(1, &dev.vbo);
	glDeleteVertexArrays(1, &dev.vao);
	for (Program &p : dev.programs)
		if (p.name)
			glDeleteProgram(p.name);
	dev = Device();
}

bool ready() { return dev.ready; }

int max_texture_size()
{
	GLint size = 0;
	if (dev.ready)
		glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
	return size;
}

bool create_texture(DeviceTexture &t, int width, int height, const uint32_t *pixels)
{
	if (!dev.ready || width <= 0 || height <= 0 || width > max_texture_size() || height > max_texture_size())
		return false;
	glGenTextures(1, &t.texture);
	glBindTexture(GL_TEXTURE_2D, t.texture);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
	glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
	t.width = width;
	t.height = height;
	return glGetError() == GL_NO_ERROR;
}

bool create_render_target(DeviceTexture &t, int width, int height)
{
	if (!create_texture(t, width, height, nullptr))
		return false;
	glGenRenderbuffers(1, &t.depth);
	glBindRenderbuffer(GL_RENDERBUFFER, t.depth);
	glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
	glGenFramebuffers(1, &t.framebuffer);
	glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
	glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.texture, 0);
	glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, t.depth);
	bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
	glBindFramebuffer(GL_FRAMEBUFFER, 0);
	if (!complete)
		destroy_texture(t);
	return complete;
}

void destroy_texture(DeviceTexture &t)
{
	if (dev.ready) {
		if (t.framebuffer)
			glDeleteFramebuffers(1, &t.framebuffer);
		if (t.depth)
			glDeleteRenderbuffers(1, &t.depth);
		if (t.texture)
			glDeleteTextures(1, &t.texture);
	}
	t = DeviceTexture();
}

void bind_texture(const DeviceTexture *t)
{
	glActiveTexture(GL_TEXTURE0);
	glBindTexture(GL_TEXTURE_2D, t ? t->texture : 0);
	dev.textured = t && t->texture;
}

void set_target(const DeviceTexture *t, int window_width, int window_height)
{
	(void)window_width;
	dev.framebuffer = t ? t->framebuffer : 0;
	glBindFramebuffer(GL_FRAMEBUFFER, dev.framebuffer);
	dev.target_flipped = t != nullptr;
	dev.target_height = t ? t->height : window_height;
	float flip = dev.target_flipped ? -1.0f : 1.0f;
	if (dev.values.flip != flip) {
		dev.values.flip = flip;
		values_changed();
	}
	apply_cull();
}

void set_viewport(int x, int y, int w, int h)
{
	int gl_y = dev.target_flipped ? y : dev.target_height - y - h;
	glViewport(x, gl_y, w, h);
	glScissor(x, gl_y, w < 0 ? 0 : w, h < 0 ? 0 : h);
}

void clear(uint32_t argb, int flags)
{
	GLbitfield mask = 0;
	if (flags & 1) {
		glClearColor(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
		             (argb >> 24) / 255.0f);
		mask |= GL_COLOR_BUFFER_BIT;
	}
	if (flags & 2) {
		glClearDepth(1.0);
		mask |= GL_DEPTH_BUFFER_BIT;
	}
	if (flags & 4) {
		glClearStencil(0);
		mask |= GL_STENCIL_BUFFER_BIT;
	}
	if (mask)
		glClear(mask);
}

void render_state(int id, uint32_t value)
{
	switch (id) {
	case 1: value ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST); break;
	case 2: glPolygonMode(GL_FRONT_AND_BACK, value == 1 ? GL_POINT : value == 2 ? GL_LINE : GL_FILL); break;
	case 5: dev.alpha_test = value != 0; break;
	case 6: dev.blend_src = (int)value; glBlendFunc(blend_factor(dev.blend_src), blend_factor(dev.blend_dst)); break;
	case 7: dev.blend_dst = (int)value; glBlendFunc(blend_factor(dev.blend_src), blend_factor(dev.blend_dst)); break;
	case 8: dev.cull_mode = (int)value; apply_cull(); break;
	case 10: dev.values.alpha_ref = (float)(value & 0xFF); values_changed(); break;
	case 11: dev.values.alpha_func = (int)value; values_changed(); break;
	case 12: value ? glEnable(GL_BLEND) : glDisable(GL_BLEND); break;
	case 13: dev.fog = value != 0; break;
	case 15: dev.values.fog_colour = value; values_changed(); break;
	case 17: dev.values.fog_start = bits_to_float(value); values_changed(); break;
	case 18: dev.values.fog_end = bits_to_float(value); values_changed(); break;
	case 3: dev.flat = value == 1; break;
	case 21: dev.lighting = value != 0; break;
	default: break; // fog modes: the program's one behaviour
	}
}

void set_lights(uint32_t ambient, const Light lights[LIGHT_COUNT])
{
	if (!dev.ready)
		return;
	dev.values.ambient = ambient;
	for (int i = 0; i < LIGHT_COUNT; i++)
		dev.values.lights[i] = lights[i];
	values_changed();
}

void sampler_state(int kind, bool flag)
{
	switch (kind) {
	case 0: glSamplerParameteri(dev.sampler, GL_TEXTURE_MAG_FILTER, flag ? GL_NEAREST : GL_LINEAR); break;
	case 1: glSamplerParameteri(dev.sampler, GL_TEXTURE_MIN_FILTER, flag ? GL_NEAREST : GL_LINEAR); break;
	case 2: glSamplerParameteri(dev.sampler, GL_TEXTURE_WRAP_S, flag ? GL_CLAMP_TO_EDGE : GL_REPEAT); break;
	case 3: glSamplerParameteri(dev.sampler, GL_TEXTURE_WRAP_T, flag ? GL_CLAMP_TO_EDGE : GL_REPEAT); break;
	default: break;
	}
}

void set_texture_modulate(bool modulate) { dev.modulate = modulate; }

void set_matrices(const Matrix4 &world, const Matrix4 &view, const Matrix4 &projection)
{
	dev.values.world = world;
	dev.values.view = view;
	dev.values.projection = projection;
	dev.values.matrices_serial++;
}

void draw(int kind, int vertex_size, const void *vertices, int n)
{
	static const GLenum modes[] = {GL_POINTS, GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP,
	                               GL_TRIANGLE_FAN};
	if (!dev.ready || kind < 1 || kind > 6 || n <= 0 || !use_program())
		return;
	glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)n * vertex_size, vertices, GL_STREAM_DRAW);
	describe_vertices(vertex_size);
	glDrawArrays(modes[kind], 0, n);
}

void copy_to_window(const DeviceTexture &t, int window_width, int window_height)
{
	if (!dev.ready || !t.framebuffer)
		return;
	glBindFramebuffer(GL_READ_FRAMEBUFFER, t.framebuffer);
	glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
	// The copy obeys the scissor, which clears use to keep to the viewport.
	glDisable(GL_SCISSOR_TEST);
	glBlitFramebuffer(0, 0, t.width, t.height, 0, window_height, window_width, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
	glEnable(GL_SCISSOR_TEST);
	glBindFramebuffer(GL_FRAMEBUFFER, dev.framebuffer);
}

bool read_pixels(int x, int y, int w, int h, std::vector<uint32_t> &out)
{
	if (!dev.ready || w <= 0 || h <= 0)
		return false;
	out.assign((size_t)w * h, 0);
	int gl_y = dev.target_flipped ? y : dev.target_height - y - h;
	glReadPixels(x, gl_y, w, h, GL_BGRA, GL_UNSIGNED_BYTE, out.data());
	if (glGetError() != GL_NO_ERROR)
		return false;
	if (!dev.target_flipped)
		for (int r = 0; r < h / 2; r++)
			std::swap_ranges(out.begin() + (size_t)r * w, out.begin() + (size_t)(r + 1) * w,
			                 out.begin() + (size_t)(h - 1 - r) * w);
	return true;
}

} // namespace glb
