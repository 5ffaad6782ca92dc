// ds_memory.cpp: zeroed table storage, on huge pages when large.
#include "ds/ds_memory.h"

#include <cstdlib>
#include <sys/mman.h>

namespace {

constexpr size_t HUGE_FROM = (size_t)2 << 20;

} // namespace

void *ds_alloc_zeroed(size_t bytes)
{
	if (bytes < HUGE_FROM)
		return calloc(bytes ? bytes : 1, 1);
	void *block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
	if (block == MAP_FAILED)
		return nullptr;
#ifdef MADV_HUGEPAGE
	madvise(block, bytes, MADV_HUGEPAGE);
#endif
	return block;
}

void ds_free_zeroed(void *block, size_t bytes)
{
	if (!block)
		return;
	if (bytes < HUGE_FROM)
		free(block);
	else
		munmap(block, bytes);
}
