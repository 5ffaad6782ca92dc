// fn_path.cpp: the path built-ins: the resource queries (existence, name,
// length, points of the curve and control points, kind, closed, precision)
// and path_start and path_end for the calling instance.
#include "code/builtin_args.h"
#include "code/families.h"
#include "code/function_table.h"
#include "world/instance.h"
#include "world/path.h"

namespace {

CPath *arg_path(int argc, const Value *args, int i) { return find_path((int32_t)arg_index(argc, args, i)); }

void fn_path_exists(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(arg_path(argc, args, 0) ? 1 : 0);
}

void fn_path_get_name(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	CPath *p = arg_path(argc, args, 0);
	result.set_string(p ? std::string_view(p->name) : std::string_view("<undefined>"));
}

// The queries of one field of a path; a missing path gives 0.
template <double (*Field)(const CPath &)>
void fn_path_field(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	CPath *p = arg_path(argc, args, 0);
	result.set_real(p ? Field(*p) : 0.0);
}

double length_of(const CPath &p) { return p.length; }
double number_of(const CPath &p) { return (double)p.points.size(); }
double kind_of(const CPath &p) { return p.kind; }
double closed_of(const CPath &p) { return p.closed ? 1 : 0; }
double precision_of(const CPath &p) { return p.precision; }

// A component of the point at a position (path, position); a missing path
// gives 0.
template <float PathPoint::*Component>
void fn_path_at(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	CPath *p = arg_path(argc, args, 0);
	result.set_real(p ? p->point_at((float)arg_real(argc, args, 1)).*Component : 0.0);
}

// A field of control point n (path, n); 0 for a missing path or point.
template <float PathPoint::*Component>
void fn_path_point(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	CPath *p = arg_path(argc, args, 0);
	int64_t n = arg_index(argc, args, 1);
	bool found = p && n >= 0 && (uint64_t)n < p->points.size();
	result.set_real(found ? p->points[(size_t)n].*Component : 0.0);
}

// path_start(path, speed, endaction, absolute): scale 1, orientation 0;
// relative to where the instance stands unless absolute.
void fn_path_start(Value &result, CInstance *self, CInstance *, int argc, const Value *args)
{
	result.set_real(0);
	if (!self)
		return;
	start_path(*self, (int32_t)arg_index(argc, args, 0), (float)arg_real(argc, args, 1), 1, 0,
	           arg_real(argc, args, 3) < 0.5, (int32_t)arg_index(argc, args, 2));
}

void fn_path_end(Value &result, CInstance *self, CInstance *, int, const Value *)
{
	result.set_real(0);
	if (self)
		start_path(*self, -1, 0, 1, 0, true, 0);
}

const BuiltinEntry path_functions[] = {
	{"path_start", fn_path_start, 4},
	{"path_end", fn_path_end, 0},
	{"path_exists", fn_path_exists, 1},
	{"path_get_name", fn_path_get_name, 1},
	{"path_get_length", fn_path_field<length_of>, 1},
	{"path_get_kind", fn_path_field<kind_of>, 1},
	{"path_get_closed", fn_path_field<closed_of>, 1},
	{"path_get_precision", fn_path_field<precision_of>, 1},
	{"path_get_number", fn_path_field<number_of>, 1},
	{"path_get_point_x", fn_path_point<&PathPoint::x>, 2},
	{"path_get_point_y", fn_path_point<&PathPoint::y>, 2},
	{"path_get_point_speed", fn_path_point<&PathPoint::speed>, 2},
	{"path_get_x", fn_path_at<&PathPoint::x>, 2},
	{"path_get_y", fn_path_at<&PathPoint::y>, 2},
	{"path_get_speed", fn_path_at<&PathPoint::speed>, 2},
};

} // namespace

void register_path_functions()
{
	register_functions(path_functions);
}
