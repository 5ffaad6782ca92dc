// slot_compare.cpp: the six comparisons of the bytecode machine: numbers within
// a tolerance, strings byte by byte; and the operator table by opcode.
#include "code/slot.h"

#include <cstring>

namespace {

bool is_integer(uint8_t type) { return type == SLOT_INT || type == SLOT_LONG || type == SLOT_BOOL; }
bool is_number(uint8_t type) { return type <= SLOT_BOOL; }

int64_t integer_of(const Slot &s)
{
	switch (s.type) {
	case SLOT_INT:
		return s.i;
	case SLOT_LONG:
		return s.l;
	default:
		return s.b ? 1 : 0;
	}
}

double double_of(const Slot &s)
{
	switch (s.type) {
	case SLOT_DOUBLE:
		return s.d;
	case SLOT_FLOAT:
		return s.f;
	default:
		return (double)integer_of(s);
	}
}

// The outcome of a comparison from the difference left - right.
bool by_difference(Comparison op, double d)
{
	const double e = COMPARE_EPSILON;
	switch (op) {
	case CMP_LT:
		return d < -e;
	case CMP_LE:
		return d <= e;
	case CMP_EQ:
		return -e < d && d < e;
	case CMP_NE:
		return d < -e || d > e;
	case CMP_GE:
		return d >= -e;
	case CMP_GT:
		return d > e;
	}
	return false;
}

// The outcome from an exact ordering (-1, 0, 1).
bool by_order(Comparison op, int order)
{
	switch (op) {
	case CMP_LT:
		return order < 0;
	case CMP_LE:
		return order <= 0;
	case CMP_EQ:
		return order == 0;
	case CMP_NE:
		return order != 0;
	case CMP_GE:
		return order >= 0;
	case CMP_GT:
		return order > 0;
	}
	return false;
}

// Unsigned bytes, a proper prefix being less; a null text is the empty text.
int text_order(const Slot &l, const Slot &r)
{
	const char *a = l.s ? l.s : "";
	const char *b = r.s ? r.s : "";
	int c = strcmp(a, b); // strcmp compares as unsigned char
	return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// A Value acts as its payload; false for a malformed one.
bool unwrap(Slot &s)
{
	if (s.type != SLOT_VALUE)
		return true;
	if (s.kind == VALUE_REAL)
		s.type = SLOT_DOUBLE;
	else if (s.kind == VALUE_STRING)
		s.type = SLOT_STRING;
	else
		return false;
	return true;
}

SlotError finish(Slot &left, Slot &right, bool result, SlotError error)
{
	slot_free(left);
	slot_free(right);
	left = slot_bool(result);
	return error;
}

} // namespace

SlotError slot_compare(Comparison op, Slot &left, Slot &right)
{
	if (left.type == SLOT_DOUBLE && right.type == SLOT_DOUBLE) {
		left = slot_bool(by_difference(op, left.d - right.d));
		return nullptr;
	}
	if (!unwrap(left) || !unwrap(right))
		return finish(left, right, false, "Malformed variable");
	if (left.type == SLOT_STRING && right.type == SLOT_STRING)
		return finish(left, right, by_order(op, text_order(left, right)), nullptr);
	if (!is_number(left.type) || !is_number(right.type))
		return finish(left, right, false, "DoSet :: Invalid comparison type");
	bool result;
	if (is_integer(left.type) && is_integer(right.type)) {
		// The difference of two integers is a whole number: exact ordering gives
		// the same outcome without overflowing.
		int64_t a = integer_of(left), b = integer_of(right);
		result = by_order(op, a < b ? -1 : a > b ? 1 : 0);
	} else {
		result = by_difference(op, double_of(left) - double_of(right));
	}
	return finish(left, right, result, nullptr);
}

BinaryOperator binary_operator(uint8_t opcode)
{
	switch (opcode) {
	case 0x04:
		return slot_mul;
	case 0x05:
		return slot_div;
	case 0x06:
		return slot_rem;
	case 0x07:
		return slot_mod;
	case 0x08:
		return slot_add;
	case 0x09:
		return slot_sub;
	case 0x0A:
		return slot_and;
	case 0x0B:
		return slot_or;
	case 0x0C:
		return slot_xor;
	case 0x0F:
		return slot_shl;
	case 0x10:
		return slot_shr;
	case 0x11:
		return [](Slot &l, Slot &r) { return slot_compare(CMP_LT, l, r); };
	case 0x12:
		return [](Slot &l, Slot &r) { return slot_compare(CMP_LE, l, r); };
	case 0x13:
		return [](Slot &l, Slot &r) { return slot_compare(CMP_EQ, l, r); };
	case 0x14:
		return [](Slot &l, Slot &r) { return slot_compare(CMP_NE, l, r); };
	case 0x15:
		return [](Slot &l, Slot &r) { return slot_compare(CMP_GE, l, r); };
	case 0x16:
		return [](Slot &l, Slot &r) { return slot_compare(CMP_GT, l, r); };
	}
	return nullptr;
}
