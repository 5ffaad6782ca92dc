// ds_map.cpp: map storage: nodes in chunks, the index that finds keys, and the
// map order laid out for walks.
#include "ds/ds_map.h"

#include <cstdlib>
#include <new>

#include <algorithm>
#include <cstring>
#include <utility>

#include "ds/ds_memory.h"

namespace {

struct CrcTable
{
	uint32_t entries[256];
	CrcTable()
	{
		for (uint32_t i = 0; i < 256; i++) {
			uint32_t c = i;
			for (int k = 0; k < 8; k++)
				c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
			entries[i] = c;
		}
	}
};

const CrcTable CRC;

uint32_t crc_bytes(const uint8_t *p, size_t n)
{
	uint32_t c = 0xFFFFFFFFu;
	for (size_t i = 0; i < n; i++)
		c = CRC.entries[(c ^ p[i]) & 0xFF] ^ (c >> 8);
	return c;
}

bool same_bits(double x, double y) { return memcmp(&x, &y, sizeof x) == 0; }

constexpr size_t FIRST_INDEX_SIZE = 16;
constexpr size_t FIRST_CHUNK = 16;
constexpr size_t LARGEST_CHUNK = 4096;

} // namespace

uint32_t ds_key_hash(const Value &key)
{
	if (key.is_string()) {
		std::string_view t = key.text();
		return crc_bytes((const uint8_t *)t.data(), t.size());
	}
	double r = key.real();
	uint8_t bytes[8];
	memcpy(bytes, &r, 8);
	return crc_bytes(bytes, 8);
}

bool CDS_Map::Node::same_key(const Value &key) const
{
	if (key.is_string())
		return key_is_string && key.text() == key_text;
	return !key_is_string && same_bits(key.real(), key_real);
}

Value CDS_Map::Node::key() const { return key_is_string ? Value(std::string_view(key_text)) : Value(key_real); }

void CDS_Map::clear()
{
	m_chunks.clear();
	m_chunk_used = m_chunk_size = 0;
	m_free.clear();
	free_index();
	m_count = 0;
	m_next_seq = 0;
	m_order.clear();
	m_order_holes = 0;
	m_order_valid = false;
}

void CDS_Map::swap(CDS_Map &other)
{
	std::swap(m_chunks, other.m_chunks);
	std::swap(m_chunk_used, other.m_chunk_used);
	std::swap(m_chunk_size, other.m_chunk_size);
	std::swap(m_free, other.m_free);
	std::swap(m_index, other.m_index);
	std::swap(m_index_size, other.m_index_size);
	std::swap(m_index_shift, other.m_index_shift);
	std::swap(m_count, other.m_count);
	std::swap(m_next_seq, other.m_next_seq);
	std::swap(m_order, other.m_order);
	std::swap(m_order_holes, other.m_order_holes);
	std::swap(m_order_valid, other.m_order_valid);
}

void CDS_Map::copy_from(const CDS_Map &source)
{
	if (&source == this)
		return;
	source.need_order();
	CDS_Map copy;
	for (const Node *n : source.m_order)
		if (n)
			copy.insert_new(n->key(), n->value, n->hash);
	swap(copy);
}

CDS_Map::Node *CDS_Map::lookup(const Value &key, uint32_t hash) const
{
	if (!m_index_size)
		return nullptr;
	size_t mask = m_index_size - 1;
	for (size_t i = slot_of(hash);; i = (i + 1) & mask) {
		const Slot &s = m_index[i];
		if (!s.node)
			return nullptr;
		if (s.hash == hash && s.node->same_key(key))
			return s.node;
	}
}

void CDS_Map::index_put(Node *node)
{
	size_t mask = m_index_size - 1;
	size_t i = slot_of(node->hash);
	while (m_index[i].node)
		i = (i + 1) & mask;
	m_index[i] = {node->hash, node};
}

void CDS_Map::free_index()
{
	ds_free_zeroed(m_index, m_index_size * sizeof(Slot));
	m_index = nullptr;
	m_index_size = 0;
}

void CDS_Map::grow_index()
{
	size_t size = m_index_size ? m_index_size * 2 : FIRST_INDEX_SIZE;
	int bits = 0;
	while (((size_t)1 << bits) < size)
		bits++;
	// An all-zero slot is an empty one.
	size_t bytes = size * sizeof(Slot);
	Slot *slots = (Slot *)ds_alloc_zeroed(bytes);
	if (!slots)
		throw std::bad_alloc();
	Slot *old = m_index;
	size_t old_size = m_index_size;
	m_index = slots;
	m_index_size = size;
	m_index_shift = 32 - bits;
	for (size_t i = 0; i < old_size; i++)
		if (old[i].node)
			index_put(old[i].node);
	ds_free_zeroed(old, old_size * sizeof(Slot));
}

