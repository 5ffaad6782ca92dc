// fn_string.cpp: the string built-ins of game code. Character functions count
// UTF-8 characters, the byte functions bytes; a real argument has no text and
// reads as the empty string.
#include <string>

#include "code/builtin_args.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/function_table.h"
#include "code/string_ops.h"
#include "code/utf8_text.h"
#include "code/value.h"

namespace {

#define TEXT(i) arg_text(argc, args, i)
#define INDEX(i) arg_index(argc, args, i)

// The longest text string_repeat builds; longer requests are refused rather
// than exhausting memory.
constexpr size_t MAX_REPEAT_BYTES = (size_t)1 << 28;

void fn_ansi_char(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	// A NUL byte cannot be held by a game string: 0 (and multiples of 256) give "".
	char c = (char)(INDEX(0) & 0xFF);
	result.set_string(std::string_view(&c, 1));
}

void fn_string_length(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real((double)utf8_length(TEXT(0)));
}

void fn_string_byte_length(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real((double)TEXT(0).size());
}

void fn_string_char_at(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_string(text_char_at(TEXT(0), INDEX(1)));
}

void fn_string_byte_at(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_string(text_byte_at(TEXT(0), INDEX(1)));
}

void fn_string_copy(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_string(text_copy(TEXT(0), INDEX(1), INDEX(2)));
}

void fn_string_pos(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real((double)text_pos(TEXT(0), TEXT(1)));
}

void fn_string_count(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real((double)text_count(TEXT(0), TEXT(1)));
}

void fn_string_delete(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_string(text_delete(TEXT(0), INDEX(1), INDEX(2)));
}

void fn_string_insert(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_string(text_insert(TEXT(0), TEXT(1), INDEX(2)));
}

void fn_string_repeat(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	std::string_view s = TEXT(0);
	int64_t n = INDEX(1);
	if (n <= 0 || s.empty()) {
		result.set_string("");
		return;
	}
	if ((uint64_t)n > MAX_REPEAT_BYTES / s.size()) {
		report_error("Error in function string_repeat(): the result would be too long.", false);
		result.set_string("");
		return;
	}
	std::string out;
	out.reserve(s.size() * (size_t)n);
	for (int64_t i = 0; i < n; i++)
		out += s;
	result.set_string(out);
}

void fn_string_lower(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_string(text_lower(TEXT(0))); }
void fn_string_upper(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_string(text_upper(TEXT(0))); }

void fn_string_letters(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_string(text_keep(TEXT(0), true, false));
}

void fn_string_digits(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_string(text_keep(TEXT(0), false, true));
}

void fn_string_lettersdigits(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_string(text_keep(TEXT(0), true, true));
}

void fn_string_replace(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_string(text_replace(TEXT(0), TEXT(1), TEXT(2), false));
}

void fn_string_replace_all(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_string(text_replace(TEXT(0), TEXT(1), TEXT(2), true));
}

void fn_string_format(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_string(text_format_real(arg_real(argc, args, 0), INDEX(1), INDEX(2)));
}

#undef TEXT
#undef INDEX

const BuiltinEntry string_functions[] = {
	{ "ansi_char", fn_ansi_char, 1 },
	{ "string_length", fn_string_length, 1 },
	{ "string_byte_length", fn_string_byte_length, 1 },
	{ "string_char_at", fn_string_char_at, 2 },
	{ "string_byte_at", fn_string_byte_at, 2 },
	{ "string_copy", fn_string_copy, 3 },
	{ "string_pos", fn_string_pos, 2 },
	{ "string_count", fn_string_count, 2 },
	{ "string_delete", fn_string_delete, 3 },
	{ "string_insert", fn_string_insert, 3 },
	{ "string_repeat", fn_string_repeat, 2 },
	{ "string_lower", fn_string_lower, 1 },
	{ "string_upper", fn_string_upper, 1 },
	{ "string_letters", fn_string_letters, 1 },
	{ "string_digits", fn_string_digits, 1 },
	{ "string_lettersdigits", fn_string_lettersdigits, 1 },
	{ "string_replace", fn_string_replace, 3 },
	{ "string_replace_all", fn_string_replace_all, 3 },
	{ "string_format", fn_string_format, 3 },
};

} // namespace

void register_string_functions() { register_functions(string_functions); }
