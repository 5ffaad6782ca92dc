// ds_map.cpp: map storage: nodes in chunks, the index that finds keys, and the
// map order laid out for walks.
#include "ds/ds_map.h"

#include <cstdlib>
#include <new>

#include <algorithm>
#include <bit>
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

uint64_t read64(const uint8_t *p)
{
	uint64_t v;
	memcpy(&v, p, 8);
	return v;
}

uint64_t read32(const uint8_t *p)
{
	uint32_t v;
	memcpy(&v, p, 4);
	return v;
}

uint64_t mum(uint64_t a, uint64_t b)
{
	__uint128_t r = (__uint128_t)a * b;
	return (uint64_t)r ^ (uint64_t)(r >> 64);
}

// The index hash: a multiply-mix over whole words, far shorter than the CRC.
uint32_t index_hash_bytes(const uint8_t *p, size_t n, uint64_t seed)
{
	const uint64_t s1 = 0xe7037ed1a0b428dbull;
	seed ^= 0xa0761d6478bd642full ^ n;
	uint64_t a = 0, b = 0;
	if (n <= 16) {
		if (n >= 4) {
			size_t d = (n >> 3) << 2;
			a = read32(p) << 32 | read32(p + d);
			b = read32(p + n - 4) << 32 | read32(p + n - 4 - d);
		} else if (n > 0) {
			a = (uint64_t)p[0] << 16 | (uint64_t)p[n >> 1] << 8 | p[n - 1];
		}
	} else {
		size_t i = 0;
		for (; n - i > 16; i += 16)
			seed = mum(read64(p + i) ^ s1, read64(p + i + 8) ^ seed);
		a = read64(p + n - 16);
		b = read64(p + n - 8);
	}
	uint64_t h = mum(a ^ s1, b ^ seed);
	return (uint32_t)(h ^ (h >> 32));
}

uint32_t index_hash(const Value &key)
{
	if (key.is_string()) {
		std::string_view t = key.text();
		return index_hash_bytes((const uint8_t *)t.data(), t.size(), 1);
	}
	double r = key.real();
	uint8_t bytes[8];
	memcpy(bytes, &r, 8);
	return index_hash_bytes(bytes, 8, 2);
}

bool same_bits(double x, double y) { return memcmp(&x, &y, sizeof x) == 0; }

constexpr size_t FIRST_INDEX_SIZE = 16;
constexpr uint32_t FIRST_CHUNK_BITS = 4;

size_t chunk_nodes(size_t k) { return (size_t)1 << (FIRST_CHUNK_BITS + k); }

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
	free_nodes();
	m_free_head = 0;
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
	std::swap(m_node_count, other.m_node_count);
	std::swap(m_free_head, other.m_free_head);
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

size_t CDS_Map::find_slot(const Value &key, uint32_t hash) const
{
	if (!m_index_size)
		return NO_SLOT;
	size_t mask = m_index_size - 1;
	for (size_t i = slot_of(hash);; i = (i + 1) & mask) {
		const Slot &s = m_index[i];
		if (!s.ref)
			return NO_SLOT;
		if (s.hash == hash && node_at(s.ref - 1)->same_key(key))
			return i;
	}
}

CDS_Map::Node *CDS_Map::lookup(const Value &key, uint32_t hash) const
{
	size_t i = find_slot(key, hash);
	return i == NO_SLOT ? nullptr : node_at(m_index[i].ref - 1);
}

// Called only for keys not in the index, so the first free slot of the probe
// run takes it.
void CDS_Map::index_put(Node *node)
{
	size_t mask = m_index_size - 1;
	size_t i = slot_of(node->hash);
	while (m_index[i].ref)
		i = (i + 1) & mask;
	m_index[i] = {node->hash, node->self + 1};
}

void CDS_Map::free_index()
{
	ds_free_zeroed(m_index, m_index_size * sizeof(Slot));
	m_index = nullptr;
	m_index_size = 0;
}

// Doubles the index.
void CDS_Map::grow_index()
{
	size_t size = !m_index_size ? FIRST_INDEX_SIZE : m_index_size * 2;
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
		if (old[i].ref)
			index_put(node_at(old[i].ref - 1));
	ds_free_zeroed(old, old_size * sizeof(Slot));
}

// Empties a slot without leaving a marker: each later entry of the probe run
// whose home slot does not lie between the hole and itself moves back into
// the hole, so every run stays unbroken and probes stay as short as the
// map's size allows.
void CDS_Map::index_erase(size_t slot)
{
	size_t mask = m_index_size - 1;
	size_t hole = slot;
	for (size_t i = (hole + 1) & mask; m_index[i].ref; i = (i + 1) & mask) {
		size_t home = slot_of(m_index[i].hash);
		if (((i - home) & mask) >= ((i - hole) & mask)) {
			m_index[hole] = m_index[i];
			hole = i;
		}
	}
	m_index[hole] = Slot();
}

