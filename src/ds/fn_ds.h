// fn_ds.h: what the files of the data-structure built-ins share: argument
// conversion, the handle check, and each file's table of functions.
#pragma once

#include <cstdint>
#include <span>

#include "code/errors.h"
#include "code/function_table.h"
#include "code/value.h"
#include "ds/ds_store.h"

// The signature of every data-structure built-in.
#define DS_FN(name) static void name([[maybe_unused]] Value &result, CInstance *, CInstance *, int, [[maybe_unused]] const Value *args)

// A handle, index, position or coordinate: the real rounded to nearest, ties
// to even, held within the 32-bit range (not a number gives the lowest).
int64_t ds_arg_int(const Value &v);

inline double ds_arg_real(const Value &v) { return value_to_real(v); }

constexpr const char *DS_NO_SUCH = "Data structure with index does not exist.";

// The container of a handle argument, or null after reporting the error.
template <typename T> T *ds_arg_find(DsTable<T> &table, const Value &handle)
{
	T *c = table.find(ds_arg_int(handle));
	if (!c)
		report_error(DS_NO_SUCH, false);
	return c;
}

// A copy of the element into the result, or the real 0 for null.
inline void ds_result(Value &result, const Value *v)
{
	if (v)
		result = *v;
	else
		result.set_real(0.0);
}

// Reports a failed read of the named function.
void ds_report_read(const char *function, const std::string &why);

std::span<const BuiltinEntry> ds_map_priority_functions();
std::span<const BuiltinEntry> ds_grid_functions();
