// ds_memory.h: zeroed storage for large, randomly accessed tables (the map
// index). Large blocks come straight from the system on huge pages where it
// allows them, which spares the address translation misses of random access.
#pragma once

#include <cstddef>

// A zero-filled block of bytes, or null when memory is exhausted.
void *ds_alloc_zeroed(size_t bytes);
// Frees a block of ds_alloc_zeroed with the same size.
void ds_free_zeroed(void *block, size_t bytes);