CDS_Map::Node *CDS_Map::node_at(uint32_t number) const
{
	uint32_t q = (number >> FIRST_CHUNK_BITS) + 1;
	uint32_t k = (uint32_t)std::bit_width(q) - 1;
	return m_chunks[k] + (number - (chunk_nodes(k) - chunk_nodes(0)));
}

CDS_Map::Node *CDS_Map::new_node()
{
	if (m_free_head) {
		Node *n = node_at(m_free_head - 1);
		m_free_head = n->next_free;
		return n;
	}
	uint32_t number = m_node_count;
	size_t k = (size_t)std::bit_width((number >> FIRST_CHUNK_BITS) + 1) - 1;
	if (k == m_chunks.size()) {
		Node *chunk = (Node *)ds_alloc_zeroed(chunk_nodes(k) * sizeof(Node));
		if (!chunk)
			throw std::bad_alloc();
		m_chunks.push_back(chunk);
	}
	Node *n = new (node_at(number)) Node;
	n->self = number;
	m_node_count++;
	return n;
}

void CDS_Map::free_nodes()
{
	for (uint32_t i = 0; i < m_node_count; i++)
		node_at(i)->~Node();
	for (size_t k = 0; k < m_chunks.size(); k++)
		ds_free_zeroed(m_chunks[k], chunk_nodes(k) * sizeof(Node));
	m_chunks.clear();
	m_node_count = 0;
}

void CDS_Map::insert_new(const Value &key, const Value &value, uint32_t hash)
{
	if ((m_count + 1) * 4 > m_index_size * 3)
		grow_index();
	Node *n = new_node();
	n->seq = m_next_seq++;
	n->hash = hash;
	n->bucket_known = false;
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
	uint32_t hash = index_hash(key);
	if (lookup(key, hash))
		return false;
	insert_new(key, value, hash);
	return true;
}

void CDS_Map::replace(const Value &key, const Value &value)
{
	uint32_t hash = index_hash(key);
	if (Node *n = lookup(key, hash))
		n->value = value;
	else
		insert_new(key, value, hash);
}

bool CDS_Map::remove(const Value &key)
{
	size_t slot = find_slot(key, index_hash(key));
	if (slot == NO_SLOT)
		return false;
	Node *n = node_at(m_index[slot].ref - 1);
	index_erase(slot);
	if (m_order_valid) {
		m_order[n->order_pos] = nullptr;
		m_order_holes++;
	}
	// Let go of storage now; a short key and a real cost nothing to keep until
	// the node is reused, and not writing them saves a trip to memory.
	if (n->key_text.capacity() > std::string().capacity())
		std::string().swap(n->key_text);
	if (n->value.is_string())
		n->value.clear();
	n->next_free = m_free_head;
	m_free_head = n->self + 1;
	m_count--;
	return true;
}

const Value *CDS_Map::find(const Value &key) const
{
	const Node *n = lookup(key, index_hash(key));
	return n ? &n->value : nullptr;
}

void CDS_Map::need_order() const
{
	if (m_order_valid && m_order_holes * 2 <= m_order.size()) 
		return;
	m_order.clear();
	m_order.reserve(m_count);
	for (size_t i = 0; i < m_index_size; i++)
		if (m_index[i].ref)
			m_order.push_back(node_at(m_index[i].ref - 1));
	for (Node *n : m_order) {
		if (n->bucket_known)
			continue;
		uint32_t crc;
		if (n->key_is_string) {
			crc = crc_bytes((const uint8_t *)n->key_text.data(), n->key_text.size());
		} else {
			uint8_t bytes[8];
			memcpy(bytes, &n->key_real, 8);
			crc = crc_bytes(bytes, 8);
		}
		n->bucket = crc & DS_MAP_BUCKET_MASK;
		n->bucket_known = true;
	}
	std::sort(m_order.begin(), m_order.end(), [](const Node *a, const Node *b) {
		return a->bucket != b->bucket ? a->bucket < b->bucket : a->seq < b->seq;
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
	const Node *at = lookup(key, index_hash(key));
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
	const Node *at = lookup(key, index_hash(key));
	if (!at)
		return false;
	need_order();
	const Node *n = order_step(at->order_pos - (size_t)1, -1);
	if (n)
		out = n->key();
	return n != nullptr;
}
