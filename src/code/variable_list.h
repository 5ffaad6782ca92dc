// variable_list.h: CVariableList, a store of variables keyed by variable id (one
// per instance, one global, one per nesting depth of running code), with arrays
// of rows, the text dump and the saved form.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "code/value.h"

class StreamReader;
class StreamWriter;

// Variable ids: built-in variables are the index in the built-in table (all
// below 10000); user variables are 100000 + their index in the name table.
constexpr int32_t BUILTIN_VARIABLE_LIMIT = 10000;
constexpr int32_t USER_VARIABLE_BASE = 100000;
// An array index i addresses row i / 32000 and column i % 32000 (truncating).
constexpr int32_t ARRAY_ROW_SIZE = 32000;
// Versions of the saved form: 442 is written; 440 and 441 are read too.
constexpr int32_t VARIABLES_SAVE_VERSION = 442;

// Set by the last get or set that met an index outside the array; cleared by
// every get and set (the machine's direct reads and writes of present
// variables leave it: it reads the flag only right after a get or set).
extern bool g_variable_index_out_of_range;
inline bool variable_index_out_of_range() { return g_variable_index_out_of_range; }
inline void set_variable_index_out_of_range(bool flag) { g_variable_index_out_of_range = flag; }

// One variable of a store: its plain value (which is also array element 0) and
// its rows. Rows are ragged: each keeps its own length.
struct CVariable
{
	int32_t id = 0;
	Value value;
	std::vector<std::vector<Value>> rows;
};

class CVariableList
{
public:
	CVariableList() = default;
	CVariableList(const CVariableList &other) { copy_from(other); }
	CVariableList &operator=(const CVariableList &other)
	{
		if (this != &other)
			copy_from(other);
		return *this;
	}
	virtual ~CVariableList();

	int32_t count() const { return (int32_t)m_vars.size(); }

	// The variable with this id, or null.
	CVariable *find(int32_t id) { return m_vars.empty() ? nullptr : find_slot(id); }
	const CVariable *find(int32_t id) const { return m_vars.empty() ? nullptr : const_cast<CVariableList *>(this)->find_slot(id); }

	// The same, trying first the position `hint` where the variable sat the
	// last time; `hint` receives its position when found.
	CVariable *find_hinted(int32_t id, uint32_t &hint)
	{
		// The bound in bytes: the element count would cost a division.
		size_t bytes = (size_t)((const char *)(m_vars.data() + m_vars.size()) - (const char *)m_vars.data());
		if ((size_t)hint * sizeof(CVariable) < bytes && m_vars[hint].id == id)
			return &m_vars[hint];
		CVariable *v = find(id);
		if (v)
			hint = (uint32_t)(v - m_vars.data());
		return v;
	}

	// Reads element `index` (0: the plain value) into out. A missing variable
	// reads the real 0, or fails when reading unset variables is an error; an
	// index outside the array fails with the out-of-range flag set.
	bool get(int32_t id, int32_t index, Value &out) const
	{
		// The common case inline: a present variable read whole.
		const CVariable *v = index == 0 ? find(id) : nullptr;
		if (v) {
			set_variable_index_out_of_range(false);
			out = v->value;
			return true;
		}
		return get_slow(id, index, out);
	}
	// Writes element `index`, creating the variable and growing its rows as
	// needed. A negative row or column fails with the out-of-range flag set and
	// stores nothing.
	bool set(int32_t id, int32_t index, const Value &value)
	{
		CVariable *v = index == 0 ? find(id) : nullptr;
		if (v) {
			set_variable_index_out_of_range(false);
			v->value = value;
			return true;
		}
		return set_slow(id, index, value);
	}
	// The same, taking the value over (the machine stores what it pops).
	bool set(int32_t id, int32_t index, Value &&value)
	{
		CVariable *v = index == 0 ? find(id) : nullptr;
		if (v) {
			set_variable_index_out_of_range(false);
			v->value = std::move(value);
			return true;
		}
		return set_slow(id, index, value);
	}
	// Adds the variable with the real 0 when it is not present.
	void declare(int32_t id);
	// The variable, created with the real 0 when absent.
	CVariable &find_or_add(int32_t id);

	void clear();
	// Replaces this store by a deep copy of another.
	void copy_from(const CVariableList &other);

	// Visits the variables newest first (the order of the dump and the saved form).
	template <typename Visit>
	void for_each_newest_first(Visit visit) const
	{
		for (size_t i = m_vars.size(); i-- > 0;)
			visit(m_vars[i]);
	}

	// Appends one line per variable, newest first: "name = value", or for a
	// variable with rows "name = { { e ,e},   }".
	void dump(std::string &out) const;

	// The saved form (version 442).
	void save(StreamWriter &out) const;
	// Replaces the store by a saved one (version 440, 441 or 442). A damaged or
	// unknown form leaves the store as it was and returns false with the reason.
	bool load(StreamReader &in, std::string *error = nullptr);

private:
	bool get_slow(int32_t id, int32_t index, Value &out) const;
	bool set_slow(int32_t id, int32_t index, const Value &value);
	static uint32_t hash_id(int32_t id)
	{
		uint32_t h = (uint32_t)id * 0x9E3779B1u;
		return h ^ (h >> 15);
	}
	CVariable *find_slot(int32_t id)
	{
		if (m_index.empty()) {
			for (CVariable &v : m_vars)
				if (v.id == id)
					return &v;
			return nullptr;
		}
		for (uint32_t pos = hash_id(id) & m_mask;; pos = (pos + 1) & m_mask) {
			uint32_t slot = m_index[pos];
			if (slot == 0)
				return nullptr;
			if (m_vars[slot - 1].id == id)
				return &m_vars[slot - 1];
		}
	}
	CVariable &append(int32_t id);
	void rebuild_index();

	std::vector<CVariable> m_vars;  // oldest first
	std::vector<uint32_t> m_index;  // open addressing: position in m_vars + 1, 0 empty
	uint32_t m_mask = 0;            // m_index.size() - 1 when the index is in use
};


// The game option that makes reading a never-set variable an error instead of
// giving the real 0 (off by default; the options reader sets it).
void set_unset_variable_read_fails(bool fails);
bool unset_variable_read_fails();
