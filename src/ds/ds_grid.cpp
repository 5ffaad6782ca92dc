// ds_grid.cpp: grid storage, single cells, size changes, shuffle and the grid's
// written form.
#include "ds/ds_grid.h"

#include <utility>

#include "code/random.h"
#include "ds/ds_stream.h"

void CDS_Grid::resize(int w, int h)
{
	if (w == m_width && h == m_height)
		return;
	std::vector<Value> cells((size_t)w * (size_t)h);
	int keep_w = w < m_width ? w : m_width;
	int keep_h = h < m_height ? h : m_height;
	for (int x = 0; x < keep_w; x++)
		for (int y = 0; y < keep_h; y++)
			cells[(size_t)x * (size_t)h + (size_t)y] = std::move(cell(x, y));
	m_cells = std::move(cells);
	m_width = w;
	m_height = h;
}

void CDS_Grid::copy_from(const CDS_Grid &source)
{
	if (&source == this)
		return;
	m_cells = source.m_cells;
	m_width = source.m_width;
	m_height = source.m_height;
}

void CDS_Grid::fill(const Value &v)
{
	for (Value &c : m_cells)
		c = v;
}

const Value *CDS_Grid::get(int64_t x, int64_t y) const
{
	return contains(x, y) ? &cell((int)x, (int)y) : nullptr;
}

void CDS_Grid::apply(int64_t x, int64_t y, const Value &v, DsCellOp op)
{
	if (contains(x, y))
		ds_cell_apply(cell((int)x, (int)y), v, op);
}

void CDS_Grid::shuffle()
{
	int64_t n = (int64_t)m_cells.size();
	for (int64_t k = 0; k < n * 8; k++) {
		int i = random_index_below((int)n);
		int j = random_index_below((int)n);
		if (i >= n)
			i = (int)n - 1;
		if (j >= n)
			j = (int)n - 1;
		std::swap(m_cells[(size_t)i], m_cells[(size_t)j]);
	}
}

std::string CDS_Grid::write() const
{
	DsWriter w;
	w.put_i32(DS_TAG_GRID);
	w.put_i32(m_width);
	w.put_i32(m_height);
	for (const Value &v : m_cells)
		w.put_element(v);
	return w.hex();
}

bool CDS_Grid::read(std::string_view text, std::string &error)
{
	DsReader r(text);
	int32_t tag = 0, w = 0, h = 0;
	if (r.get_i32(tag) && tag != DS_TAG_GRID)
		r.fail("the text is not a written grid");
	if (r.get_i32(w) && r.get_i32(h)) {
		if (!size_allowed(w, h))
			r.fail("the grid's size " + std::to_string(w) + " x " + std::to_string(h) + " is not allowed");
		else
			r.expect((uint64_t)w * (uint64_t)h, DS_ELEMENT_MIN_BYTES, "cells");
	}
	std::vector<Value> cells;
	if (r.ok()) {
		cells.resize((size_t)w * (size_t)h);
		for (Value &v : cells)
			if (!r.get_element(v))
				break;
	}
	if (!r.ok()) {
		error = r.error();
		return false;
	}
	m_cells = std::move(cells);
	m_width = w;
	m_height = h;
	return true;
}
