// fuzz_ds_read.cpp: the readers of the written forms of data structures over
// any text. The first byte picks the kind (its value modulo 6: stack, queue,
// list, map, priority queue, grid), the rest is the text. A refused text must
// leave the container as it was; an accepted one must write back to a text
// that reads to the same container.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ds/ds_store.h"

namespace {

template <typename T> void check(std::string_view text)
{
	T container;
	std::string why;
	std::string before = container.write();
	if (!container.read(text, why)) {
		if (why.empty() || container.write() != before)
			abort();
		return;
	}
	std::string written = container.write();
	T again;
	if (!again.read(written, why) || again.write() != written)
		abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	if (size == 0)
		return 0;
	std::string_view text((const char *)data + 1, size - 1);
	switch (data[0] % 6) {
	case 0:
		check<CDS_Stack>(text);
		break;
	case 1:
		check<CDS_Queue>(text);
		break;
	case 2:
		check<CDS_List>(text);
		break;
	case 3:
		check<CDS_Map>(text);
		break;
	case 4:
		check<CDS_Priority>(text);
		break;
	default:
		check<CDS_Grid>(text);
		break;
	}
	return 0;
}
