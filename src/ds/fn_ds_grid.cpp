// fn_ds_grid.cpp: built-in functions of grids.
#include <string>

#include "ds/fn_ds.h"

namespace {

DsStore &S() { return ds_store(); }

CDS_Grid *grid_arg(const Value &handle) { return ds_arg_find(S().grids, handle); }

// The rectangle of arguments x1, y1, x2, y2 from args[first].
DsRect rect_args(const CDS_Grid &g, const Value *args, int first)
{
	return g.rect(ds_arg_int(args[first]), ds_arg_int(args[first + 1]), ds_arg_int(args[first + 2]),
	              ds_arg_int(args[first + 3]));
}

// The disk of arguments xm, ym (coordinates, rounded) and r.
struct Disk
{
	double xm, ym, r;
};

Disk disk_args(const Value *args, int first)
{
	return {(double)ds_arg_int(args[first]), (double)ds_arg_int(args[first + 1]), ds_arg_real(args[first + 2])};
}

bool size_args(const char *function, const Value *args, int first, int &w, int &h)
{
	int64_t w64 = ds_arg_int(args[first]), h64 = ds_arg_int(args[first + 1]);
	if (!CDS_Grid::size_allowed(w64, h64)) {
		report_error(std::string(function) + ": the size " + std::to_string(w64) + " x " + std::to_string(h64) +
		                 " is not allowed",
		             false);
		return false;
	}
	w = (int)w64;
	h = (int)h64;
	return true;
}

DS_FN(fn_ds_grid_create)
{
	int w, h;
	if (!size_args("ds_grid_create", args, 0, w, h)) {
		result.set_real(-1);
		return;
	}
	int32_t id = S().grids.create();
	S().grids.find(id)->resize(w, h);
	result.set_real(id);
}
DS_FN(fn_ds_grid_destroy)
{
	if (!S().grids.destroy(ds_arg_int(args[0])))
		report_error(DS_NO_SUCH, false);
}
DS_FN(fn_ds_grid_copy)
{
	CDS_Grid *g = grid_arg(args[0]);
	CDS_Grid *source = g ? grid_arg(args[1]) : nullptr;
	if (source)
		g->copy_from(*source);
}
DS_FN(fn_ds_grid_resize)
{
	int w, h;
	if (CDS_Grid *g = grid_arg(args[0]))
		if (size_args("ds_grid_resize", args, 1, w, h))
			g->resize(w, h);
}
DS_FN(fn_ds_grid_width)
{
	if (CDS_Grid *g = grid_arg(args[0]))
		result.set_real(g->width());
}
DS_FN(fn_ds_grid_height)
{
	if (CDS_Grid *g = grid_arg(args[0]))
		result.set_real(g->height());
}
DS_FN(fn_ds_grid_clear)
{
	if (CDS_Grid *g = grid_arg(args[0]))
		g->fill(args[1]);
}

template <DsCellOp OP> DS_FN(fn_cell)
{
	if (CDS_Grid *g = grid_arg(args[0]))
		g->apply(ds_arg_int(args[1]), ds_arg_int(args[2]), args[3], OP);
}
template <DsCellOp OP> DS_FN(fn_region)
{
	if (CDS_Grid *g = grid_arg(args[0]))
		g->apply_rect(rect_args(*g, args, 1), args[5], OP);
}
template <DsCellOp OP> DS_FN(fn_disk)
{
	if (CDS_Grid *g = grid_arg(args[0])) {
		Disk d = disk_args(args, 1);
		g->apply_disk(d.xm, d.ym, d.r, args[4], OP);
	}
}
template <DsCellOp OP> DS_FN(fn_grid_region)
{
	CDS_Grid *g = grid_arg(args[0]);
	CDS_Grid *source = g ? grid_arg(args[1]) : nullptr;
	if (source)
		g->apply_grid_region(*source, ds_arg_int(args[2]), ds_arg_int(args[3]), ds_arg_int(args[4]),
		                     ds_arg_int(args[5]), ds_arg_int(args[6]), ds_arg_int(args[7]), OP);
}

DS_FN(fn_ds_grid_get)
{
	if (CDS_Grid *g = grid_arg(args[0]))
		ds_result(result, g->get(ds_arg_int(args[1]), ds_arg_int(args[2])));
}

template <DsGridStat STAT> DS_FN(fn_stat)
{
	if (CDS_Grid *g = grid_arg(args[0]))
		result.set_real(g->rect_stat(rect_args(*g, args, 1), STAT));
}
template <DsGridStat STAT> DS_FN(fn_disk_stat)
{
	if (CDS_Grid *g = grid_arg(args[0])) {
		Disk d = disk_args(args, 1);
		result.set_real(g->disk_stat(d.xm, d.ym, d.r, STAT));
	}
}

// What a value search answers: 0 exists, 1 x, 2 y; not found gives 0 and -1.
void search_result(Value &result, DsCellPos at, int what)
{
	if (what == 0)
		result.set_real(at.found() ? 1 : 0);
	else
		result.set_real(what == 1 ? at.x : at.y);
}
template <int WHAT> DS_FN(fn_value)
{
	if (CDS_Grid *g = grid_arg(args[0]))
		search_result(result, g->rect_find(rect_args(*g, args, 1), args[5]), WHAT);
}
template <int WHAT> DS_FN(fn_value_disk)
{
	if (CDS_Grid *g = grid_arg(args[0])) {
		Disk d = disk_args(args, 1);
		search_result(result, g->disk_find(d.xm, d.ym, d.r, args[4]), WHAT);
	}
}

DS_FN(fn_ds_grid_shuffle)
{
	if (CDS_Grid *g = grid_arg(args[0]))
		g->shuffle();
}
DS_FN(fn_ds_grid_write)
{
	if (CDS_Grid *g = grid_arg(args[0]))
		result.set_string(g->write());
}
DS_FN(fn_ds_grid_read)
{
	std::string why;
	if (CDS_Grid *g = grid_arg(args[0]))
		if (!g->read(args[1].text(), why))
			ds_report_read("ds_grid_read", why);
}

const BuiltinEntry DS_GRID_FUNCTIONS[] = {
	{"ds_grid_create", fn_ds_grid_create, 2},
	{"ds_grid_destroy", fn_ds_grid_destroy, 1},
	{"ds_grid_copy", fn_ds_grid_copy, 2},
	{"ds_grid_resize", fn_ds_grid_resize, 3},
	{"ds_grid_width", fn_ds_grid_width, 1},
	{"ds_grid_height", fn_ds_grid_height, 1},
	{"ds_grid_clear", fn_ds_grid_clear, 2},
	{"ds_grid_set", fn_cell<DS_CELL_SET>, 4},
	{"ds_grid_add", fn_cell<DS_CELL_ADD>, 4},
	{"ds_grid_multiply", fn_cell<DS_CELL_MULTIPLY>, 4},
	{"ds_grid_set_region", fn_region<DS_CELL_SET>, 6},
	{"ds_grid_add_region", fn_region<DS_CELL_ADD>, 6},
	{"ds_grid_multiply_region", fn_region<DS_CELL_MULTIPLY>, 6},
	{"ds_grid_set_disk", fn_disk<DS_CELL_SET>, 5},
	{"ds_grid_add_disk", fn_disk<DS_CELL_ADD>, 5},
	{"ds_grid_multiply_disk", fn_disk<DS_CELL_MULTIPLY>, 5},
	{"ds_grid_set_grid_region", fn_grid_region<DS_CELL_SET>, 8},
	{"ds_grid_add_grid_region", fn_grid_region<DS_CELL_ADD>, 8},
	{"ds_grid_multiply_grid_region", fn_grid_region<DS_CELL_MULTIPLY>, 8},
	{"ds_grid_get", fn_ds_grid_get, 3},
	{"ds_grid_get_sum", fn_stat<DS_STAT_SUM>, 5},
	{"ds_grid_get_max", fn_stat<DS_STAT_MAX>, 5},
	{"ds_grid_get_min", fn_stat<DS_STAT_MIN>, 5},
	{"ds_grid_get_mean", fn_stat<DS_STAT_MEAN>, 5},
	{"ds_grid_get_disk_sum", fn_disk_stat<DS_STAT_SUM>, 4},
	{"ds_grid_get_disk_min", fn_disk_stat<DS_STAT_MIN>, 4},
	{"ds_grid_get_disk_max", fn_disk_stat<DS_STAT_MAX>, 4},
	{"ds_grid_get_disk_mean", fn_disk_stat<DS_STAT_MEAN>, 4},
	{"ds_grid_value_exists", fn_value<0>, 6},
	{"ds_grid_value_x", fn_value<1>, 6},
	{"ds_grid_value_y", fn_value<2>, 6},
	{"ds_grid_value_disk_exists", fn_value_disk<0>, 5},
	{"ds_grid_value_disk_x", fn_value_disk<1>, 5},
	{"ds_grid_value_disk_y", fn_value_disk<2>, 5},
	{"ds_grid_shuffle", fn_ds_grid_shuffle, 1},
	{"ds_grid_write", fn_ds_grid_write, 1},
	{"ds_grid_read", fn_ds_grid_read, 2},
};

} // namespace

std::span<const BuiltinEntry> ds_grid_functions() { return DS_GRID_FUNCTIONS; }
