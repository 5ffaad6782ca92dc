// ds_table.h: the handle table of one kind of container. A create takes the
// first empty slot, else appends; a destroy empties its slot for reuse.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

template <typename T>
class DsTable
{
public:
	// The handle of a new, empty container.
	int32_t create()
	{
		for (size_t i = 0; i < m_slots.size(); i++) {
			if (!m_slots[i]) {
				m_slots[i] = std::make_unique<T>();
				return (int32_t)i;
			}
		}
		m_slots.push_back(std::make_unique<T>());
		return (int32_t)(m_slots.size() - 1);
	}

	// The container of a handle, or null when the handle is negative, past the
	// used count or destroyed.
	T *find(int64_t handle) const
	{
		if (handle < 0 || (uint64_t)handle >= m_slots.size())
			return nullptr;
		return m_slots[(size_t)handle].get();
	}

	bool destroy(int64_t handle)
	{
		if (!find(handle))
			return false;
		m_slots[(size_t)handle].reset();
		return true;
	}

	// Frees every container: the game has ended.
	void clear() { m_slots.clear(); }

	// The used count: one past the highest handle ever handed out.
	size_t used() const { return m_slots.size(); }

private:
	std::vector<std::unique_ptr<T>> m_slots;
};
