// ds_queue.h: CDS_Queue, a first-in first-out container. Elements live in slots
// head .. tail-1 of an array that grows by 16; the written form shows the whole
// array, so head, tail and capacity are kept exactly.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "code/value.h"

class CDS_Queue
{
public:
	virtual ~CDS_Queue() = default;

	int size() const { return m_tail - m_head; }
	void clear();
	void copy_from(const CDS_Queue &source);
	void enqueue(const Value &v);
	// The head element removed, or the real 0 when empty.
	Value dequeue();
	// The first and the last element, or null when empty.
	const Value *head() const { return size() ? &m_slots[(size_t)m_head] : nullptr; }
	const Value *tail() const { return size() ? &m_slots[(size_t)m_tail - 1] : nullptr; }

	int head_index() const { return m_head; }
	int tail_index() const { return m_tail; }
	int capacity() const { return (int)m_slots.size(); }

	std::string write() const;
	bool read(std::string_view text, std::string &error);

private:
	int m_head = 0;
	int m_tail = 0;
	std::vector<Value> m_slots; // size() is the capacity; unused slots are the real 0
};
