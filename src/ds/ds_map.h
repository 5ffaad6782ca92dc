// ds_map.h: CDS_Map, a map from keys to values. Its order (that of the first,
// last, next and previous walks, of copies and of the written form) is 4096
// buckets chosen by the low bits of the key's CRC-32, each in insertion order.
// Keys are told apart by their whole value, so two keys with the same hash are
// both kept. An index over the whole key (with a faster hash of its own) finds
// entries in constant time; the order is laid out only when a walk asks for it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "code/value.h"

constexpr uint32_t DS_MAP_BUCKET_MASK = 4095;

// The CRC-32 register (reflected, polynomial 0xEDB88320, started at all ones,
// not inverted at the end) over a string's bytes or a real's 8 bytes.
uint32_t ds_key_hash(const Value &key);

class CDS_Map
{
public:
	CDS_Map() = default;
	CDS_Map(const CDS_Map &) = delete;
	CDS_Map &operator=(const CDS_Map &) = delete;
	virtual ~CDS_Map() { clear(); }

	int size() const { return (int)m_count; }
	void clear();
	void copy_from(const CDS_Map &source);
	void swap(CDS_Map &other);

	// Adds a new entry; false (and nothing changed) when the key is present.
	bool add(const Value &key, const Value &value);
	// Sets the value of the key's entry, adding the entry when missing.
	void replace(const Value &key, const Value &value);
	bool remove(const Value &key);
	// The value of the key, or null when absent.
	const Value *find(const Value &key) const;

	// Keys in map order, copied into out; false when there is none.
	bool first_key(Value &out) const;
	bool last_key(Value &out) const;
	bool next_key(const Value &key, Value &out) const;
	bool previous_key(const Value &key, Value &out) const;

	std::string write() const;
	// Replaces the contents with a written map; on failure the map is left as
	// it was and the reason is stored in error.
	bool read(std::string_view text, std::string &error);

private:
	struct Node
	{
		uint64_t seq = 0;       // insertion number: the order within a bucket
		uint32_t hash = 0;      // the index hash
		uint32_t bucket = 0;    // CRC-32 & 4095, once bucket_known
		bool bucket_known = false;
		union
		{
			uint32_t order_pos = 0; // place in m_order while it is valid, for a live node
			uint32_t next_free;     // the next removed node's number + 1, for a removed one
		};
		uint32_t self = 0;      // the node's own number
		bool key_is_string = false;
		double key_real = 0;
		std::string key_text; // short keys stay inside the node
		Value value;

		bool same_key(const Value &key) const;
		Value key() const;
	};
	// 8 bytes, so that more of a large index stays in the caches.
	struct Slot
	{
		uint32_t hash = 0;
		uint32_t ref = 0; // the node's number + 1; 0 for an empty slot
	};

	static constexpr size_t NO_SLOT = SIZE_MAX;
	size_t find_slot(const Value &key, uint32_t hash) const;
	Node *lookup(const Value &key, uint32_t hash) const;
	Node *new_node();
	Node *node_at(uint32_t number) const;
	void free_nodes();
	void insert_new(const Value &key, const Value &value, uint32_t hash);
	void index_put(Node *node);
	void index_erase(size_t slot);
	void grow_index();
	void free_index();
	size_t slot_of(uint32_t hash) const { return (size_t)((hash * 0x9E3779B1u) >> m_index_shift); }
	// Lays out m_order (the live nodes in map order) when it is stale.
	void need_order() const;
	const Node *order_step(size_t from, int step) const;

	// Node storage: chunk k holds 16 << k nodes, so node numbers map to chunks
	// by their bit width; nodes never move.
	std::vector<Node *> m_chunks;
	uint32_t m_node_count = 0; // nodes made so far
	uint32_t m_free_head = 0; // a removed node's number + 1, 0 for none
	// The index: open addressing with linear probing over m_index_size slots
	// (a power of two, or 0).
	Slot *m_index = nullptr; // owned, from ds_alloc_zeroed
	size_t m_index_size = 0;
	int m_index_shift = 0;
	size_t m_count = 0;
	uint64_t m_next_seq = 0;

	// The live nodes in map order; removed entries leave null until the next
	// layout, so a walk that deletes as it goes does not lay out again.
	mutable std::vector<Node *> m_order;
	mutable size_t m_order_holes = 0;
	mutable bool m_order_valid = false;
};
