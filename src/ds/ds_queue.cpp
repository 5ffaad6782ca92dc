// ds_queue.cpp: queue operations and the queue's written form.
#include "ds/ds_queue.h"

#include "ds/ds_stream.h"

namespace {

constexpr int GROWTH = 16;
// The remaining elements move to the front once head reaches this and passes
// half of tail.
constexpr int COMPACT_FROM = 17;

} // namespace

void CDS_Queue::clear()
{
	m_slots.clear();
	m_head = m_tail = 0;
}

void CDS_Queue::copy_from(const CDS_Queue &source)
{
	if (&source == this)
		return;
	m_slots = source.m_slots;
	m_head = source.m_head;
	m_tail = source.m_tail;
}

void CDS_Queue::enqueue(const Value &v)
{
	if (m_tail == capacity())
		m_slots.resize(m_slots.size() + GROWTH);
	m_slots[(size_t)m_tail++] = v;
}

Value CDS_Queue::dequeue()
{
	if (m_head == m_tail)
		return Value();
	// Moving out leaves the real 0 behind, so no stale copy stays in the slot.
	Value v = std::move(m_slots[(size_t)m_head++]);
	if (m_head >= COMPACT_FROM && m_head > m_tail / 2) {
		int n = m_tail - m_head;
		for (int i = 0; i < n; i++)
			m_slots[(size_t)i] = std::move(m_slots[(size_t)(m_head + i)]);
		m_tail = n;
		m_head = 0;
	}
	return v;
}

std::string CDS_Queue::write() const
{
	DsWriter w;
	w.put_i32(DS_TAG_QUEUE);
	w.put_i32(m_tail);
	w.put_i32(m_head);
	w.put_i32(capacity());
	for (const Value &v : m_slots)
		w.put_element(v);
	return w.hex();
}

bool CDS_Queue::read(std::string_view text, std::string &error)
{
	DsReader r(text);
	int32_t tag = 0, tail = 0, head = 0, capacity = 0;
	if (r.get_i32(tag) && tag != DS_TAG_QUEUE)
		r.fail("the text is not a written queue");
	if (r.get_i32(tail) && r.get_i32(head) && r.get_count(capacity, DS_ELEMENT_MIN_BYTES, "slots")) {
		if (head < 0 || head > tail || tail > capacity)
			r.fail("the queue's head, tail and capacity do not fit together");
	}
	std::vector<Value> slots;
	if (r.ok()) {
		slots.resize((size_t)capacity);
		for (Value &v : slots)
			if (!r.get_element(v))
				break;
	}
	if (!r.ok()) {
		error = r.error();
		return false;
	}
	// Slots outside head .. tail-1 hold nothing of the queue's.
	for (int i = 0; i < capacity; i++)
		if (i < head || i >= tail)
			slots[(size_t)i].clear();
	m_slots = std::move(slots);
	m_head = head;
	m_tail = tail;
	return true;
}
