// slot_ops.cpp: the arithmetic and bitwise operators of the bytecode machine on
// stack slots, with the combinations of slot types each one accepts.
#include "code/slot.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// A text longer than this is refused by repetition and concatenation instead
// of exhausting memory (1 GiB; the fuzz targets lower it).
size_t g_max_text = (size_t)1 << 30;

struct OpInfo
{
	const char *error;       // "<Op> :: Execution Error"
	const char *string_type; // "<Op> :: Execution Engine - Cannot operate on string type"
	const char *malformed;   // a Value of another kind
};

#define OP_INFO(name, malformed) \
	{name " :: Execution Error", name " :: Execution Engine - Cannot operate on string type", malformed}
const OpInfo ADD = OP_INFO("DoAdd", "Malformed variable");
const OpInfo SUB = OP_INFO("DoSub", "Malformed variable");
const OpInfo MUL = OP_INFO("DoMul", "Variable is malformed");
const OpInfo DIV = OP_INFO("DoDiv", "Malformed variable");
const OpInfo REM = OP_INFO("DoRem", "Malformed variable");
const OpInfo MOD = OP_INFO("DoMod", "Malformed variable");
const OpInfo AND = OP_INFO("DoAnd", "Malformed variable");
const OpInfo OR = OP_INFO("DoOr", "Malformed variable");
const OpInfo XOR = OP_INFO("DoXor", "Malformed variable");
const OpInfo SHL = OP_INFO("DoShl", "Malformed variable");
const OpInfo SHR = OP_INFO("DoShr", "Malformed variable");
const OpInfo NEG = OP_INFO("DoNeg", "Malformed variable");
const OpInfo NOT = OP_INFO("DoNot", "Malformed variable");
#undef OP_INFO

void set_double(Slot &s, double x)
{
	s.l = 0;
	s.d = x;
	s.type = SLOT_DOUBLE;
}

// Replaces a Value operand by its payload: a real acts as a double, a string as
// a string. Returns false for a malformed Value.
bool unwrap(Slot &s, bool &wrapped)
{
	if (s.type != SLOT_VALUE)
		return true;
	wrapped = true;
	if (s.kind == VALUE_REAL)
		s.type = SLOT_DOUBLE;
	else if (s.kind == VALUE_STRING)
		s.type = SLOT_STRING;
	else
		return false;
	return true;
}

// The result of an operator that had a Value operand is a Value too.
void wrap(Slot &s)
{
	double x = 0;
	switch (s.type) {
	case SLOT_STRING:
		s.kind = VALUE_STRING;
		s.type = SLOT_VALUE;
		return;
	case SLOT_DOUBLE:
		x = s.d;
		break;
	case SLOT_FLOAT:
		x = s.f;
		break;
	case SLOT_INT:
		x = s.i;
		break;
	case SLOT_LONG:
		x = (double)s.l;
		break;
	case SLOT_BOOL:
		x = s.b ? 1.0 : 0.0;
		break;
	}
	s.l = 0;
	s.d = x;
	s.kind = VALUE_REAL;
	s.type = SLOT_VALUE;
}

SlotError fail(Slot &left, Slot &right, SlotError error)
{
	slot_free(left);
	slot_free(right);
	set_double(left, 0);
	return error;
}

bool is_string(const Slot &s) { return s.type == SLOT_STRING; }

enum Pair
{
	PAIR_INTS,    // int with int
	PAIR_DOUBLES, // double with double, or int with double in either order
	PAIR_OTHER,
};

Pair number_pair(const Slot &l, const Slot &r)
{
	if (l.type == SLOT_INT && r.type == SLOT_INT)
		return PAIR_INTS;
	bool ln = l.type == SLOT_DOUBLE || l.type == SLOT_INT;
	bool rn = r.type == SLOT_DOUBLE || r.type == SLOT_INT;
	return ln && rn ? PAIR_DOUBLES : PAIR_OTHER;
}

