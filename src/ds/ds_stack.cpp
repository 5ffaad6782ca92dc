// ds_stack.cpp: stack operations and the stack's written form.
#include "ds/ds_stack.h"

#include "ds/ds_stream.h"

void CDS_Stack::copy_from(const CDS_Stack &source)
{
	if (&source != this)
		m_items = source.m_items;
}

Value CDS_Stack::pop()
{
	if (m_items.empty())
		return Value();
	Value v = std::move(m_items.back());
	m_items.pop_back();
	return v;
}

std::string CDS_Stack::write() const
{
	return ds_write_sequence(DS_TAG_STACK, m_items);
}

bool CDS_Stack::read(std::string_view text, std::string &error)
{
	return ds_read_sequence(text, DS_TAG_STACK, "stack", m_items, error);
}
