// fn_value.cpp: built-in functions on values themselves: the conversions real
// and string, the kind tests, and characters to and from their codes.
#include <string>

#include "code/families.h"
#include "code/function_table.h"
#include "code/utf8_text.h"
#include "code/value.h"

namespace {

void fn_real(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	if (argc < 1)
		return;
	result.set_real(value_to_real(args[0]));
}

void fn_string(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	if (argc < 1)
		return;
	result.set_string(value_to_text(args[0]));
}

void fn_is_real(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	if (argc < 1)
		return;
	result.set_real(args[0].kind() == VALUE_REAL ? 1 : 0);
}

void fn_is_string(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	if (argc < 1)
		return;
	result.set_real(args[0].kind() == VALUE_STRING ? 1 : 0);
}

// chr(n): the character of code n, rounded; codes are 16 bits, so higher bits
// are dropped. chr(0) is the empty string (strings cannot hold a NUL byte).
void fn_chr(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	if (argc < 1)
		return;
	uint32_t code = (uint32_t)(uint64_t)round_to_int(args[0].real()) & 0xFFFF;
	result.set_string(utf8_encode(code));
}

// ord(s): the first byte of s, 0 for the empty string.
void fn_ord(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	if (argc < 1)
		return;
	std::string_view text = args[0].text();
	result.set_real(text.empty() ? 0 : (unsigned char)text[0]);
}

const BuiltinEntry value_functions[] = {
	{"real", fn_real, 1},
	{"string", fn_string, 1},
	{"is_real", fn_is_real, 1},
	{"is_string", fn_is_string, 1},
	{"chr", fn_chr, 1},
	{"ord", fn_ord, 1},
};

} // namespace

void register_value_functions() { register_functions(value_functions); }
