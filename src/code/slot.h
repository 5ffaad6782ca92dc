// slot.h: the typed slots of the bytecode machine's evaluation stack: their
// type codes and listing suffixes, a slot that owns its string, the conversions
// between slot types, the operators and the comparisons.
#pragma once

#include <cstdint>
#include <string_view>

#include "code/value.h"

// The 4-bit type codes of instructions. ORDER SLOT: the codes are the file's.
enum SlotType : uint8_t
{
	SLOT_DOUBLE = 0,
	SLOT_FLOAT = 1,
	SLOT_INT = 2,    // signed 32-bit
	SLOT_LONG = 3,   // signed 64-bit
	SLOT_BOOL = 4,
	SLOT_VALUE = 5,  // a whole Value (kind, text, real)
	SLOT_STRING = 6, // an owned string, null allowed
	SLOT_IMM16 = 15, // a 16-bit immediate in the instruction word; pushed as an int
};

// The listing suffix of a type code (".d", ".f", ".i", ".l", ".b", ".v", ".s",
// ".e"); empty for codes without a slot.
const char *slot_type_suffix(unsigned code);
// The size of a slot on the original machine's stack (8, 4 or 16 bytes; 0 for
// codes without a slot) and of the operand that follows an instruction word.
unsigned slot_stack_size(unsigned code);
unsigned slot_operand_size(unsigned code);

// One stack slot. A plain structure, so the machine may copy it freely; the
// owner of a slot that holds a string (a SLOT_STRING, or a SLOT_VALUE of kind
// string) frees it with slot_free, or hands it on.
struct Slot
{
	union
	{
		double d;  // SLOT_DOUBLE; the real of a SLOT_VALUE
		float f;   // SLOT_FLOAT
		int32_t i; // SLOT_INT
		int64_t l; // SLOT_LONG
		bool b;    // SLOT_BOOL
	};
	char *s;       // SLOT_STRING, or the text of a string SLOT_VALUE: malloc'ed, null = ""
	union
	{
		struct
		{
			uint32_t kind; // SLOT_VALUE: the Value's kind (VALUE_REAL, VALUE_STRING, or malformed)
			uint8_t type;  // SlotType
		};
		// Both at once: the machine writes them with one store, so that a
		// later read of both is not held up by two partial stores.
		uint64_t tag;
	};
};

// The longest text that string repetition and concatenation make (1 GiB); a
// longer result is an operator error instead of exhausting memory.
void set_text_length_limit(size_t bytes);

// Errors are returned, never thrown: null on success, else the message for the
// machine's error report.
using SlotError = const char *;

inline Slot slot_double(double x)
{
	Slot s;
	s.l = 0;
	s.d = x;
	s.s = nullptr;
	s.kind = 0;
	s.type = SLOT_DOUBLE;
	return s;
}
inline Slot slot_float(float x)
{
	Slot s = slot_double(0);
	s.f = x;
	s.type = SLOT_FLOAT;
	return s;
}
inline Slot slot_int(int32_t x)
{
	Slot s = slot_double(0);
	s.l = 0;
	s.i = x;
	s.type = SLOT_INT;
	return s;
}
inline Slot slot_long(int64_t x)
{
	Slot s = slot_double(0);
	s.l = x;
	s.type = SLOT_LONG;
	return s;
}
inline Slot slot_bool(bool x)
{
	Slot s = slot_double(0);
	s.l = 0;
	s.b = x;
	s.type = SLOT_BOOL;
	return s;
}
// A SLOT_STRING holding a fresh copy of the text (the push of a type 6 operand).
Slot slot_string(std::string_view text);
// A SLOT_STRING that takes ownership of a malloc'ed block (null: the empty string).
Slot slot_string_adopt(char *text);
// A SLOT_VALUE holding a deep copy of the value (the push of a variable).
Slot slot_value_copy(const Value &v);
// A SLOT_VALUE that takes the value's payload, leaving the value the real 0.
Slot slot_value_take(Value &v);

// Frees the slot's string, if any.
inline void slot_free(Slot &s)
{
	if (s.s) {
		free(s.s);
		s.s = nullptr;
	}
}
// A deep copy (dup).
Slot slot_dup(const Slot &s);
// The text of a string slot or string value slot ("" for null).
inline std::string_view slot_text(const Slot &s) { return s.s ? std::string_view(s.s) : std::string_view(); }

// Moves a slot into a Value as the pop into a variable stores it: double, int,
// int64 and bool become reals, a string a string Value, a Value itself. The
// slot is consumed. Returns false (and leaves out as it was, freeing the slot)
// for a float, an immediate or any other type.
bool slot_store_general(Slot &s, Value &out);
inline bool slot_store(Slot &s, Value &out)
{
	if (s.type == SLOT_DOUBLE || (s.type == SLOT_VALUE && s.kind == VALUE_REAL)) {
		out.set_real(s.d);
		return true;
	}
	return slot_store_general(s, out);
}

// conv: converts the slot in place from its type to `to`; the source is
// consumed. An unlisted pair is "DoConv :: Execution Error" (the slot is then
// freed and left as the double 0).
SlotError slot_conv(Slot &s, unsigned to);

// The two-operand operators. `left` is the deeper slot (pushed first), `right`
// the top; the result replaces `left` and `right` is consumed. On an error both
// are freed and `left` is left as the double 0.
SlotError slot_add(Slot &left, Slot &right);
SlotError slot_sub(Slot &left, Slot &right);
SlotError slot_mul(Slot &left, Slot &right);
SlotError slot_div(Slot &left, Slot &right);
SlotError slot_rem(Slot &left, Slot &right);
SlotError slot_mod(Slot &left, Slot &right);
SlotError slot_and(Slot &left, Slot &right);
SlotError slot_or(Slot &left, Slot &right);
SlotError slot_xor(Slot &left, Slot &right);
SlotError slot_shl(Slot &left, Slot &right);
SlotError slot_shr(Slot &left, Slot &right);
// The one-operand operators, in place.
SlotError slot_neg(Slot &s);
SlotError slot_not(Slot &s);

// The comparisons, in opcode order (slt 0x11 ... sgt 0x16).
enum Comparison : uint8_t
{
	CMP_LT,
	CMP_LE,
	CMP_EQ,
	CMP_NE,
	CMP_GE,
	CMP_GT,
};
// The tolerance of numeric comparisons: reals closer than this are equal.
constexpr double COMPARE_EPSILON = 0.00001;
// Compares left with right; `left` becomes the bool result and `right` is
// consumed. A string against a number is false with "DoSet :: Invalid comparison
// type".
SlotError slot_compare(Comparison op, Slot &left, Slot &right);

// The operator of an opcode: the functions above by opcode (mul 0x04 to shr
// 0x10 and the comparisons 0x11 to 0x16), or null for any other opcode.
using BinaryOperator = SlotError (*)(Slot &left, Slot &right);
BinaryOperator binary_operator(uint8_t opcode);
