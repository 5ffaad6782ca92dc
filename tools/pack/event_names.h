// event_names.h: the readable names of object events in a project (create,
// step_begin, alarm3, keypress_left, collision_obj_wall, other_room_start,
// user0, ...) and their event type and number.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct EventId
{
	int32_t type = -1;
	int32_t number = 0;
};

// The event a name stands for. `find_object` turns the object name of a
// collision event into its index (-1 unknown). On failure the result's type
// is -1 and `error` says why.
EventId parse_event_name(const std::string &name, const std::function<int32_t(const std::string &)> &find_object,
                         std::string &error);
