// fn_ds_map.cpp: built-in functions of maps and priority queues.
#include <string>

#include "ds/fn_ds.h"

namespace {

DsStore &S() { return ds_store(); }

// Map.

DS_FN(fn_ds_map_create) { result.set_real(S().maps.create()); }
DS_FN(fn_ds_map_destroy)
{
	if (!S().maps.destroy(ds_arg_int(args[0])))
		report_error(DS_NO_SUCH, false);
}
DS_FN(fn_ds_map_clear)
{
	if (CDS_Map *m = ds_arg_find(S().maps, args[0]))
		m->clear();
}
DS_FN(fn_ds_map_copy)
{
	CDS_Map *m = ds_arg_find(S().maps, args[0]);
	CDS_Map *source = m ? ds_arg_find(S().maps, args[1]) : nullptr;
	if (source)
		m->copy_from(*source);
}
DS_FN(fn_ds_map_size)
{
	if (CDS_Map *m = ds_arg_find(S().maps, args[0]))
		result.set_real(m->size());
}
DS_FN(fn_ds_map_empty)
{
	if (CDS_Map *m = ds_arg_find(S().maps, args[0]))
		result.set_real(m->size() == 0 ? 1 : 0);
}
DS_FN(fn_ds_map_add)
{
	if (CDS_Map *m = ds_arg_find(S().maps, args[0]))
		result.set_real(m->add(args[1], args[2]) ? 1 : 0);
}
DS_FN(fn_ds_map_replace)
{
	if (CDS_Map *m = ds_arg_find(S().maps, args[0]))
		m->replace(args[1], args[2]);
}
DS_FN(fn_ds_map_delete)
{
	if (CDS_Map *m = ds_arg_find(S().maps, args[0]))
		m->remove(args[1]);
}
DS_FN(fn_ds_map_exists)
{
	if (CDS_Map *m = ds_arg_find(S().maps, args[0]))
		result.set_real(m->find(args[1]) ? 1 : 0);
}
DS_FN(fn_ds_map_find_value)
{
	if (CDS_Map *m = ds_arg_find(S().maps, args[0]))
		ds_result(result, m->find(args[1]));
}
DS_FN(fn_ds_map_find_previous)
{
	if (CDS_Map *m = ds_arg_find(S().maps, args[0]))
		m->previous_key(args[1], result);
}
DS_FN(fn_ds_map_find_next)
{
	if (CDS_Map *m = ds_arg_find(S().maps, args[0]))
		m->next_key(args[1], result);
}
DS_FN(fn_ds_map_find_first)
{
	if (CDS_Map *m = ds_arg_find(S().maps, args[0]))
		m->first_key(result);
}
DS_FN(fn_ds_map_find_last)
{
	if (CDS_Map *m = ds_arg_find(S().maps, args[0]))
		m->last_key(result);
}
DS_FN(fn_ds_map_write)
{
	if (CDS_Map *m = ds_arg_find(S().maps, args[0]))
		result.set_string(m->write());
}
DS_FN(fn_ds_map_read)
{
	std::string why;
	if (CDS_Map *m = ds_arg_find(S().maps, args[0]))
		if (!m->read(args[1].text(), why))
			ds_report_read("ds_map_read", why);
}

// Priority queue.

DS_FN(fn_ds_priority_create) { result.set_real(S().priorities.create()); }
DS_FN(fn_ds_priority_destroy)
{
	if (!S().priorities.destroy(ds_arg_int(args[0])))
		report_error(DS_NO_SUCH, false);
}
DS_FN(fn_ds_priority_clear)
{
	if (CDS_Priority *p = ds_arg_find(S().priorities, args[0]))
		p->clear();
}
DS_FN(fn_ds_priority_copy)
{
	CDS_Priority *p = ds_arg_find(S().priorities, args[0]);
	CDS_Priority *source = p ? ds_arg_find(S().priorities, args[1]) : nullptr;
	if (source)
		p->copy_from(*source);
}
DS_FN(fn_ds_priority_size)
{
	if (CDS_Priority *p = ds_arg_find(S().priorities, args[0]))
		result.set_real(p->size());
}
DS_FN(fn_ds_priority_empty)
{
	if (CDS_Priority *p = ds_arg_find(S().priorities, args[0]))
		result.set_real(p->size() == 0 ? 1 : 0);
}
DS_FN(fn_ds_priority_add)
{
	if (CDS_Priority *p = ds_arg_find(S().priorities, args[0]))
		p->add(args[1], args[2]);
}
DS_FN(fn_ds_priority_change_priority)
{
	if (CDS_Priority *p = ds_arg_find(S().priorities, args[0]))
		p->change_priority(args[1], args[2]);
}
DS_FN(fn_ds_priority_find_priority)
{
	if (CDS_Priority *p = ds_arg_find(S().priorities, args[0]))
		ds_result(result, p->find_priority(args[1]));
}
DS_FN(fn_ds_priority_delete_value)
{
	if (CDS_Priority *p = ds_arg_find(S().priorities, args[0]))
		p->delete_value(args[1]);
}
DS_FN(fn_ds_priority_delete_min)
{
	if (CDS_Priority *p = ds_arg_find(S().priorities, args[0]))
		result = p->delete_min();
}
DS_FN(fn_ds_priority_find_min)
{
	if (CDS_Priority *p = ds_arg_find(S().priorities, args[0]))
		ds_result(result, p->find_min());
}
DS_FN(fn_ds_priority_delete_max)
{
	if (CDS_Priority *p = ds_arg_find(S().priorities, args[0]))
		result = p->delete_max();
}
DS_FN(fn_ds_priority_find_max)
{
	if (CDS_Priority *p = ds_arg_find(S().priorities, args[0]))
		ds_result(result, p->find_max());
}
DS_FN(fn_ds_priority_write)
{
	if (CDS_Priority *p = ds_arg_find(S().priorities, args[0]))
		result.set_string(p->write());
}
DS_FN(fn_ds_priority_read)
{
	std::string why;
	if (CDS_Priority *p = ds_arg_find(S().priorities, args[0]))
		if (!p->read(args[1].text(), why))
			ds_report_read("ds_priority_read", why);
}

const BuiltinEntry DS_MAP_PRIORITY_FUNCTIONS[] = {
	{"ds_map_create", fn_ds_map_create, 0},
	{"ds_map_destroy", fn_ds_map_destroy, 1},
	{"ds_map_clear", fn_ds_map_clear, 1},
	{"ds_map_copy", fn_ds_map_copy, 2},
	{"ds_map_size", fn_ds_map_size, 1},
	{"ds_map_empty", fn_ds_map_empty, 1},
	{"ds_map_add", fn_ds_map_add, 3},
	{"ds_map_replace", fn_ds_map_replace, 3},
	{"ds_map_delete", fn_ds_map_delete, 2},
	{"ds_map_exists", fn_ds_map_exists, 2},
	{"ds_map_find_value", fn_ds_map_find_value, 2},
	{"ds_map_find_previous", fn_ds_map_find_previous, 2},
	{"ds_map_find_next", fn_ds_map_find_next, 2},
	{"ds_map_find_first", fn_ds_map_find_first, 1},
	{"ds_map_find_last", fn_ds_map_find_last, 1},
	{"ds_map_write", fn_ds_map_write, 1},
	{"ds_map_read", fn_ds_map_read, 2},

	{"ds_priority_create", fn_ds_priority_create, 0},
	{"ds_priority_destroy", fn_ds_priority_destroy, 1},
	{"ds_priority_clear", fn_ds_priority_clear, 1},
	{"ds_priority_copy", fn_ds_priority_copy, 2},
	{"ds_priority_size", fn_ds_priority_size, 1},
	{"ds_priority_empty", fn_ds_priority_empty, 1},
	{"ds_priority_add", fn_ds_priority_add, 3},
	{"ds_priority_change_priority", fn_ds_priority_change_priority, 3},
	{"ds_priority_find_priority", fn_ds_priority_find_priority, 2},
	{"ds_priority_delete_value", fn_ds_priority_delete_value, 2},
	{"ds_priority_delete_min", fn_ds_priority_delete_min, 1},
	{"ds_priority_find_min", fn_ds_priority_find_min, 1},
	{"ds_priority_delete_max", fn_ds_priority_delete_max, 1},
	{"ds_priority_find_max", fn_ds_priority_find_max, 1},
	{"ds_priority_write", fn_ds_priority_write, 1},
	{"ds_priority_read", fn_ds_priority_read, 2},
};

} // namespace

std::span<const BuiltinEntry> ds_map_priority_functions() { return DS_MAP_PRIORITY_FUNCTIONS; }