void CDS_Map::index_erase(Node *node)
{
	size_t mask = m_index_size - 1;
	size_t i = slot_of(node->hash);
	while (m_index[i].node != node)
		i = (i + 1) & mask;
	// Backward shift: pull later entries of the probe run into the hole.
	for (size_t j = (i + 1) & mask; m_index[j].node; j = (j + 1) & mask) {
		size_t home = slot_of(m_index[j].hash);
		bool movable = i <= j ? (home <= i || home > j) : (home <= i && home > j);
		if (movable) {
			m_index[i] = m_index[j];
			i = j;
		}
	}
	m_index[i] = Slot();
}

CDS_Map::Node *CDS_Map::new_node()
{
	if (!m_free.empty()) {
		Node *n = m_free.back();
		m_free.pop_back();
		return n;
	}
	if (m_chunk_used == m_chunk_size) {
		m_chunk_size = m_chunk_size ? std::min(m_chunk_size * 2, LARGEST_CHUNK) : FIRST_CHUNK;
		m_chunks.push_back(std::make_unique<Node[]>(m_chunk_size));
		m_chunk_used = 0;
	}
	return &m_chunks.back()[m_chunk_used++];
}

void CDS_Map::insert_new(const Value &key, const Value &value, uint32_t hash)
{
	if ((m_count + 1) * 4 > m_index_size * 3)
		grow_index();
	Node *n = new_node();
	n->seq = m_next_seq++;
	n->hash = hash;
	n->key_is_string = key.is_string();
	n->key_real = key.is_string() ? 0.0 : key.real();
	n->key_text.assign(key.text());
	n->value = value;
	index_put(n);
	m_count++;
	m_order_valid = false;
}

bool CDS_Map::add(const Value &key, const Value &value)
{
	uint32_t hash = ds_key_hash(key);
	if (lookup(key, hash))
		return false;
	insert_new(key, value, hash);
	return true;
}

void CDS_Map::replace(const Value &key, const Value &value)
{
	uint32_t hash = ds_key_hash(key);
	if (Node *n = lookup(key, hash))
		n->value = value;
	else
		insert_new(key, value, hash);
}

bool CDS_Map::remove(const Value &key)
{
	Node *n = lookup(key, ds_key_hash(key));
	if (!n)
		return false;
	index_erase(n);
	if (m_order_valid) {
		m_order[n->order_pos] = nullptr;
		m_order_holes++;
	}
	n->key_text.clear();
	n->value.clear();
	m_free.push_back(n);
	m_count--;
	return true;
}

const Value *CDS_Map::find(const Value &key) const
{
	const Node *n = lookup(key, ds_key_hash(key));
	return n ? &n->value : nullptr;
}

void CDS_Map::need_order() const
{
	if (m_order_valid && m_order_holes * 2 <= m_order.size()) 
		return;
	m_order.clear();
	m_order.reserve(m_count);
	for (size_t i = 0; i < m_index_size; i++)
		if (m_index[i].node)
			m_order.push_back(m_index[i].node);
	std::sort(m_order.begin(), m_order.end(), [](const Node *a, const Node *b) {
		uint32_t ba = a->hash & DS_MAP_BUCKET_MASK, bb = b->hash & DS_MAP_BUCKET_MASK;
		return ba != bb ? ba < bb : a->seq < b->seq;
	});
	for (size_t i = 0; i < m_order.size(); i++)
		m_order[i]->order_pos = (uint32_t)i;
	m_order_holes = 0;
	m_order_valid = true;
}

// The first live node from position from on, walking by step (1 or -1).
const CDS_Map::Node *CDS_Map::order_step(size_t from, int step) const
{
	for (size_t i = from; i < m_order.size(); i += (size_t)step)
		if (m_order[i])
			return m_order[i];
	return nullptr;
}

bool CDS_Map::first_key(Value &out) const
{
	need_order();
	const Node *n = order_step(0, 1);
	if (n)
		out = n->key();
	return n != nullptr;
}

bool CDS_Map::last_key(Value &out) const
{
	need_order();
	const Node *n = order_step(m_order.size() - 1, -1);
	if (n)
		out = n->key();
	return n != nullptr;
}

bool CDS_Map::next_key(const Value &key, Value &out) const
{
	const Node *at = lookup(key, ds_key_hash(key));
	if (!at)
		return false;
	need_order();
	const Node *n = order_step(at->order_pos + (size_t)1, 1);
	if (n)
		out = n->key();
	return n != nullptr;
}

bool CDS_Map::previous_key(const Value &key, Value &out) const
{
	const Node *at = lookup(key, ds_key_hash(key));
	if (!at)
		return false;
	need_order();
	const Node *n = order_step(at->order_pos - (size_t)1, -1);
	if (n)
		out = n->key();
	return n != nullptr;
}
