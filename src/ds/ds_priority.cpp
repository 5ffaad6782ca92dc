// ds_priority.cpp: priority queue operations and its written form.
#include "ds/ds_priority.h"

#include "ds/ds_compare.h"
#include "ds/ds_stream.h"

void CDS_Priority::clear()
{
	m_values.clear();
	m_priorities.clear();
}

void CDS_Priority::copy_from(const CDS_Priority &source)
{
	if (&source == this)
		return;
	m_values = source.m_values;
	m_priorities = source.m_priorities;
}

void CDS_Priority::add(const Value &value, const Value &priority)
{
	m_values.push_back(value);
	m_priorities.push_back(priority);
}

int CDS_Priority::find_value(const Value &value) const
{
	for (size_t i = 0; i < m_values.size(); i++)
		if (ds_compare(m_values[i], value) == 0)
			return (int)i;
	return -1;
}

bool CDS_Priority::change_priority(const Value &value, const Value &priority)
{
	int i = find_value(value);
	if (i < 0)
		return false;
	m_priorities[(size_t)i] = priority;
	return true;
}

const Value *CDS_Priority::find_priority(const Value &value) const
{
	int i = find_value(value);
	return i < 0 ? nullptr : &m_priorities[(size_t)i];
}

Value CDS_Priority::take(int index)
{
	Value v = std::move(m_values[(size_t)index]);
	m_values[(size_t)index] = std::move(m_values.back());
	m_priorities[(size_t)index] = std::move(m_priorities.back());
	m_values.pop_back();
	m_priorities.pop_back();
	return v;
}

bool CDS_Priority::delete_value(const Value &value)
{
	int i = find_value(value);
	if (i < 0)
		return false;
	take(i);
	return true;
}

// wanted -1: the first strictly smallest priority; 1: the first strictly largest.
int CDS_Priority::extreme(int wanted) const
{
	if (m_priorities.empty())
		return -1;
	int best = 0;
	for (size_t i = 1; i < m_priorities.size(); i++)
		if (ds_compare(m_priorities[i], m_priorities[(size_t)best]) == wanted)
			best = (int)i;
	return best;
}

const Value *CDS_Priority::find_min() const
{
	int i = extreme(-1);
	return i < 0 ? nullptr : &m_values[(size_t)i];
}

const Value *CDS_Priority::find_max() const
{
	int i = extreme(1);
	return i < 0 ? nullptr : &m_values[(size_t)i];
}

Value CDS_Priority::delete_min()
{
	int i = extreme(-1);
	return i < 0 ? Value() : take(i);
}

Value CDS_Priority::delete_max()
{
	int i = extreme(1);
	return i < 0 ? Value() : take(i);
}

std::string CDS_Priority::write() const
{
	DsWriter w;
	w.put_i32(DS_TAG_PRIORITY);
	w.put_i32((int32_t)m_values.size());
	for (const Value &p : m_priorities)
		w.put_element(p);
	for (const Value &v : m_values)
		w.put_element(v);
	return w.hex();
}

bool CDS_Priority::read(std::string_view text, std::string &error)
{
	DsReader r(text);
	int32_t tag = 0, count = 0;
	if (r.get_i32(tag) && tag != DS_TAG_PRIORITY)
		r.fail("the text is not a written priority queue");
	std::vector<Value> values, priorities;
	if (r.get_count(count, 2 * DS_ELEMENT_MIN_BYTES, "entries")) {
		priorities.resize((size_t)count);
		values.resize((size_t)count);
		for (Value &p : priorities)
			if (!r.get_element(p))
				break;
		for (Value &v : values)
			if (!r.get_element(v))
				break;
	}
	if (!r.ok()) {
		error = r.error();
		return false;
	}
	m_values = std::move(values);
	m_priorities = std::move(priorities);
	return true;
}
