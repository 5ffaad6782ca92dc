// ds_priority.h: CDS_Priority, a priority queue of (value, priority) entries in
// storage order; a removal moves the last entry into the freed slot.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "code/value.h"

class CDS_Priority
{
public:
	virtual ~CDS_Priority() = default;

	int size() const { return (int)m_values.size(); }
	void clear();
	void copy_from(const CDS_Priority &source);
	void add(const Value &value, const Value &priority);
	// The first entry whose value compares equal gets the priority; false when
	// there is none.
	bool change_priority(const Value &value, const Value &priority);
	// The priority of the first entry whose value compares equal, or null.
	const Value *find_priority(const Value &value) const;
	bool delete_value(const Value &value);
	// The value of the first entry with the strictly smallest (largest)
	// priority, or null when empty.
	const Value *find_min() const;
	const Value *find_max() const;
	// The same value removed; the real 0 when empty.
	Value delete_min();
	Value delete_max();

	std::string write() const;
	bool read(std::string_view text, std::string &error);

private:
	int find_value(const Value &value) const;
	int extreme(int wanted) const;
	Value take(int index);

	std::vector<Value> m_values;
	std::vector<Value> m_priorities;
};
