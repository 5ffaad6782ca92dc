// object.h: objects (the templates instances are made from), their event
// handlers, and the process-wide object table with the inherited event lookup
// and the per-event dispatch lists.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/resources.h"

class CInstance;

// ORDER EVENT TYPE: the event types and their numbers in game code.
enum EventType : int32_t
{
	EV_CREATE = 0,
	EV_DESTROY = 1,
	EV_ALARM = 2,
	EV_STEP = 3,
	EV_COLLISION = 4,
	EV_KEYBOARD = 5,
	EV_MOUSE = 6,
	EV_OTHER = 7,
	EV_DRAW = 8,
	EV_KEYPRESS = 9,
	EV_KEYRELEASE = 10,
	EV_TYPE_11 = 11,
	EVENT_TYPE_COUNT = 12,
};

constexpr int32_t EV_STEP_NORMAL = 0, EV_STEP_BEGIN = 1, EV_STEP_END = 2;
constexpr int32_t EV_OTHER_NO_MORE_LIVES = 6, EV_OTHER_NO_MORE_HEALTH = 9, EV_OTHER_USER0 = 10;
// Event numbers above this are refused when loading: numbers below it cover
// every key, mouse and other event and every object index of a collision.
constexpr int32_t MAX_EVENT_NUMBER = 100000;

// One event handler: the code of the first action of its action list.
class CEvent
{
public:
	virtual ~CEvent() = default;
	CodeRef code;
	// Present when there is code to run: a bound piece, a code index or a text.
	bool present() const { return !code.empty(); }
};

struct PhysicsProperties
{
	bool uses_physics = false, sensor = false;
	int32_t shape = 0;
	float shape_param1 = 0, shape_param2 = 0;
	int32_t group = 0;
	float damping1 = 0, damping2 = 0;
	std::vector<std::pair<float, float>> points;
};

// Instance lists of an object; the room owns the instances.
using InstanceList = std::vector<CInstance *>;

class CObject
{
public:
	enum Flag : uint32_t
	{
		SOLID = 1u << 0,
		VISIBLE = 1u << 1,
		PERSISTENT = 1u << 2,
	};

	uint32_t flags = VISIBLE;
	int32_t sprite_index = -1;
	int32_t depth = 0;
	int32_t parent_index = -1;
	int32_t mask_index = -1;
	std::string name;
	int32_t index = 0;
	PhysicsProperties physics;
	CObject *parent = nullptr; // resolved after loading
	// events[type][number]; null where the object has no handler. At least
	// EVENT_TYPE_COUNT types.
	std::vector<std::vector<std::unique_ptr<CEvent>>> events;
	InstanceList own_instances; // instances of exactly this object
	InstanceList all_instances; // instances of this object or a descendant

	CObject() : events(EVENT_TYPE_COUNT) {}

	bool solid() const { return flags & SOLID; }
	bool visible() const { return flags & VISIBLE; }
	bool persistent() const { return flags & PERSISTENT; }
	void set_flag(Flag flag, bool on) { flags = on ? flags | flag : flags & ~flag; }

	// The handler in this object's own table, or null (no inheritance).
	CEvent *own_event(int32_t type, int32_t number) const;
	// Puts a handler at [type][number], growing the type's table.
	void set_event(int32_t type, int32_t number, std::unique_ptr<CEvent> event);
};

// The result of the inherited lookup.
struct FoundEvent
{
	CEvent *event = nullptr;
	int32_t holder = -1; // the object whose table holds it
};

class ObjectTable
{
public:
	// Empties the table and the dispatch lists.
	void clear();
	// Places an object at its index (the table grows; the index must be below
	// MAX_EVENT_NUMBER).
	void put(int32_t index, std::unique_ptr<CObject> object);
	// Appends an empty object named "__newobject<index>".
	CObject &add_new();
	void remove(int32_t index);

	// The number of indices (the next free index).
	int32_t count() const { return (int32_t)m_objects.size(); }
	CObject *find(int32_t index) const;
	bool exists(int32_t index) const { return find(index) != nullptr; }
	std::string name(int32_t index) const; // "<undefined>" when absent
	int32_t index_of(std::string_view name) const; // -1 when absent

	// Resolves each object's parent pointer from its parent index.
	void link_parents();
	// True when `ancestor` is on the object's parent chain (the object itself
	// does not count). Stops at a cycle.
	bool is_ancestor(int32_t object, int32_t ancestor) const;
	// The inherited lookup through the parent chain; for collision events also
	// through the other object's ancestors.
	FoundEvent find_event(int32_t object, int32_t type, int32_t number, bool collision_pass = true) const;
	bool has_event(int32_t object, int32_t type, int32_t number) const
	{
		return find_event(object, type, number).event != nullptr;
	}

	// Rebuilds the dispatch lists from the current handlers and parents.
	void build_event_lists();
	// The objects with a handler (inherited) for (type, number), ascending; empty
	// outside the dispatched ranges.
	const std::vector<int32_t> &dispatch_list(int32_t type, int32_t number) const;
	// Unordered pairs (lower, higher) of objects with a collision handler.
	const std::vector<std::pair<int32_t, int32_t>> &collision_pairs() const { return m_pairs; }

private:
	// Calls visit(object) for the object and each ancestor in turn, stopping at a
	// missing parent or at a cycle; visit returns true to stop.
	template <typename Visit>
	void walk_chain(int32_t object, Visit visit) const;

	std::vector<std::unique_ptr<CObject>> m_objects;
	std::vector<std::vector<int32_t>> m_lists; // [type * 256 + number]
	std::vector<std::pair<int32_t, int32_t>> m_pairs;
};

ObjectTable &object_table();

// The names of events, for code pieces and error reports.
std::string event_name(int32_t type, int32_t number);
std::string event_display_name(int32_t type, int32_t number);
std::string key_name(int32_t key);
