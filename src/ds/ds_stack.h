// ds_stack.h: CDS_Stack, a last-in first-out container of values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "code/value.h"

class CDS_Stack
{
public:
	virtual ~CDS_Stack() = default;

	int size() const { return (int)m_items.size(); }
	void clear() { m_items.clear(); }
	void copy_from(const CDS_Stack &source);
	void push(const Value &v) { m_items.push_back(v); }
	// The top element removed, or the real 0 when empty.
	Value pop();
	// The top element, or null when empty.
	const Value *top() const { return m_items.empty() ? nullptr : &m_items.back(); }

	std::string write() const;
	// Replaces the contents with a written stack. On failure the stack is left
	// as it was and the reason is stored in error.
	bool read(std::string_view text, std::string &error);

private:
	std::vector<Value> m_items; // bottom first
};
