// variable_list.cpp: the variable store: lookup, arrays, copy and dump.
// Variables sit in one array in creation order (so the newest is last); stores
// with more than a few variables add an open-addressed index by id. Variable
// arrays of destroyed stores are kept for reuse, so that creating and
// destroying instances does not allocate per variable.
#include "code/variable_list.h"

#include "code/variable_generation.h"

namespace {

constexpr size_t LINEAR_LIMIT = 8;   // up to this many variables, a plain scan
constexpr size_t POOL_LIMIT = 1024;  // variable arrays kept for reuse

bool g_unset_read_fails = false;

// Never destroyed, so that stores that outlive static destruction can still
// return their arrays.
std::vector<std::vector<CVariable>> &spare_arrays()
{
	static auto *pool = new std::vector<std::vector<CVariable>>();
	return *pool;
}

// Row and column of a non-zero index; both are negative-safe (truncation).
void split_index(int32_t index, int32_t &row, int32_t &column)
{
	row = index / ARRAY_ROW_SIZE;
	column = index % ARRAY_ROW_SIZE;
}

} // namespace

bool g_variable_index_out_of_range = false;
uint64_t g_variable_generation = 1;
void set_unset_variable_read_fails(bool fails) { g_unset_read_fails = fails; }
bool unset_variable_read_fails() { return g_unset_read_fails; }

CVariableList::~CVariableList()
{
	if (!m_vars.empty())
		variables_moved();
	if (m_vars.capacity() == 0)
		return;
	auto &pool = spare_arrays();
	if (pool.size() < POOL_LIMIT) {
		m_vars.clear();
		pool.push_back(std::move(m_vars));
	}
}

void CVariableList::rebuild_index()
{
	size_t size = 16;
	while (size < m_vars.size() * 2)
		size *= 2;
	m_index.assign(size, 0);
	m_mask = (uint32_t)size - 1;
	for (size_t i = 0; i < m_vars.size(); i++) {
		uint32_t pos = hash_id(m_vars[i].id) & m_mask;
		while (m_index[pos] != 0)
			pos = (pos + 1) & m_mask;
		m_index[pos] = (uint32_t)i + 1;
	}
}

CVariable &CVariableList::append(int32_t id)
{
	if (m_vars.capacity() == 0) {
		auto &pool = spare_arrays();
		if (!pool.empty()) {
			m_vars = std::move(pool.back());
			pool.pop_back();
		} else {
			m_vars.reserve(LINEAR_LIMIT);
		}
	}
	if (!m_vars.empty() && m_vars.size() == m_vars.capacity())
		variables_moved(); // the array is about to be reallocated
	m_vars.emplace_back();
	m_vars.back().id = id;
	size_t n = m_vars.size();
	if (n > LINEAR_LIMIT) {
		if (m_index.empty() || n * 2 > m_index.size()) {
			rebuild_index();
		} else {
			uint32_t pos = hash_id(id) & m_mask;
			while (m_index[pos] != 0)
				pos = (pos + 1) & m_mask;
			m_index[pos] = (uint32_t)n;
		}
	}
	return m_vars.back();
}

CVariable &CVariableList::find_or_add(int32_t id)
{
	if (CVariable *v = find(id))
		return *v;
	return append(id);
}

bool CVariableList::get_slow(int32_t id, int32_t index, Value &out) const
{
	g_variable_index_out_of_range = false;
	const CVariable *v = find(id);
	if (!v) {
		if (g_unset_read_fails)
			return false;
		out.set_real(0.0);
		return true;
	}
	if (index == 0) {
		out = v->value;
		return true;
	}
	int32_t row, column;
	split_index(index, row, column);
	if (row >= 0 && column >= 0 && (size_t)row < v->rows.size() && (size_t)column < v->rows[row].size()) {
		out = v->rows[row][column];
		return true;
	}
	g_variable_index_out_of_range = true;
	out.set_real(0.0);
	return false;
}

bool CVariableList::set_slow(int32_t id, int32_t index, const Value &value)
{
	g_variable_index_out_of_range = false;
	CVariable &v = find_or_add(id);
	if (index == 0) {
		v.value = value;
		return true;
	}
	int32_t row, column;
	split_index(index, row, column);
	// A negative place fails before anything grows, so a failed write leaves
	// the array as it was.
	if (row < 0 || column < 0) {
		g_variable_index_out_of_range = true;
		return false;
	}
	if ((size_t)row >= v.rows.size())
		v.rows.resize((size_t)row + 1);
	std::vector<Value> &r = v.rows[row];
	if ((size_t)column >= r.size())
		r.resize((size_t)column + 1);
	r[column] = value;
	return true;
}

void CVariableList::declare(int32_t id)
{
	find_or_add(id);
}

void CVariableList::clear()
{
	if (!m_vars.empty())
		variables_moved();
	m_vars.clear();
	m_index.clear();
	m_mask = 0;
}

void CVariableList::copy_from(const CVariableList &other)
{
	if (this == &other)
		return;
	clear();
	if (other.m_vars.empty())
		return;
	m_vars.reserve(other.m_vars.size());
	for (const CVariable &v : other.m_vars)
		m_vars.push_back(v);
	m_index = other.m_index;
	m_mask = other.m_mask;
}
