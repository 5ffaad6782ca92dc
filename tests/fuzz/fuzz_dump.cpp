// fuzz_dump.cpp: the listing of zentrix-pack dump over any bytes. Damaged data must
// end in reported errors, never a crash.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "dump.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
	freopen("/dev/null", "w", stdout);
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	DumpReport report = dump_game_file(std::vector<uint8_t>(data, data + size));
	(void)report;
	return 0;
}