double as_double(const Slot &s) { return s.type == SLOT_INT ? (double)s.i : s.d; }
int64_t as_long(const Slot &s) { return s.type == SLOT_INT ? (int64_t)s.i : truncate_to_int64(s.d); }

// The arithmetic of two numbers: the int result (ii) for two ints, the double
// result (dd) otherwise. Returns null or the operator's own error.
using IntArith = SlotError (*)(int32_t a, int32_t b, Slot &out);
using DoubleArith = SlotError (*)(double a, double b, Slot &out);

SlotError numeric(const OpInfo &op, Slot &left, Slot &right, IntArith ii, DoubleArith dd)
{
	bool wrapped = false;
	if (!unwrap(left, wrapped) || !unwrap(right, wrapped))
		return fail(left, right, op.malformed);
	if (is_string(left) || is_string(right))
		return fail(left, right, op.string_type);
	Pair pair = number_pair(left, right);
	if (pair == PAIR_OTHER)
		return fail(left, right, op.error);
	Slot out = slot_double(0);
	SlotError error = pair == PAIR_INTS ? ii(left.i, right.i, out) : dd(as_double(left), as_double(right), out);
	if (error)
		return fail(left, right, error);
	left = out;
	if (wrapped)
		wrap(left);
	return nullptr;
}

Slot int_result(int32_t x) { return slot_int(x); }
int32_t wrap_int(int64_t x) { return (int32_t)(uint32_t)(uint64_t)x; }

SlotError concatenate(Slot &left, Slot &right, bool wrapped)
{
	std::string_view a = slot_text(left), b = slot_text(right);
	if (b.size() > g_max_text || a.size() > g_max_text - b.size())
		return ADD.error; // the caller frees both operands
	char *text = (char *)malloc(a.size() + b.size() + 1);
	if (!text)
		abort();
	memcpy(text, a.data(), a.size());
	memcpy(text + a.size(), b.data(), b.size());
	text[a.size() + b.size()] = 0;
	slot_free(left);
	slot_free(right);
	left = slot_string_adopt(text);
	if (wrapped)
		wrap(left);
	return nullptr;
}

SlotError repeat(Slot &left, Slot &right, bool wrapped)
{
	double n = std::trunc(as_double(left));
	std::string_view unit = slot_text(right);
	size_t count = n > 0 ? (n < (double)g_max_text ? (size_t)n : g_max_text + 1) : 0;
	if (unit.empty())
		count = 0;
	if (count > 0 && count > g_max_text / unit.size())
		return fail(left, right, MUL.error);
	char *text = (char *)malloc(unit.size() * count + 1);
	if (!text)
		abort();
	for (size_t i = 0; i < count; i++)
		memcpy(text + i * unit.size(), unit.data(), unit.size());
	text[unit.size() * count] = 0;
	slot_free(left);
	slot_free(right);
	left = slot_string_adopt(text);
	if (wrapped)
		wrap(left);
	return nullptr;
}

// and, or, xor: 64-bit integers of doubles, int with int, bool with bool.
SlotError bitwise(const OpInfo &op, Slot &left, Slot &right, int64_t (*combine)(int64_t, int64_t))
{
	bool wrapped = false;
	if (!unwrap(left, wrapped) || !unwrap(right, wrapped))
		return fail(left, right, op.malformed);
	if (is_string(left) || is_string(right))
		return fail(left, right, op.string_type);
	if (left.type == SLOT_BOOL && right.type == SLOT_BOOL) {
		left = slot_bool(combine(left.b, right.b) != 0);
		return nullptr;
	}
	Pair pair = number_pair(left, right);
	if (pair == PAIR_OTHER)
		return fail(left, right, op.error);
	if (pair == PAIR_INTS)
		left = slot_int(wrap_int(combine(left.i, right.i)));
	else
		left = slot_double((double)combine(as_long(left), as_long(right)));
	if (wrapped)
		wrap(left);
	return nullptr;
}

