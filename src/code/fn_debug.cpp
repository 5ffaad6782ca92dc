// fn_debug.cpp: built-in functions that write to the debug console:
// show_debug_message.
#include "code/families.h"
#include "code/function_table.h"
#include "code/value.h"
#include "common/console.h"

namespace {

// show_debug_message(value): the value's text and a line feed on the debug
// console (standard output).
void fn_show_debug_message(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	std::string text = argc > 0 ? value_to_text(args[0]) : std::string();
	dbg_console().Output("%s\n", text.c_str());
}

const BuiltinEntry debug_functions[] = {
	{"show_debug_message", fn_show_debug_message, 1},
};

} // namespace

void register_debug_functions()
{
	register_functions(debug_functions);
}
