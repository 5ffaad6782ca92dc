// ds_list.h: CDS_List, an indexed sequence of values with find, sort and shuffle.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "code/value.h"

class CDS_List
{
public:
	virtual ~CDS_List() = default;

	int size() const { return (int)m_items.size(); }
	void clear() { m_items.clear(); }
	void copy_from(const CDS_List &source);
	void add(const Value &v) { m_items.push_back(v); }
	// Position checks: insert takes 0 .. size (size appends), replace and remove
	// take 0 .. size-1; anything else is ignored and gives false.
	bool insert(int64_t pos, const Value &v);
	bool replace(int64_t pos, const Value &v);
	bool remove(int64_t pos);
	// The first position whose element compares equal, or -1.
	int find_index(const Value &v) const;
	// The element at pos, or null when pos is out of range.
	const Value *at(int64_t pos) const { return in_range(pos) ? &m_items[(size_t)pos] : nullptr; }
	void sort(bool ascending);
	// size × 8 swaps of two positions drawn from the game's random generator.
	void shuffle();

	std::string write() const;
	bool read(std::string_view text, std::string &error);

private:
	bool in_range(int64_t pos) const { return pos >= 0 && pos < (int64_t)m_items.size(); }

	std::vector<Value> m_items;
};

// Sorts values as an insertion sort by ds_compare does (ascending: an element
// passes predecessors that compare greater; descending: predecessors that
// compare less or equal), in n log n time wherever the result is the same.
void ds_sort_values(std::vector<Value> &items, bool ascending);
