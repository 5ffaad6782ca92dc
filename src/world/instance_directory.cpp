// instance_directory.cpp: the instance directory over the current room's
// active list, the id map and the objects' instance lists, as variable access
// and `with` see them.
#include <vector>

#include "world/instances.h"
#include "world/object.h"

namespace {

class RoomDirectory : public IInstanceDirectory
{
public:
	CInstance *find_instance(int32_t id) override { return find_instance_by_id(id); }
	bool object_exists(int32_t object_index) override { return object_table().exists(object_index); }

	int32_t room_instance_count() override
	{
		RoomInstances *room = current_room_instances();
		return room ? room->active.count : 0;
	}

	// Positions count from the head; while the lists do not change the walk
	// resumes from the last position asked for, so a loop over every position
	// stays linear.
	CInstance *room_instance(int32_t position) override
	{
		RoomInstances *room = current_room_instances();
		if (!room || position < 0 || position >= room->active.count)
			return nullptr;
		if (m_room != room || m_version != instance_list_version() || !m_at || position < m_position) {
			m_room = room;
			m_version = instance_list_version();
			m_at = room->active.head;
			m_position = 0;
		}
		while (m_position < position && m_at) {
			m_at = m_at->next;
			m_position++;
		}
		return m_at;
	}

	void object_instances(int32_t object_index, std::vector<CInstance *> &out) override
	{
		out.clear();
		if (CObject *object = object_table().find(object_index))
			out = object->all_instances;
	}

	CInstance *first_live_of_object(int32_t object_index) override
	{
		if (CObject *object = object_table().find(object_index))
			for (CInstance *i : object->all_instances)
				if (!i->marked)
					return i;
		return nullptr;
	}

private:
	RoomInstances *m_room = nullptr;
	uint64_t m_version = 0;
	CInstance *m_at = nullptr;
	int32_t m_position = 0;
};

RoomDirectory g_directory;

} // namespace

IInstanceDirectory &room_directory()
{
	return g_directory;
}
