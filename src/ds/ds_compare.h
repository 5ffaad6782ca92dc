// ds_compare.h: how data structures compare elements and combine a value into a
// grid cell. The comparison precision is shared by every container.
#pragma once

#include "code/value.h"

// The comparison precision (default 1e-08); setting stores the magnitude.
double ds_precision();
void ds_set_precision(double precision);

// -1, 0 or 1. Reals compare as 32-bit floats within the precision; two strings
// compare byte by byte; a real against a string is always 1.
int ds_compare(const Value &a, const Value &b);

inline bool ds_equal(const Value &a, const Value &b) { return ds_compare(a, b) == 0; }

// The cell operations of grids.
enum DsCellOp
{
	DS_CELL_SET = 1,
	DS_CELL_ADD = 2,
	DS_CELL_MULTIPLY = 3,
};

// set copies the value; add adds two reals or joins two strings (any other pair
// sets); multiply multiplies two reals (any other pair leaves the cell alone).
void ds_cell_apply(Value &cell, const Value &value, DsCellOp op);
