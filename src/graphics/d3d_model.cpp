// d3d_model.cpp: models: lists of primitive and shape items kept in the form
// of the model file (a code and ten numbers per line), drawn by replaying the
// items through the primitive builder and the shapes; saving and loading.
#include "graphics/d3d.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "graphics/draw_state.h"

namespace {

constexpr int MODEL_FILE_VERSION = 100;
constexpr long MODEL_MAX_ITEMS = 10000000;

struct Model
{
	std::vector<ModelItem> items;
};

std::vector<std::unique_ptr<Model>> g_models;

Model *model_get(int index)
{
	return index >= 0 && (size_t)index < g_models.size() ? g_models[(size_t)index].get() : nullptr;
}

uint32_t item_colour(double colour, double alpha)
{
	return GR_Colour((uint32_t)(int64_t)colour & 0xFFFFFF, alpha);
}

} // namespace

Vertex36 model_item_vertex(const ModelItem &item)
{
	const double *a = item.a;
	Vertex36 v{(float)a[0], (float)a[1], (float)a[2], 0, 0, 0, draw_state().colour, 0, 0};
	switch (item.code) {
	case MODEL_VERTEX_COLOR: v.colour = item_colour(a[3], a[4]); break;
	case MODEL_VERTEX_TEXTURE: v.u = (float)a[3], v.v = (float)a[4]; break;
	case MODEL_VERTEX_TEXTURE_COLOR:
		v.u = (float)a[3], v.v = (float)a[4];
		v.colour = item_colour(a[5], a[6]);
		break;
	case MODEL_VERTEX_NORMAL: v.nx = (float)a[3], v.ny = (float)a[4], v.nz = (float)a[5]; break;
	case MODEL_VERTEX_NORMAL_COLOR:
		v.nx = (float)a[3], v.ny = (float)a[4], v.nz = (float)a[5];
		v.colour = item_colour(a[6], a[7]);
		break;
	case MODEL_VERTEX_NORMAL_TEXTURE:
		v.nx = (float)a[3], v.ny = (float)a[4], v.nz = (float)a[5];
		v.u = (float)a[6], v.v = (float)a[7];
		break;
	case MODEL_VERTEX_NORMAL_TEXTURE_COLOR:
		v.nx = (float)a[3], v.ny = (float)a[4], v.nz = (float)a[5];
		v.u = (float)a[6], v.v = (float)a[7];
		v.colour = item_colour(a[8], a[9]);
		break;
	default: break;
	}
	return v;
}

void model_item_apply(const ModelItem &item, int texture)
{
	const double *a = item.a;
	Box box{(float)a[0], (float)a[1], (float)a[2], (float)a[3], (float)a[4], (float)a[5]};
	float h = (float)a[6], v = (float)a[7];
	switch (item.code) {
	case MODEL_BEGIN: primitive_begin((int)a[0], texture, true); break;
	case MODEL_END: primitive_end(); break;
	case MODEL_BLOCK: shape_block(box, texture, h, v); break;
	case MODEL_CYLINDER: shape_cylinder(box, texture, h, v, a[8] >= 0.5, (int)a[9]); break;
	case MODEL_CONE: shape_cone(box, texture, h, v, a[8] >= 0.5, (int)a[9]); break;
	case MODEL_ELLIPSOID: shape_ellipsoid(box, texture, h, v, (int)a[8]); break;
	case MODEL_WALL: shape_wall(box, texture, h, v); break;
	case MODEL_FLOOR: shape_floor(box, texture, h, v); break;
	default:
		if (item.code >= MODEL_VERTEX && item.code <= MODEL_VERTEX_NORMAL_TEXTURE_COLOR)
			primitive_vertex(model_item_vertex(item));
		break;
	}
}

int model_create()
{
	for (size_t i = 0; i < g_models.size(); i++)
		if (!g_models[i]) {
			g_models[i] = std::make_unique<Model>();
			return (int)i;
		}
	g_models.push_back(std::make_unique<Model>());
	return (int)g_models.size() - 1;
}

bool model_exists(int index) { return model_get(index) != nullptr; }

void model_destroy(int index)
{
	if (model_get(index))
		g_models[(size_t)index].reset();
}

void model_clear(int index)
{
	if (Model *m = model_get(index))
		m->items.clear();
}

bool model_add(int index, const ModelItem &item)
{
	Model *m = model_get(index);
	if (!m || item.code < 0 || item.code >= MODEL_CODE_COUNT)
		return false;
	m->items.push_back(item);
	return true;
}

void model_draw(int index, float x, float y, float z, int texture)
{
	Model *m = model_get(index);
	if (!m)
		return;
	Matrix4 saved = GR_GetTransform(2);
	GR_SetTransform(2, Matrix4::translation(x, y, z) * saved);
	for (const ModelItem &item : m->items)
		model_item_apply(item, texture);
	primitive_end(); // a primitive the model left open
	GR_SetTransform(2, saved);
}

bool model_save(int index, const std::string &path, std::string &error)
{
	Model *m = model_get(index);
	if (!m) {
		error = "no such model";
		return false;
	}
	FILE *f = std::fopen(path.c_str(), "w");
	if (!f) {
		error = "cannot write the file";
		return false;
	}
	std::fprintf(f, "%d\n%zu\n", MODEL_FILE_VERSION, m->items.size());
	for (const ModelItem &item : m->items) {
		std::fprintf(f, "%d", item.code);
		for (double a : item.a)
			std::fprintf(f, " %.10g", a);
		std::fprintf(f, "\n");
	}
	bool ok = std::fclose(f) == 0;
	if (!ok)
		error = "cannot write the file";
	return ok;
}

bool model_load(int index, const std::string &path, std::string &error)
{
	Model *m = model_get(index);
	if (!m) {
		error = "no such model";
		return false;
	}
	std::ifstream in(path);
	if (!in) {
		error = "cannot read the file";
		return false;
	}
	long version = 0, count = -1;
	if (!(in >> version) || version != MODEL_FILE_VERSION) {
		error = "not a model file (version 100 expected)";
		return false;
	}
	if (!(in >> count) || count < 0 || count > MODEL_MAX_ITEMS) {
		error = "bad number of lines";
		return false;
	}
	std::vector<ModelItem> items;
	for (long k = 0; k < count; k++) {
		ModelItem item;
		double code = 0;
		bool ok = (bool)(in >> code) && code >= 0 && code < (double)MODEL_CODE_COUNT && code == std::floor(code);
		for (double &a : item.a)
			ok = ok && (in >> a) && std::isfinite(a);
		if (!ok) {
			error = "bad line " + std::to_string(k + 3);
			return false;
		}
		item.code = (int)code;
		items.push_back(item);
	}
	m->items = std::move(items);
	return true;
}

void models_clear_all() { g_models.clear(); }
