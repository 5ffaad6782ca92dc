// ds_map.h: CDS_Map, a map from keys to values. Its order (that of the first,
// last, next and previous walks and of the written form) is 4096 buckets chosen
// by the low bits of the key's CRC-32, each in insertion order. Keys are told
// apart by their whole value, so two keys with the same hash are both kept; an
// index over the whole key finds an entry in constant time.
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
	virtual ~CDS_Map();

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

	// Keys in map order; null when there is none.
	const Value *first_key() const;
	const Value *last_key() const;
	const Value *next_key(const Value &key) const;
	const Value *previous_key(const Value &key) const;

	std::string write() const;
	// Replaces the contents with a written map; on failure the map is left as
	// it was and the reason is stored in error.
	bool read(std::string_view text, std::string &error);

private:
	struct Node
	{
		Node *prev = nullptr, *next = nullptr;
		uint32_t hash = 0;
		Value key, value;
	};
	struct Bucket
	{
		Node *head = nullptr, *tail = nullptr;
	};
	struct Slot
	{
		uint32_t hash = 0;
		Node *node = nullptr;
	};

	Node *lookup(const Value &key, uint32_t hash) const;
	void insert_new(const Value &key, const Value &value, uint32_t hash);
	void index_put(Node *node);
	void index_erase(Node *node);
	void grow_index();
	size_t slot_of(uint32_t hash) const;
	const Node *first_from(uint32_t bucket) const;
	const Node *last_before(uint32_t bucket) const;

	std::unique_ptr<Bucket[]> m_buckets; // made on the first insert
	std::vector<Slot> m_index;           // open addressing, linear probing
	int m_index_shift = 0;
	size_t m_count = 0;
};
