// fn_object.cpp: built-in functions that query object resources: existence,
// name, the defaults new instances take, parents and ancestry.
#include "code/builtin_args.h"
#include "code/families.h"
#include "code/function_table.h"
#include "world/object.h"

namespace {

CObject *arg_object(int argc, const Value *args, int i)
{
	return object_table().find((int32_t)arg_index(argc, args, i));
}

void fn_object_exists(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(arg_object(argc, args, 0) ? 1 : 0);
}

void fn_object_get_name(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_string(object_table().name((int32_t)arg_index(argc, args, 0)));
}

// The queries of one field: the field of an existing object, else the value
// given for a missing one.
template <double (*Field)(const CObject &), int Missing>
void fn_object_field(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	CObject *object = arg_object(argc, args, 0);
	result.set_real(object ? Field(*object) : Missing);
}

double sprite_of(const CObject &o) { return o.sprite_index; }
double solid_of(const CObject &o) { return o.solid(); }
double visible_of(const CObject &o) { return o.visible(); }
double depth_of(const CObject &o) { return o.depth; }
double persistent_of(const CObject &o) { return o.persistent(); }
double mask_of(const CObject &o) { return o.mask_index; }
double parent_of(const CObject &o) { return o.parent_index; }

void fn_object_is_ancestor(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	bool yes = object_table().is_ancestor((int32_t)arg_index(argc, args, 0), (int32_t)arg_index(argc, args, 1));
	result.set_real(yes ? 1 : 0);
}

const BuiltinEntry object_functions[] = {
	{"object_exists", fn_object_exists, 1},
	{"object_get_name", fn_object_get_name, 1},
	{"object_get_sprite", fn_object_field<sprite_of, -1>, 1},
	{"object_get_solid", fn_object_field<solid_of, 0>, 1},
	{"object_get_visible", fn_object_field<visible_of, 0>, 1},
	{"object_get_depth", fn_object_field<depth_of, 0>, 1},
	{"object_get_persistent", fn_object_field<persistent_of, 0>, 1},
	{"object_get_mask", fn_object_field<mask_of, -1>, 1},
	{"object_get_parent", fn_object_field<parent_of, -1>, 1},
	{"object_is_ancestor", fn_object_is_ancestor, 2},
};

} // namespace

void register_object_functions()
{
	register_functions(object_functions);
}
