// slot.cpp: stack slots: type codes, construction and ownership, and the conv
// conversions between every pair of slot types.
#include "code/slot.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace {

const char *const suffixes[16] = {".d", ".f", ".i", ".l", ".b", ".v", ".s", "", "", "", "", "", "", "", "", ".e"};

char *copy_text(std::string_view text)
{
	char *block = (char *)malloc(text.size() + 1);
	if (!block)
		abort();
	memcpy(block, text.data(), text.size());
	block[text.size()] = 0;
	return block;
}

// The texts of conv: "%g", "%d" and "%lld" in the C locale.
char *format_general(double x)
{
	char buffer[64];
	auto r = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 6);
	return copy_text(std::string_view(buffer, r.ptr));
}

template <typename Int>
char *format_integer(Int x)
{
	char buffer[32];
	auto r = std::to_chars(buffer, buffer + sizeof buffer, x);
	return copy_text(std::string_view(buffer, r.ptr));
}

void set_double(Slot &s, double x)
{
	s.l = 0;
	s.d = x;
	s.type = SLOT_DOUBLE;
}
void set_float(Slot &s, float x)
{
	s.l = 0;
	s.f = x;
	s.type = SLOT_FLOAT;
}
void set_int(Slot &s, int32_t x)
{
	s.l = 0;
	s.i = x;
	s.type = SLOT_INT;
}
void set_long(Slot &s, int64_t x)
{
	s.l = x;
	s.type = SLOT_LONG;
}
void set_bool(Slot &s, bool x)
{
	s.l = 0;
	s.b = x;
	s.type = SLOT_BOOL;
}
void set_real_value(Slot &s, double x)
{
	s.l = 0;
	s.d = x;
	s.kind = VALUE_REAL;
	s.type = SLOT_VALUE;
}
// The slot's own text becomes a string of the given slot type.
void set_text(Slot &s, char *text, uint8_t type)
{
	s.l = 0;
	s.s = text;
	s.kind = VALUE_STRING;
	s.type = type;
}

// A number slot (double, float, int, int64, bool, or a real Value) to `to`.
// `value_truth` selects the truth rule of a real held in a Value (|x| > 0.5).
SlotError conv_number(Slot &s, double x, bool value_truth, unsigned to)
{
	switch (to) {
	case SLOT_DOUBLE:
		set_double(s, x);
		return nullptr;
	case SLOT_FLOAT:
		set_float(s, (float)x);
		return nullptr;
	case SLOT_INT:
		set_int(s, truncate_to_int32(x));
		return nullptr;
	case SLOT_LONG:
		set_long(s, truncate_to_int64(x));
		return nullptr;
	case SLOT_BOOL:
		set_bool(s, value_truth ? (x > 0.5 || x < -0.5) : x > 0.5);
		return nullptr;
	case SLOT_VALUE:
		set_real_value(s, x);
		return nullptr;
	case SLOT_STRING:
		set_text(s, format_general(x), SLOT_STRING);
		return nullptr;
	}
	set_double(s, 0);
	return "DoConv :: Execution Error";
}

SlotError conv_integer(Slot &s, int64_t x, bool is_bool, unsigned to)
{
	switch (to) {
	case SLOT_DOUBLE:
		set_double(s, (double)x);
		return nullptr;
	case SLOT_FLOAT:
		set_float(s, (float)x);
		return nullptr;
	case SLOT_INT:
		set_int(s, (int32_t)(uint32_t)(uint64_t)x);
		return nullptr;
	case SLOT_LONG:
		set_long(s, x);
		return nullptr;
	case SLOT_BOOL:
		set_bool(s, x != 0);
		return nullptr;
	case SLOT_VALUE:
		set_real_value(s, (double)x);
		return nullptr;
	case SLOT_STRING:
		set_text(s, is_bool ? copy_text(x ? "true" : "false") : format_integer(x), SLOT_STRING);
		return nullptr;
	}
	set_double(s, 0);
	return "DoConv :: Execution Error";
}

