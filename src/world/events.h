// events.h: performing events: the handler found through the parent chain runs
// with `self` and `other` while the current event context names it.
#pragma once

#include <cstdint>

class CInstance;

// While a room change waits to be carried out no event runs; the room module
// sets and clears it.
void set_room_change_pending(bool pending);
bool room_change_pending();

// Runs the handler of (type, number) found from the object up its parent
// chain, with the event context set to the holder, type and number and
// restored afterwards. Nothing happens while a room change is pending or when
// no handler is found.
void perform_event(CInstance *self, CInstance *other, int32_t object_index, int32_t type, int32_t number);
// The same from the instance's own object; nothing for a null instance.
void perform_own_event(CInstance *instance, CInstance *other, int32_t type, int32_t number);
// Every live active instance of the current room performs the event with
// itself as other, in the room's order.
void perform_event_for_all(int32_t type, int32_t number);
// Runs the handler of the running event's holder's parent (and above).
void perform_inherited(CInstance *self, CInstance *other);

// Installs the event names in error reports and the "other" event performer
// of the lives and health rows.
void install_event_hooks();
