// batch.cpp: the vertex batch. Drawing requests of the same kind, texture and
// vertex size are appended to one static array and submitted together when a
// state change, another texture or a full array forces it.
#include "graphics/graphics.h"
#include "graphics/display_state.h"

#include "graphics/gl/backend.h"

namespace {

DisplayState &ds = display_state();

alignas(16) uint8_t batch_vertices[BATCH_VERTICES * 36];

bool is_strip(int kind) { return kind == PR_LINESTRIP || kind == PR_TRIANGLESTRIP || kind == PR_TRIANGLEFAN; }

int primitive_count(int kind, int n)
{
	switch (kind) {
	case PR_POINTLIST: return n;
	case PR_LINELIST: return n / 2;
	case PR_LINESTRIP: return n - 1;
	case PR_TRIANGLELIST: return n / 3;
	case PR_TRIANGLESTRIP:
	case PR_TRIANGLEFAN: return n - 2;
	default: return 0;
	}
}

} // namespace

void *GR_Batch_Alloc(int kind, TextureD3D *texture, int vertex_size, int n)
{
	if (n <= 0 || n > BATCH_VERTICES || (vertex_size != 16 && vertex_size != 24 && vertex_size != 36))
		return nullptr;
	if (ds.batch_kind == kind && ds.batch_texture == texture && ds.batch_vertex_size == vertex_size &&
	    !is_strip(kind) && ds.batch_count + n <= BATCH_VERTICES) {
		void *at = batch_vertices + (size_t)ds.batch_count * vertex_size;
		ds.batch_count += n;
		return at;
	}
	GR_Batch_Flush();
	ds.batch_kind = kind;
	ds.batch_texture = texture;
	ds.batch_vertex_size = vertex_size;
	ds.batch_count = n;
	return batch_vertices;
}

void GR_Batch_GiveBack(int n)
{
	if (n > 0)
		ds.batch_count = n >= ds.batch_count ? 0 : ds.batch_count - n;
}

int GR_Batch_Count() { return ds.batch_count; }

void GR_Batch_Flush()
{
	if (ds.batch_kind == PR_NONE || ds.batch_count == 0) {
		ds.batch_kind = PR_NONE;
		ds.batch_count = 0;
		return;
	}
	// Taken first, so that a state change below that flushes finds it empty.
	int kind = ds.batch_kind, n = ds.batch_count, size = ds.batch_vertex_size;
	TextureD3D *texture = ds.batch_texture;
	ds.batch_kind = PR_NONE;
	ds.batch_count = 0;
	ds.batch_texture = nullptr;

	if (texture) {
		bool clamp = !ds.settings.texture_repeat;
		GR_SamplerState(0, 2, clamp);
		GR_SamplerState(0, 3, clamp);
	}
	GR_SetTexture(0, texture);
	int count = primitive_count(kind, n);
	if (kind >= PR_TRIANGLELIST)
		ds.stats.triangles += count > 0 ? count : 0;
	if (n > ds.stats.largest_batch)
		ds.stats.largest_batch = n;
	if (count >= 1) {
		ds.stats.submissions++;
		if (glb::ready()) {
			DeviceTime timed;
			glb::draw(kind, size, batch_vertices, n);
		}
	}
}
