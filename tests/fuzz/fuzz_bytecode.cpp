// fuzz_bytecode.cpp: any bytes as the bytecode of a code entry of a CODE chunk,
// loaded through the chunk walks and run on the machine with an instruction
// budget. Every outcome must be a clean end or a reported error: no crash, no
// hang, nothing read outside the code.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "code/errors.h"
#include "code/slot.h"
#include "code/variables.h"
#include "code/vm/code.h"
#include "code/vm/machine.h"
#include "data/walk.h"
#include "data/writer.h"
#include "world/instance.h"

namespace {

// Three instances of object 0 and one of object 1.
class FuzzWorld : public IInstanceDirectory
{
public:
	FuzzWorld()
	{
		int objects[] = {0, 0, 0, 1};
		for (int i = 0; i < 4; i++)
			m_instances.push_back(std::make_unique<CInstance>(100001 + i, objects[i]));
	}
	CInstance *find_instance(int32_t id) override
	{
		for (auto &i : m_instances)
			if (i->id == id)
				return i.get();
		return nullptr;
	}
	bool object_exists(int32_t object) override { return object == 0 || object == 1; }
	int32_t room_instance_count() override { return (int32_t)m_instances.size(); }
	CInstance *room_instance(int32_t p) override
	{
		return p >= 0 && p < (int32_t)m_instances.size() ? m_instances[(size_t)p].get() : nullptr;
	}
	void object_instances(int32_t object, std::vector<CInstance *> &out) override
	{
		out.clear();
		for (auto &i : m_instances)
			if (i->object_index == object)
				out.push_back(i.get());
	}
	CInstance *first_live_of_object(int32_t object) override
	{
		for (auto &i : m_instances)
			if (i->object_index == object)
				return i.get();
		return nullptr;
	}
	CInstance *instance(size_t i) { return m_instances[i].get(); }

	void reset()
	{
		for (auto &i : m_instances)
			i->variables.clear();
	}

private:
	std::vector<std::unique_ptr<CInstance>> m_instances;
};

FuzzWorld *g_world;
CCode *g_code; // script 0 is the piece itself, so that calls recurse

void setup()
{
	// The machine's reports go to the console: keep the fuzzer's output readable.
	if (!freopen("/dev/null", "w", stdout))
		abort();
	set_display_errors(false);
	g_world = new FuzzWorld;
	set_instance_directory(g_world);
	VMHooks hooks;
	hooks.exit = [](int) {};
	hooks.script_code = [](int32_t index) { return index == 0 ? g_code : nullptr; };
	hooks.script_name = [](int32_t index) -> const char * { return index == 0 ? "fuzz" : nullptr; };
	set_vm_hooks(hooks);
	// Bounds on time and memory: doubling strings or huge array rows must stay
	// inside the fuzzer's per-input limits.
	vm_settings().instruction_budget = 4000;
	set_text_length_limit(1 << 16);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	static bool ready = (setup(), true);
	(void)ready;
	if (size > 1 << 16)
		return 0;
	DataFileWriter w;
	ChunkBuilder &code = w.chunk("CODE");
	code.u32(1);
	code.ref(8);
	code.string_ref("fuzz");
	code.u32((uint32_t)size);
	code.bytes(data, size);
	w.string_id("a");
	w.string_id("bb");
	GameData game;
	game.block.bytes = w.build();
	if (!first_pass(game).ok || !main_walk(game).ok || game.codes.empty())
		return 0;
	clear_error_state();
	reset_global_variables();
	g_world->reset();
	g_code = game.codes[0].get();
	Value result;
	code_execute(g_world->instance(0), g_world->instance(3), *g_code, &result);
	g_code = nullptr;
	return 0;
}
