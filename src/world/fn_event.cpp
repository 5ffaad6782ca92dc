// fn_event.cpp: built-in functions that perform events: event_perform,
// event_user, event_perform_object, event_inherited.
#include "code/builtin_args.h"
#include "code/families.h"
#include "code/function_table.h"
#include "world/events.h"
#include "world/object.h"

namespace {

int32_t arg_int(int argc, const Value *args, int i) { return (int32_t)arg_index(argc, args, i); }

void fn_event_perform(Value &, CInstance *self, CInstance *other, int argc, const Value *args)
{
	perform_own_event(self, other, arg_int(argc, args, 0), arg_int(argc, args, 1));
}

void fn_event_user(Value &, CInstance *self, CInstance *other, int argc, const Value *args)
{
	perform_own_event(self, other, EV_OTHER, EV_OTHER_USER0 + arg_int(argc, args, 0));
}

void fn_event_perform_object(Value &, CInstance *self, CInstance *other, int argc, const Value *args)
{
	perform_event(self, other, arg_int(argc, args, 0), arg_int(argc, args, 1), arg_int(argc, args, 2));
}

void fn_event_inherited(Value &, CInstance *self, CInstance *other, int, const Value *)
{
	perform_inherited(self, other);
}

const BuiltinEntry event_functions[] = {
	{"event_inherited", fn_event_inherited, 0},
	{"event_perform", fn_event_perform, 2},
	{"event_perform_object", fn_event_perform_object, 3},
	{"event_user", fn_event_user, 1},
};

} // namespace

void register_event_functions()
{
	register_functions(event_functions);
}
