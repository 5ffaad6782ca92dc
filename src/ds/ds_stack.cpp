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
	DsWriter w;
	w.put_i32(DS_TAG_STACK);
	w.put_i32((int32_t)m_items.size());
	for (const Value &v : m_items)
		w.put_element(v);
	return w.hex();
}

bool CDS_Stack::read(std::string_view text, std::string &error)
{
	DsReader r(text);
	int32_t tag = 0, count = 0;
	if (r.get_i32(tag) && tag != DS_TAG_STACK)
		r.fail("the text is not a written stack");
	std::vector<Value> items;
	if (r.get_count(count, DS_ELEMENT_MIN_BYTES, "elements")) {
		items.resize((size_t)count);
		for (Value &v : items)
			if (!r.get_element(v))
				break;
	}
	if (!r.ok()) {
		error = r.error();
		return false;
	}
	m_items = std::move(items);
	return true;
}
