// ds_map.cpp: map storage: the bucket chains that give the map's order and the
// index that finds keys.
#include "ds/ds_map.h"

#include <cstring>
#include <utility>

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

bool same_key(const Value &a, const Value &b)
{
	if (a.is_string() != b.is_string())
		return false;
	if (a.is_string())
		return a.text() == b.text();
	double x = a.real(), y = b.real();
	return memcmp(&x, &y, sizeof x) == 0;
}

constexpr size_t FIRST_INDEX_SIZE = 16;

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

CDS_Map::~CDS_Map() { clear(); }

void CDS_Map::clear()
{
	if (m_buckets) {
		for (uint32_t b = 0; b <= DS_MAP_BUCKET_MASK && m_count; b++) {
			for (Node *n = m_buckets[b].head; n;) {
				Node *next = n->next;
				delete n;
				m_count--;
				n = next;
			}
		}
		m_buckets.reset();
	}
	m_index.clear();
	m_count = 0;
}

void CDS_Map::swap(CDS_Map &other)
{
	std::swap(m_buckets, other.m_buckets);
	std::swap(m_index, other.m_index);
	std::swap(m_index_shift, other.m_index_shift);
	std::swap(m_count, other.m_count);
}

void CDS_Map::copy_from(const CDS_Map &source)
{
	if (&source == this)
		return;
	CDS_Map copy;
	if (source.m_buckets)
		for (uint32_t b = 0; b <= DS_MAP_BUCKET_MASK; b++)
			for (const Node *n = source.m_buckets[b].head; n; n = n->next)
				copy.insert_new(n->key, n->value, n->hash);
	swap(copy);
}

size_t CDS_Map::slot_of(uint32_t hash) const
{
	// The bucket already uses the low bits; spread all of them over the index.
	return (size_t)((hash * 0x9E3779B1u) >> m_index_shift);
}

CDS_Map::Node *CDS_Map::lookup(const Value &key, uint32_t hash) const
{
	if (m_index.empty())
		return nullptr;
	size_t mask = m_index.size() - 1;
	for (size_t i = slot_of(hash);; i = (i + 1) & mask) {
		const Slot &s = m_index[i];
		if (!s.node)
			return nullptr;
		if (s.hash == hash && same_key(s.node->key, key))
			return s.node;
	}
}

void CDS_Map::index_put(Node *node)
{
	size_t mask = m_index.size() - 1;
	size_t i = slot_of(node->hash);
	while (m_index[i].node)
		i = (i + 1) & mask;
	m_index[i] = {node->hash, node};
}

void CDS_Map::grow_index()
{
	size_t size = m_index.empty() ? FIRST_INDEX_SIZE : m_index.size() * 2;
	int bits = 0;
	while (((size_t)1 << bits) < size)
		bits++;
	std::vector<Slot> old = std::move(m_index);
	m_index.assign(size, Slot());
	m_index_shift = 32 - bits;
	for (const Slot &s : old)
		if (s.node)
			index_put(s.node);
}

void CDS_Map::index_erase(Node *node)
{
	size_t mask = m_index.size() - 1;
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

void CDS_Map::insert_new(const Value &key, const Value &value, uint32_t hash)
{
	if (!m_buckets)
		m_buckets = std::make_unique<Bucket[]>(DS_MAP_BUCKET_MASK + 1);
	if ((m_count + 1) * 4 > m_index.size() * 3)
		grow_index();
	Node *n = new Node;
	n->hash = hash;
	n->key = key;
	n->value = value;
	Bucket &b = m_buckets[hash & DS_MAP_BUCKET_MASK];
	n->prev = b.tail;
	if (b.tail)
		b.tail->next = n;
	else
		b.head = n;
	b.tail = n;
	index_put(n);
	m_count++;
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
	uint32_t hash = ds_key_hash(key);
	Node *n = lookup(key, hash);
	if (!n)
		return false;
	index_erase(n);
	Bucket &b = m_buckets[hash & DS_MAP_BUCKET_MASK];
	(n->prev ? n->prev->next : b.head) = n->next;
	(n->next ? n->next->prev : b.tail) = n->prev;
	delete n;
	m_count--;
	return true;
}

const Value *CDS_Map::find(const Value &key) const
{
	const Node *n = lookup(key, ds_key_hash(key));
	return n ? &n->value : nullptr;
}

const CDS_Map::Node *CDS_Map::first_from(uint32_t bucket) const
{
	if (!m_count)
		return nullptr;
	for (uint32_t b = bucket; b <= DS_MAP_BUCKET_MASK; b++)
		if (m_buckets[b].head)
			return m_buckets[b].head;
	return nullptr;
}

const CDS_Map::Node *CDS_Map::last_before(uint32_t bucket) const
{
	if (!m_count)
		return nullptr;
	for (uint32_t b = bucket; b-- > 0;)
		if (m_buckets[b].tail)
			return m_buckets[b].tail;
	return nullptr;
}

const Value *CDS_Map::first_key() const
{
	const Node *n = first_from(0);
	return n ? &n->key : nullptr;
}

const Value *CDS_Map::last_key() const
{
	const Node *n = last_before(DS_MAP_BUCKET_MASK + 1);
	return n ? &n->key : nullptr;
}

const Value *CDS_Map::next_key(const Value &key) const
{
	const Node *n = lookup(key, ds_key_hash(key));
	if (!n)
		return nullptr;
	const Node *next = n->next ? n->next : first_from((n->hash & DS_MAP_BUCKET_MASK) + 1);
	return next ? &next->key : nullptr;
}

const Value *CDS_Map::previous_key(const Value &key) const
{
	const Node *n = lookup(key, ds_key_hash(key));
	if (!n)
		return nullptr;
	const Node *prev = n->prev ? n->prev : last_before(n->hash & DS_MAP_BUCKET_MASK);
	return prev ? &prev->key : nullptr;
}