int64_t shift_long(int64_t x, int64_t count, bool to_left)
{
	if (count < 0 || count > 63)
		return to_left ? 0 : (x < 0 ? -1 : 0);
	return to_left ? (int64_t)((uint64_t)x << count) : x >> count;
}

SlotError shift(const OpInfo &op, Slot &left, Slot &right, bool to_left)
{
	bool wrapped = false;
	if (!unwrap(left, wrapped) || !unwrap(right, wrapped))
		return fail(left, right, op.malformed);
	if (is_string(left) || is_string(right))
		return fail(left, right, op.string_type);
	Pair pair = number_pair(left, right);
	if (pair == PAIR_OTHER)
		return fail(left, right, op.error);
	if (pair == PAIR_INTS) {
		int count = right.i & 31;
		int32_t x = to_left ? (int32_t)((uint32_t)left.i << count) : left.i >> count;
		left = slot_int(x);
	} else {
		left = slot_double((double)shift_long(as_long(left), as_long(right), to_left));
	}
	if (wrapped)
		wrap(left);
	return nullptr;
}

bool below_divisor_limit(double x) { return std::fabs(x) < 1e-10; }

} // namespace

void set_text_length_limit(size_t bytes) { g_max_text = bytes; }

SlotError slot_add(Slot &left, Slot &right)
{
	if (left.type == SLOT_DOUBLE && right.type == SLOT_DOUBLE) {
		left.d += right.d;
		return nullptr;
	}
	bool wrapped = false;
	Slot l = left, r = right;
	if (unwrap(l, wrapped) && unwrap(r, wrapped) && (is_string(l) || is_string(r))) {
		if (!is_string(l) || !is_string(r))
			return fail(left, right, ADD.error);
		if (SlotError error = concatenate(l, r, wrapped))
			return fail(left, right, error);
		left = l;
		right.s = nullptr;
		return nullptr;
	}
	return numeric(
		ADD, left, right,
		[](int32_t a, int32_t b, Slot &out) -> SlotError { return out = int_result(wrap_int((int64_t)a + b)), nullptr; },
		[](double a, double b, Slot &out) -> SlotError { return out = slot_double(a + b), nullptr; });
}

SlotError slot_sub(Slot &left, Slot &right)
{
	if (left.type == SLOT_DOUBLE && right.type == SLOT_DOUBLE) {
		left.d -= right.d;
		return nullptr;
	}
	return numeric(
		SUB, left, right,
		[](int32_t a, int32_t b, Slot &out) -> SlotError { return out = int_result(wrap_int((int64_t)a - b)), nullptr; },
		[](double a, double b, Slot &out) -> SlotError { return out = slot_double(a - b), nullptr; });
}

SlotError slot_mul(Slot &left, Slot &right)
{
	if (left.type == SLOT_DOUBLE && right.type == SLOT_DOUBLE) {
		left.d *= right.d;
		return nullptr;
	}
	bool wrapped = false;
	Slot l = left, r = right;
	if (!unwrap(l, wrapped) || !unwrap(r, wrapped))
		return fail(left, right, MUL.malformed);
	if (is_string(r) && (l.type == SLOT_DOUBLE || l.type == SLOT_INT)) {
		SlotError error = repeat(l, r, wrapped);
		left = l;
		right.s = nullptr;
		return error;
	}
	if (is_string(l) || is_string(r))
		return fail(left, right, MUL.error);
	return numeric(
		MUL, left, right,
		[](int32_t a, int32_t b, Slot &out) -> SlotError { return out = int_result(wrap_int((int64_t)a * b)), nullptr; },
		[](double a, double b, Slot &out) -> SlotError { return out = slot_double(a * b), nullptr; });
}

