// fuzz_container.cpp: the container check and the three chunk walks over any
// bytes. Damaged data must end in a load error, never a crash.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "data/walk.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
	// The walks report every chunk on the console; keep the fuzzer's output quiet.
	freopen("/dev/null", "w", stdout);
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	GameData game;
	game.block.bytes.assign(data, data + size);
	game.debug_block.bytes.assign(data, data + size);
	LoadResult first = first_pass(game);
	if (first.ok)
		main_walk(game);
	debug_walk(game);
	return 0;
}
