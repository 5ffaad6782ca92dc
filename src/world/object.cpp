// object.cpp: the object table, the inherited event lookup through parent
// chains and the per-event dispatch lists.
#include "world/object.h"

#include <algorithm>

namespace {

// Dispatch lists exist for types 0..10 and numbers 0..255.
constexpr int32_t LIST_TYPES = 11, LIST_NUMBERS = 256;

// The numbers each type's list is built for (inclusive).
int32_t list_last_number(int32_t type)
{
	switch (type) {
	case EV_CREATE:
	case EV_DESTROY:
	case EV_DRAW:
		return 0;
	case EV_ALARM:
		return 12;
	case EV_STEP:
		return 16;
	case EV_KEYBOARD:
	case EV_MOUSE:
	case EV_OTHER:
	case EV_KEYPRESS:
	case EV_KEYRELEASE:
		return 128;
	default:
		return -1; // collisions use the pair list
	}
}

const std::vector<int32_t> g_no_objects;

} // namespace

CEvent *CObject::own_event(int32_t type, int32_t number) const
{
	if (type < 0 || (size_t)type >= events.size() || number < 0 || (size_t)number >= events[type].size())
		return nullptr;
	CEvent *event = events[type][number].get();
	return event && event->present() ? event : nullptr;
}

void CObject::set_event(int32_t type, int32_t number, std::unique_ptr<CEvent> event)
{
	if ((size_t)type >= events.size())
		events.resize(type + 1);
	auto &slots = events[type];
	if ((size_t)number >= slots.size())
		slots.resize(number + 1);
	slots[number] = std::move(event);
}

ObjectTable &object_table()
{
	static ObjectTable table;
	return table;
}

void ObjectTable::clear()
{
	m_objects.clear();
	m_lists.clear();
	m_pairs.clear();
}

void ObjectTable::put(int32_t index, std::unique_ptr<CObject> object)
{
	if (index < 0 || index >= MAX_EVENT_NUMBER)
		return;
	if ((size_t)index >= m_objects.size())
		m_objects.resize(index + 1);
	if (object)
		object->index = index;
	m_objects[index] = std::move(object);
}

CObject &ObjectTable::add_new()
{
	auto object = std::make_unique<CObject>();
	int32_t index = count();
	object->name = "__newobject" + std::to_string(index);
	put(index, std::move(object));
	return *m_objects[index];
}

void ObjectTable::remove(int32_t index)
{
	if (index >= 0 && index < count())
		m_objects[index].reset();
	link_parents();
}

CObject *ObjectTable::find(int32_t index) const
{
	return index >= 0 && index < count() ? m_objects[index].get() : nullptr;
}

std::string ObjectTable::name(int32_t index) const
{
	CObject *object = find(index);
	return object ? object->name : "<undefined>";
}

int32_t ObjectTable::index_of(std::string_view name) const
{
	for (const auto &object : m_objects)
		if (object && object->name == name)
			return object->index;
	return -1;
}

void ObjectTable::link_parents()
{
	for (const auto &object : m_objects)
		if (object)
			object->parent = object->parent_index >= 0 ? find(object->parent_index) : nullptr;
}

// A parent chain that loops back (a file or object_set_parent can make one) is
// walked at most once around: the walk stops after as many steps as there are
// objects.
template <typename Visit>
void ObjectTable::walk_chain(int32_t index, Visit visit) const
{
	CObject *object = find(index);
	for (int32_t steps = 0; object && steps <= count(); steps++) {
		if (visit(*object))
			return;
		object = object->parent_index >= 0 ? find(object->parent_index) : nullptr;
	}
}

bool ObjectTable::is_ancestor(int32_t index, int32_t ancestor) const
{
	bool found = false;
	bool first = true;
	walk_chain(index, [&](const CObject &o) {
		if (!first && o.index == ancestor)
			found = true;
		first = false;
		return found;
	});
	return found;
}

FoundEvent ObjectTable::find_event(int32_t index, int32_t type, int32_t number, bool collision_pass) const
{
	FoundEvent found;
	auto lookup = [&](int32_t n) {
		walk_chain(index, [&](const CObject &o) {
			if (CEvent *event = o.own_event(type, n)) {
				found = {event, o.index};
				return true;
			}
			return false;
		});
		return found.event != nullptr;
	};
	if (lookup(number) || type != EV_COLLISION || !collision_pass || !exists(number))
		return found;
	// Handlers for the other object's ancestors, nearest first.
	bool first = true;
	walk_chain(number, [&](const CObject &ancestor) {
		if (first) {
			first = false;
			return false;
		}
		return lookup(ancestor.index);
	});
	return found;
}

void ObjectTable::build_event_lists()
{
	m_lists.assign(LIST_TYPES * LIST_NUMBERS, {});
	for (int32_t type = 0; type < LIST_TYPES; type++)
		for (int32_t number = 0; number <= list_last_number(type); number++) {
			auto &list = m_lists[type * LIST_NUMBERS + number];
			for (int32_t i = 0; i < count(); i++)
				if (exists(i) && find_event(i, type, number, false).event)
					list.push_back(i);
		}
	m_pairs.clear();
	for (int32_t i = 0; i < count(); i++) {
		if (!exists(i))
			continue;
		for (int32_t j = 0; j < count(); j++) {
			if (!find_event(i, EV_COLLISION, j).event)
				continue;
			std::pair<int32_t, int32_t> pair{std::min(i, j), std::max(i, j)};
			if (std::find(m_pairs.begin(), m_pairs.end(), pair) == m_pairs.end())
				m_pairs.push_back(pair);
		}
	}
}

const std::vector<int32_t> &ObjectTable::dispatch_list(int32_t type, int32_t number) const
{
	if (type < 0 || type >= LIST_TYPES || number < 0 || number >= LIST_NUMBERS || m_lists.empty())
		return g_no_objects;
	return m_lists[type * LIST_NUMBERS + number];
}
