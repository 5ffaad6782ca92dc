// ds_store.cpp: freeing the containers of the running game.
#include "ds/ds_store.h"

#include "ds/ds_compare.h"

void ds_reset()
{
	DsStore &s = ds_store();
	s.stacks.clear();
	s.queues.clear();
	s.lists.clear();
	s.maps.clear();
	s.priorities.clear();
	s.grids.clear();
	ds_set_precision(1e-08);
}
