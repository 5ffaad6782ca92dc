// ds_compare.cpp: element comparison for finds, sorts and searches, and the
// set/add/multiply operations on grid cells.
#include "ds/ds_compare.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

double g_precision = 1e-08;

} // namespace

double ds_precision() { return g_precision; }

void ds_set_precision(double precision) { g_precision = std::fabs(precision); }

int ds_compare(const Value &a, const Value &b)
{
	if (a.is_real() && b.is_real()) {
		float fa = (float)a.real();
		float fb = (float)b.real();
		// Equal floats are equal whatever the precision, 0 included; infinities
		// of one sign too (their difference is not a number).
		if (fa == fb)
			return 0;
		float d = fa - fb;
		if (g_precision > std::fabs((double)d))
			return 0;
		return d < 0 ? -1 : 1;
	}
	if (!a.is_string() || !b.is_string())
		return 1;
	std::string_view ta = a.text(), tb = b.text();
	size_t n = ta.size() < tb.size() ? ta.size() : tb.size();
	int c = n ? memcmp(ta.data(), tb.data(), n) : 0;
	if (c == 0)
		c = ta.size() < tb.size() ? -1 : (ta.size() > tb.size() ? 1 : 0);
	return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void ds_cell_apply(Value &cell, const Value &value, DsCellOp op)
{
	switch (op) {
	case DS_CELL_SET:
		cell = value;
		return;
	case DS_CELL_ADD:
		if (cell.is_real() && value.is_real())
			cell.set_real(cell.real() + value.real());
		else if (cell.is_string() && value.is_string()) {
			std::string joined(cell.text());
			joined += value.text();
			cell.set_string(joined);
		} else
			cell = value;
		return;
	case DS_CELL_MULTIPLY:
		if (cell.is_real() && value.is_real())
			cell.set_real(cell.real() * value.real());
		return;
	}
}
