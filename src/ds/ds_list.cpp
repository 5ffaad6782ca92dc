// ds_list.cpp: list operations and the list's written form.
#include "ds/ds_list.h"

#include <utility>

#include "code/random.h"
#include "ds/ds_compare.h"
#include "ds/ds_stream.h"

void CDS_List::copy_from(const CDS_List &source)
{
	if (&source != this)
		m_items = source.m_items;
}

bool CDS_List::insert(int64_t pos, const Value &v)
{
	if (pos < 0 || pos > (int64_t)m_items.size())
		return false;
	m_items.insert(m_items.begin() + pos, v);
	return true;
}

bool CDS_List::replace(int64_t pos, const Value &v)
{
	if (!in_range(pos))
		return false;
	m_items[(size_t)pos] = v;
	return true;
}

bool CDS_List::remove(int64_t pos)
{
	if (!in_range(pos))
		return false;
	m_items.erase(m_items.begin() + pos);
	return true;
}

int CDS_List::find_index(const Value &v) const
{
	for (size_t i = 0; i < m_items.size(); i++)
		if (ds_compare(m_items[i], v) == 0)
			return (int)i;
	return -1;
}

void CDS_List::sort(bool ascending) { ds_sort_values(m_items, ascending); }

void CDS_List::shuffle()
{
	int n = size();
	for (int64_t k = 0; k < (int64_t)n * 8; k++) {
		int i = random_index_below(n);
		int j = random_index_below(n);
		std::swap(m_items[(size_t)i], m_items[(size_t)j]);
	}
}

std::string CDS_List::write() const
{
	return ds_write_sequence(DS_TAG_LIST, m_items);
}

bool CDS_List::read(std::string_view text, std::string &error)
{
	return ds_read_sequence(text, DS_TAG_LIST, "list", m_items, error);
}