// A string slot or string Value to `to`; the text is freed or moves on.
SlotError conv_text(Slot &s, unsigned to)
{
	std::string_view text = slot_text(s);
	switch (to) {
	case SLOT_DOUBLE:
	case SLOT_FLOAT: {
		double x = text_decimal_reading(text);
		slot_free(s);
		if (to == SLOT_DOUBLE)
			set_double(s, x);
		else
			set_float(s, (float)x);
		return nullptr;
	}
	case SLOT_INT:
	case SLOT_LONG: {
		int32_t x = text_integer_reading(text);
		slot_free(s);
		if (to == SLOT_INT)
			set_int(s, x);
		else
			set_long(s, x);
		return nullptr;
	}
	case SLOT_BOOL: {
		bool x = text == "true";
		slot_free(s);
		set_bool(s, x);
		return nullptr;
	}
	case SLOT_VALUE:
	case SLOT_STRING:
		if (s.type == to)
			break;
		set_text(s, s.s, (uint8_t)to);
		return nullptr;
	}
	slot_free(s);
	set_double(s, 0);
	return "DoConv :: Execution Error";
}

} // namespace

const char *slot_type_suffix(unsigned code) { return code < 16 ? suffixes[code] : ""; }

unsigned slot_stack_size(unsigned code)
{
	switch (code) {
	case SLOT_DOUBLE:
	case SLOT_LONG:
		return 8;
	case SLOT_FLOAT:
	case SLOT_INT:
	case SLOT_BOOL:
	case SLOT_STRING:
		return 4;
	case SLOT_VALUE:
		return 16;
	}
	return 0;
}

unsigned slot_operand_size(unsigned code)
{
	switch (code) {
	case SLOT_DOUBLE:
	case SLOT_LONG:
		return 8;
	case SLOT_FLOAT:
	case SLOT_INT:
	case SLOT_BOOL:
	case SLOT_VALUE:
	case SLOT_STRING:
		return 4;
	}
	return 0;
}

Slot slot_string(std::string_view text)
{
	size_t nul = text.find('\0');
	if (nul != std::string_view::npos)
		text = text.substr(0, nul);
	return slot_string_adopt(copy_text(text));
}

Slot slot_string_adopt(char *text)
{
	Slot s = slot_double(0);
	set_text(s, text, SLOT_STRING);
	return s;
}

Slot slot_value_copy(const Value &v)
{
	Slot s = slot_double(0);
	s.type = SLOT_VALUE;
	s.kind = v.kind();
	if (v.is_string())
		s.s = copy_text(v.text());
	else
		s.d = v.real();
	return s;
}

Slot slot_value_take(Value &v)
{
	Slot s = slot_double(0);
	s.type = SLOT_VALUE;
	s.kind = v.kind();
	if (v.is_string()) {
		s.s = v.release_text();
	} else {
		s.d = v.real();
		v.clear();
	}
	return s;
}

Slot slot_dup(const Slot &s)
{
	Slot copy = s;
	if (s.s)
		copy.s = copy_text(s.s);
	return copy;
}

bool slot_store_general(Slot &s, Value &out)
{
	switch (s.type) {
	case SLOT_DOUBLE:
		out.set_real(s.d);
		return true;
	case SLOT_INT:
		out.set_real(s.i);
		return true;
	case SLOT_LONG:
		out.set_real((double)s.l);
		return true;
	case SLOT_BOOL:
		out.set_real(s.b ? 1.0 : 0.0);
		return true;
	case SLOT_STRING:
		out.adopt_text(s.s);
		s.s = nullptr;
		return true;
	case SLOT_VALUE:
		if (s.kind == VALUE_STRING) {
			out.adopt_text(s.s);
			s.s = nullptr;
		} else if (s.kind == VALUE_REAL) {
			out.set_real(s.d);
		} else {
			out = Value::malformed(s.kind == VALUE_UNSET_LOCAL ? s.kind - 1 : s.kind);
		}
		return true;
	}
	slot_free(s);
	return false;
}

SlotError slot_conv(Slot &s, unsigned to)
{
	SlotError error = "DoConv :: Execution Error";
	if (to != s.type) {
		switch (s.type) {
		case SLOT_DOUBLE:
			return conv_number(s, s.d, false, to);
		case SLOT_FLOAT:
			return conv_number(s, s.f, false, to);
		case SLOT_INT:
			return conv_integer(s, s.i, false, to);
		case SLOT_LONG:
			return conv_integer(s, s.l, false, to);
		case SLOT_BOOL:
			return conv_integer(s, s.b ? 1 : 0, true, to);
		case SLOT_VALUE:
			if (s.kind == VALUE_REAL && to != SLOT_VALUE)
				return conv_number(s, s.d, true, to);
			if (s.kind == VALUE_STRING)
				return conv_text(s, to);
			break;
		case SLOT_STRING:
			return conv_text(s, to);
		}
	}
	slot_free(s);
	set_double(s, 0);
	return error;
}
