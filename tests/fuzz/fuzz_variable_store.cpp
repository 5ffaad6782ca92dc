// fuzz_variable_store.cpp: the loader of saved variable stores and of the
// global part of a saved game over any bytes. A load either fails cleanly or
// gives a store that saves and loads back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "code/variable_list.h"
#include "code/variables.h"
#include "common/binary_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	std::span<const uint8_t> bytes(data, size);
	StreamReader in(bytes);
	CVariableList store;
	std::string error;
	if (store.load(in, &error)) {
		StreamWriter first;
		store.save(first);
		CVariableList again;
		StreamReader back(first.bytes());
		if (!again.load(back))
			abort();
		StreamWriter second;
		again.save(second);
		if (second.bytes() != first.bytes())
			abort();
		std::string dump;
		store.dump(dump);
	} else if (error.empty()) {
		abort();
	}

	StreamReader global(bytes);
	load_global_variables(global);
	return 0;
}
