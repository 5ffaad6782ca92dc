// activation.h: deactivating and activating instances of the current room; each
// operation ends by moving instances between the room's two lists.
#pragma once

#include <cstdint>

class CInstance;

struct Region
{
	double left, top, right, bottom;
	bool inside; // true: what touches the region; false: what lies outside it
};

// Every active instance, except self when notme.
void deactivate_all(CInstance *self, bool notme);
// -1 self, -2 other, -3 every instance of the list, an unmarked instance id, or
// an object (with its descendants); `deactivate` false activates instead.
void set_activation_of(int32_t which, CInstance *self, CInstance *other, bool deactivate);
void deactivate_region(const Region &region, CInstance *self, bool notme);
void activate_all();
void activate_region(const Region &region);
