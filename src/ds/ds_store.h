// ds_store.h: the handle tables of the six kinds of container. Handles of
// different kinds are independent.
#pragma once

#include "ds/ds_grid.h"
#include "ds/ds_list.h"
#include "ds/ds_map.h"
#include "ds/ds_priority.h"
#include "ds/ds_queue.h"
#include "ds/ds_stack.h"
#include "ds/ds_table.h"

struct DsStore
{
	DsTable<CDS_Stack> stacks;
	DsTable<CDS_Queue> queues;
	DsTable<CDS_List> lists;
	DsTable<CDS_Map> maps;
	DsTable<CDS_Priority> priorities;
	DsTable<CDS_Grid> grids;
};

// The containers of the running game.
inline DsStore &ds_store()
{
	static DsStore store;
	return store;
}
// Frees every container and sets the precision back to its default: the game
// has ended or restarts.
void ds_reset();