SlotError slot_div(Slot &left, Slot &right)
{
	return numeric(
		DIV, left, right,
		[](int32_t a, int32_t b, Slot &out) -> SlotError {
			if (b == 0)
				return "DoDiv :: Divide by zero";
			return out = int_result(wrap_int((int64_t)a / b)), nullptr;
		},
		[](double a, double b, Slot &out) -> SlotError {
			if (below_divisor_limit(b))
				return "DoDiv :: Divide by zero";
			return out = slot_double(a / b), nullptr;
		});
}

SlotError slot_rem(Slot &left, Slot &right)
{
	return numeric(
		REM, left, right,
		[](int32_t a, int32_t b, Slot &out) -> SlotError {
			if (b == 0)
				return "DoRem :: Divide by zero";
			return out = int_result(wrap_int((int64_t)a / b)), nullptr;
		},
		[](double a, double b, Slot &out) -> SlotError {
			if (below_divisor_limit(b))
				return "DoRem :: Divide by zero";
			return out = slot_double((double)truncate_to_int32(a / b)), nullptr;
		});
}

SlotError slot_mod(Slot &left, Slot &right)
{
	return numeric(
		MOD, left, right,
		[](int32_t a, int32_t b, Slot &out) -> SlotError {
			if (b == 0)
				return "DoMod :: Divide by zero";
			return out = int_result(wrap_int((int64_t)a % b)), nullptr;
		},
		[](double a, double b, Slot &out) -> SlotError {
			if (b == 0)
				return "DoMod :: Divide by zero";
			return out = slot_double(std::fmod(a, b)), nullptr;
		});
}

SlotError slot_and(Slot &left, Slot &right)
{
	return bitwise(AND, left, right, [](int64_t a, int64_t b) { return a & b; });
}

SlotError slot_or(Slot &left, Slot &right)
{
	return bitwise(OR, left, right, [](int64_t a, int64_t b) { return a | b; });
}

SlotError slot_xor(Slot &left, Slot &right)
{
	return bitwise(XOR, left, right, [](int64_t a, int64_t b) { return a ^ b; });
}

SlotError slot_shl(Slot &left, Slot &right) { return shift(SHL, left, right, true); }
SlotError slot_shr(Slot &left, Slot &right) { return shift(SHR, left, right, false); }

SlotError slot_neg(Slot &s)
{
	switch (s.type) {
	case SLOT_DOUBLE:
		s.d = -s.d;
		return nullptr;
	case SLOT_FLOAT:
		s.f = -s.f;
		return nullptr;
	case SLOT_INT:
		s.i = wrap_int(-(int64_t)s.i);
		return nullptr;
	case SLOT_LONG:
		s.l = (int64_t)(0 - (uint64_t)s.l);
		return nullptr;
	case SLOT_VALUE:
		if (s.kind == VALUE_REAL) {
			s.d = -s.d;
			return nullptr;
		}
		if (s.kind != VALUE_STRING) {
			set_double(s, 0);
			return NEG.malformed;
		}
		break;
	}
	slot_free(s);
	set_double(s, 0);
	return NEG.string_type;
}

SlotError slot_not(Slot &s)
{
	switch (s.type) {
	case SLOT_DOUBLE:
		s.d = (double)~truncate_to_int64(s.d);
		return nullptr;
	case SLOT_FLOAT:
		s.f = (float)~truncate_to_int64(s.f);
		return nullptr;
	case SLOT_INT:
		s.i = ~s.i;
		return nullptr;
	case SLOT_LONG:
		s.l = ~s.l;
		return nullptr;
	case SLOT_BOOL:
		s.b = !s.b;
		return nullptr;
	case SLOT_VALUE:
		if (s.kind == VALUE_REAL) {
			s.d = (double)~truncate_to_int64(s.d);
			return nullptr;
		}
		if (s.kind != VALUE_STRING) {
			set_double(s, 0);
			return NOT.malformed;
		}
		break;
	}
	slot_free(s);
	set_double(s, 0);
	return NOT.string_type;
}
