// tree_ops.cpp: operators of the tree executor. Comparisons are exact, bit
// operators work on the nearest 32-bit integers, `div` on truncated ones, and
// a real times a string repeats the string.
#include "code/compiler/tree_ops.h"

#include <cmath>
#include <cstring>

namespace {

// A repeated string longer than this is refused instead of exhausting memory.
constexpr double MAX_REPEATED_LENGTH = 64.0 * 1024 * 1024;

const char *compare(TokenKind op, const Value &l, const Value &r, Value &out)
{
	if (l.kind() != r.kind())
		return "Cannot compare arguments.";
	int c;
	if (l.is_string()) {
		c = strcmp(l.c_str(), r.c_str());
	} else {
		double a = l.real(), b = r.real();
		c = a < b ? -1 : a > b ? 1 : a == b ? 0 : 2; // 2: unordered (NaN)
	}
	bool result;
	switch (op) {
	case TK_ASSIGN:
	case TK_EQ:
		result = c == 0;
		break;
	case TK_NE:
		result = c != 0;
		break;
	case TK_LT:
		result = c == -1;
		break;
	case TK_LE:
		result = c == -1 || c == 0;
		break;
	case TK_GT:
		result = c == 1;
		break;
	default: // TK_GE
		result = c == 1 || c == 0;
		break;
	}
	out.set_real(result ? 1.0 : 0.0);
	return nullptr;
}

const char *logical(TokenKind op, const Value &l, const Value &r, Value &out)
{
	if (!l.is_real() || !r.is_real())
		return op == TK_AND ? "Wrong type of arguments for &&." : op == TK_OR ? "Wrong type of arguments for ||."
		                                                                      : "Wrong type of arguments for ^^.";
	bool a = l.real() >= 0.5, b = r.real() >= 0.5;
	bool result = op == TK_AND ? (a && b) : op == TK_OR ? (a || b) : (a != b);
	out.set_real(result ? 1.0 : 0.0);
	return nullptr;
}

const char *repeat_string(double count, const Value &text, Value &out)
{
	int64_t n = round_to_int(count);
	std::string_view t = text.text();
	if (n <= 0 || t.empty()) {
		out.set_string("");
		return nullptr;
	}
	if ((double)n * (double)t.size() > MAX_REPEATED_LENGTH)
		return "String too long.";
	std::string s;
	s.reserve((size_t)n * t.size());
	for (int64_t i = 0; i < n; i++)
		s += t;
	out.set_string(s);
	return nullptr;
}

const char *bitwise(TokenKind op, const Value &l, const Value &r, Value &out)
{
	if (!l.is_real() || !r.is_real()) {
		switch (op) {
		case TK_BITOR:
			return "Wrong type of arguments for |.";
		case TK_BITAND:
			return "Wrong type of arguments for &.";
		case TK_BITXOR:
			return "Wrong type of arguments for ^.";
		case TK_SHL:
			return "Wrong type of arguments for <<.";
		default:
			return "Wrong type of arguments for >>.";
		}
	}
	int32_t a = nearest_int32(l.real()), b = nearest_int32(r.real());
	int32_t result;
	switch (op) {
	case TK_BITOR:
		result = a | b;
		break;
	case TK_BITAND:
		result = a & b;
		break;
	case TK_BITXOR:
		result = a ^ b;
		break;
	case TK_SHL:
		result = (int32_t)((uint32_t)a << (b & 31));
		break;
	default:
		result = a >> (b & 31); // arithmetic
		break;
	}
	out.set_real(result);
	return nullptr;
}

const char *arithmetic(TokenKind op, const Value &l, const Value &r, Value &out)
{
	bool reals = l.is_real() && r.is_real();
	switch (op) {
	case TK_PLUS:
		if (reals)
			out.set_real(l.real() + r.real());
		else if (l.is_string() && r.is_string())
			out.set_string(std::string(l.text()) + std::string(r.text()));
		else
			return "Wrong type of arguments to +.";
		return nullptr;
	case TK_MINUS:
		if (!reals)
			return "Wrong type of arguments to -.";
		out.set_real(l.real() - r.real());
		return nullptr;
	case TK_STAR:
		if (reals)
			out.set_real(l.real() * r.real());
		else if (l.is_real() && r.is_string())
			return repeat_string(l.real(), r, out);
		else
			return "Wrong type of arguments to *.";
		return nullptr;
	case TK_SLASH:
		if (!reals)
			return "Wrong type of arguments to /.";
		if (r.real() == 0.0)
			return "Division by 0.";
		out.set_real(l.real() / r.real());
		return nullptr;
	case TK_DIV: {
		if (!reals)
			return "Wrong type of arguments to div.";
		int64_t a = truncate_to_int32(l.real()), b = truncate_to_int32(r.real());
		if (b == 0)
			return "Division by 0.";
		out.set_real((double)(a / b)); // 64-bit: INT32_MIN div -1 does not overflow
		return nullptr;
	}
	default: { // TK_MOD
		if (!reals)
			return "Wrong type of arguments to mod.";
		double a = l.real(), b = r.real();
		if (b == 0.0)
			return "Modulo by 0.";
		out.set_real(a - b * std::trunc(a / b));
		return nullptr;
	}
	}
}

} // namespace

const char *tree_binary(TokenKind op, const Value &left, const Value &right, Value &out)
{
	switch (op) {
	case TK_ASSIGN:
	case TK_EQ:
	case TK_NE:
	case TK_LT:
	case TK_LE:
	case TK_GT:
	case TK_GE:
		return compare(op, left, right, out);
	case TK_AND:
	case TK_OR:
	case TK_XOR:
		return logical(op, left, right, out);
	case TK_BITOR:
	case TK_BITAND:
	case TK_BITXOR:
	case TK_SHL:
	case TK_SHR:
		return bitwise(op, left, right, out);
	default:
		return arithmetic(op, left, right, out);
	}
}

const char *tree_unary(TokenKind op, const Value &operand, Value &out)
{
	if (!operand.is_real())
		return "Wrong type of arguments to unary operator.";
	double x = operand.real();
	switch (op) {
	case TK_NOT:
		out.set_real(x < 0.5 ? 1.0 : 0.0);
		break;
	case TK_MINUS:
		out.set_real(-x);
		break;
	case TK_BITNOT:
		out.set_real(~nearest_int32(x));
		break;
	default:
		out.set_real(x);
		break;
	}
	return nullptr;
}
