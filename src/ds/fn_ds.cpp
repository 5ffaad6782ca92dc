// fn_ds.cpp: built-in functions of the comparison precision, stacks, queues
// and lists, and the registration of the whole data-structure family.
#include <cmath>
#include <string>

#include "code/families.h"
#include "ds/ds_compare.h"
#include "ds/fn_ds.h"

int64_t ds_arg_int(const Value &v)
{
	double x = v.is_real() ? v.real() : ds_arg_real(v);
	// Ties to even by the default rounding of an addition: exact below 2^52,
	// and far cheaper than the library's rounding, which saves the whole
	// floating-point environment on every call.
	const double two52 = 4503599627370496.0;
	if (std::fabs(x) < two52) {
		double big = std::copysign(two52, x);
		x = (x + big) - big;
	}
	if (!(x >= (double)INT32_MIN))
		return INT32_MIN;
	if (x > (double)INT32_MAX)
		return INT32_MAX;
	return (int64_t)x;
}

void ds_report_read(const char *function, const std::string &why)
{
	report_error(std::string(function) + ": " + why, false);
}

namespace {

DsStore &S() { return ds_store(); }

DS_FN(fn_ds_set_precision) { ds_set_precision(ds_arg_real(args[0])); }

// Stack.

DS_FN(fn_ds_stack_create) { result.set_real(S().stacks.create()); }
DS_FN(fn_ds_stack_destroy)
{
	if (!S().stacks.destroy(ds_arg_int(args[0])))
		report_error(DS_NO_SUCH, false);
}
DS_FN(fn_ds_stack_clear)
{
	if (CDS_Stack *s = ds_arg_find(S().stacks, args[0]))
		s->clear();
}
DS_FN(fn_ds_stack_copy)
{
	CDS_Stack *s = ds_arg_find(S().stacks, args[0]);
	CDS_Stack *source = s ? ds_arg_find(S().stacks, args[1]) : nullptr;
	if (source)
		s->copy_from(*source);
}
DS_FN(fn_ds_stack_size)
{
	if (CDS_Stack *s = ds_arg_find(S().stacks, args[0]))
		result.set_real(s->size());
}
DS_FN(fn_ds_stack_empty)
{
	if (CDS_Stack *s = ds_arg_find(S().stacks, args[0]))
		result.set_real(s->size() == 0 ? 1 : 0);
}
DS_FN(fn_ds_stack_push)
{
	if (CDS_Stack *s = ds_arg_find(S().stacks, args[0]))
		s->push(args[1]);
}
DS_FN(fn_ds_stack_pop)
{
	if (CDS_Stack *s = ds_arg_find(S().stacks, args[0]))
		result = s->pop();
}
DS_FN(fn_ds_stack_top)
{
	if (CDS_Stack *s = ds_arg_find(S().stacks, args[0]))
		ds_result(result, s->top());
}
DS_FN(fn_ds_stack_write)
{
	if (CDS_Stack *s = ds_arg_find(S().stacks, args[0]))
		result.set_string(s->write());
}
DS_FN(fn_ds_stack_read)
{
	std::string why;
	if (CDS_Stack *s = ds_arg_find(S().stacks, args[0]))
		if (!s->read(args[1].text(), why))
			ds_report_read("ds_stack_read", why);
}

// Queue.

DS_FN(fn_ds_queue_create) { result.set_real(S().queues.create()); }
DS_FN(fn_ds_queue_destroy)
{
	if (!S().queues.destroy(ds_arg_int(args[0])))
		report_error(DS_NO_SUCH, false);
}
DS_FN(fn_ds_queue_clear)
{
	if (CDS_Queue *q = ds_arg_find(S().queues, args[0]))
		q->clear();
}
DS_FN(fn_ds_queue_copy)
{
	CDS_Queue *q = ds_arg_find(S().queues, args[0]);
	CDS_Queue *source = q ? ds_arg_find(S().queues, args[1]) : nullptr;
	if (source)
		q->copy_from(*source);
}
DS_FN(fn_ds_queue_size)
{
	if (CDS_Queue *q = ds_arg_find(S().queues, args[0]))
		result.set_real(q->size());
}
DS_FN(fn_ds_queue_empty)
{
	if (CDS_Queue *q = ds_arg_find(S().queues, args[0]))
		result.set_real(q->size() == 0 ? 1 : 0);
}
DS_FN(fn_ds_queue_enqueue)
{
	if (CDS_Queue *q = ds_arg_find(S().queues, args[0]))
		q->enqueue(args[1]);
}
DS_FN(fn_ds_queue_dequeue)
{
	if (CDS_Queue *q = ds_arg_find(S().queues, args[0]))
		result = q->dequeue();
}
DS_FN(fn_ds_queue_head)
{
	if (CDS_Queue *q = ds_arg_find(S().queues, args[0]))
		ds_result(result, q->head());
}
DS_FN(fn_ds_queue_tail)
{
	if (CDS_Queue *q = ds_arg_find(S().queues, args[0]))
		ds_result(result, q->tail());
}
DS_FN(fn_ds_queue_write)
{
	if (CDS_Queue *q = ds_arg_find(S().queues, args[0]))
		result.set_string(q->write());
}
DS_FN(fn_ds_queue_read)
{
	std::string why;
	if (CDS_Queue *q = ds_arg_find(S().queues, args[0]))
		if (!q->read(args[1].text(), why))
			ds_report_read("ds_queue_read", why);
}

// List.

DS_FN(fn_ds_list_create) { result.set_real(S().lists.create()); }
DS_FN(fn_ds_list_destroy)
{
	if (!S().lists.destroy(ds_arg_int(args[0])))
		report_error(DS_NO_SUCH, false);
}
DS_FN(fn_ds_list_clear)
{
	if (CDS_List *l = ds_arg_find(S().lists, args[0]))
		l->clear();
}
DS_FN(fn_ds_list_copy)
{
	CDS_List *l = ds_arg_find(S().lists, args[0]);
	CDS_List *source = l ? ds_arg_find(S().lists, args[1]) : nullptr;
	if (source)
		l->copy_from(*source);
}
DS_FN(fn_ds_list_size)
{
	if (CDS_List *l = ds_arg_find(S().lists, args[0]))
		result.set_real(l->size());
}
DS_FN(fn_ds_list_empty)
{
	if (CDS_List *l = ds_arg_find(S().lists, args[0]))
		result.set_real(l->size() == 0 ? 1 : 0);
}
DS_FN(fn_ds_list_add)
{
	if (CDS_List *l = ds_arg_find(S().lists, args[0]))
		l->add(args[1]);
}
DS_FN(fn_ds_list_insert)
{
	if (CDS_List *l = ds_arg_find(S().lists, args[0]))
		l->insert(ds_arg_int(args[1]), args[2]);
}
DS_FN(fn_ds_list_replace)
{
	if (CDS_List *l = ds_arg_find(S().lists, args[0]))
		l->replace(ds_arg_int(args[1]), args[2]);
}
DS_FN(fn_ds_list_delete)
{
	if (CDS_List *l = ds_arg_find(S().lists, args[0]))
		l->remove(ds_arg_int(args[1]));
}
DS_FN(fn_ds_list_find_index)
{
	if (CDS_List *l = ds_arg_find(S().lists, args[0]))
		result.set_real(l->find_index(args[1]));
}
DS_FN(fn_ds_list_find_value)
{
	if (CDS_List *l = ds_arg_find(S().lists, args[0]))
		ds_result(result, l->at(ds_arg_int(args[1])));
}
DS_FN(fn_ds_list_sort)
{
	if (CDS_List *l = ds_arg_find(S().lists, args[0]))
		l->sort(ds_arg_real(args[1]) >= 0.5);
}
DS_FN(fn_ds_list_shuffle)
{
	if (CDS_List *l = ds_arg_find(S().lists, args[0]))
		l->shuffle();
}
DS_FN(fn_ds_list_write)
{
	if (CDS_List *l = ds_arg_find(S().lists, args[0]))
		result.set_string(l->write());
}
DS_FN(fn_ds_list_read)
{
	std::string why;
	if (CDS_List *l = ds_arg_find(S().lists, args[0]))
		if (!l->read(args[1].text(), why))
			ds_report_read("ds_list_read", why);
}

const BuiltinEntry DS_FUNCTIONS[] = {
	{"ds_set_precision", fn_ds_set_precision, 1},

	{"ds_stack_create", fn_ds_stack_create, 0},
	{"ds_stack_destroy", fn_ds_stack_destroy, 1},
	{"ds_stack_clear", fn_ds_stack_clear, 1},
	{"ds_stack_copy", fn_ds_stack_copy, 2},
	{"ds_stack_size", fn_ds_stack_size, 1},
	{"ds_stack_empty", fn_ds_stack_empty, 1},
	{"ds_stack_push", fn_ds_stack_push, 2},
	{"ds_stack_pop", fn_ds_stack_pop, 1},
	{"ds_stack_top", fn_ds_stack_top, 1},
	{"ds_stack_write", fn_ds_stack_write, 1},
	{"ds_stack_read", fn_ds_stack_read, 2},

	{"ds_queue_create", fn_ds_queue_create, 0},
	{"ds_queue_destroy", fn_ds_queue_destroy, 1},
	{"ds_queue_clear", fn_ds_queue_clear, 1},
	{"ds_queue_copy", fn_ds_queue_copy, 2},
	{"ds_queue_size", fn_ds_queue_size, 1},
	{"ds_queue_empty", fn_ds_queue_empty, 1},
	{"ds_queue_enqueue", fn_ds_queue_enqueue, 2},
	{"ds_queue_dequeue", fn_ds_queue_dequeue, 1},
	{"ds_queue_head", fn_ds_queue_head, 1},
	{"ds_queue_tail", fn_ds_queue_tail, 1},
	{"ds_queue_write", fn_ds_queue_write, 1},
	{"ds_queue_read", fn_ds_queue_read, 2},

	{"ds_list_create", fn_ds_list_create, 0},
	{"ds_list_destroy", fn_ds_list_destroy, 1},
	{"ds_list_clear", fn_ds_list_clear, 1},
	{"ds_list_copy", fn_ds_list_copy, 2},
	{"ds_list_size", fn_ds_list_size, 1},
	{"ds_list_empty", fn_ds_list_empty, 1},
	{"ds_list_add", fn_ds_list_add, 2},
	{"ds_list_insert", fn_ds_list_insert, 3},
	{"ds_list_replace", fn_ds_list_replace, 3},
	{"ds_list_delete", fn_ds_list_delete, 2},
	{"ds_list_find_index", fn_ds_list_find_index, 2},
	{"ds_list_find_value", fn_ds_list_find_value, 2},
	{"ds_list_sort", fn_ds_list_sort, 2},
	{"ds_list_shuffle", fn_ds_list_shuffle, 1},
	{"ds_list_write", fn_ds_list_write, 1},
	{"ds_list_read", fn_ds_list_read, 2},
};

} // namespace

void register_ds_functions()
{
	register_functions(DS_FUNCTIONS);
	register_functions(ds_map_priority_functions());
	register_functions(ds_grid_functions());
}
