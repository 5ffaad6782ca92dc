// vm_fixture.cpp: the machine test fixture.
#include "vm_fixture.h"

#include "code/arguments.h"
#include "code/errors.h"
#include "code/function_table.h"
#include "code/variable_names.h"
#include "code/variables.h"

VMTest *VMTest::current = nullptr;

CInstance *TestWorld::add(int32_t id, int32_t object)
{
	m_instances.push_back(std::make_unique<CInstance>(id, object));
	if (std::find(objects.begin(), objects.end(), object) == objects.end())
		objects.push_back(object);
	return m_instances.back().get();
}

CInstance *TestWorld::find_instance(int32_t id)
{
	for (auto &i : m_instances)
		if (i->id == id)
			return i.get();
	return nullptr;
}

bool TestWorld::object_exists(int32_t object_index)
{
	return std::find(objects.begin(), objects.end(), object_index) != objects.end();
}

CInstance *TestWorld::room_instance(int32_t position)
{
	return position >= 0 && position < (int32_t)m_instances.size() ? m_instances[(size_t)position].get() : nullptr;
}

void TestWorld::object_instances(int32_t object_index, std::vector<CInstance *> &out)
{
	out.clear();
	for (auto &i : m_instances)
		if (i->object_index == object_index)
			out.push_back(i.get());
}

CInstance *TestWorld::first_live_of_object(int32_t object_index)
{
	for (auto &i : m_instances)
		if (i->object_index == object_index && i->live())
			return i.get();
	return nullptr;
}

void VMTest::SetUp()
{
	current = this;
	register_builtin_families();
	clear_error_state();
	reset_global_variables();
	for (int i = 0; i < MAX_ARGUMENTS; i++)
		script_arguments().values[i].clear();
	script_arguments().count = 0;
	set_instance_directory(&world);
	VMHooks hooks;
	hooks.exit = [](int code) {
		current->exits++;
		current->exit_code = code;
	};
	hooks.script_code = [](int32_t index) -> CCode * {
		auto &s = current->scripts;
		return index >= 0 && (size_t)index < s.size() ? s[(size_t)index].get() : nullptr;
	};
	hooks.script_name = [](int32_t index) -> const char * {
		auto &s = current->script_names;
		return index >= 0 && (size_t)index < s.size() ? s[(size_t)index].c_str() : nullptr;
	};
	set_vm_hooks(hooks);
	vm_settings() = VMSettings();
	// No test may hang: every run stops after this many instructions.
	vm_settings().instruction_budget = 10000000;
}

void VMTest::TearDown()
{
	set_vm_hooks(VMHooks());
	vm_settings() = VMSettings();
	set_instance_directory(nullptr);
	clear_error_state();
	current = nullptr;
}

std::shared_ptr<CCode> VMTest::code(const std::string &text, const std::string &name)
{
	AssemblerNames names;
	names.variable_id = [](const std::string &n) { return variable_id(n); };
	names.function_id = [this](const std::string &n) {
		for (size_t i = 0; i < script_names.size(); i++)
			if (script_names[i] == n)
				return SCRIPT_ID_BASE + (int32_t)i;
		return builtin_function_id(n);
	};
	std::string error;
	auto piece = assemble_code(name, text, names, &error);
	EXPECT_TRUE(piece) << error;
	return piece;
}

Value VMTest::run(const std::string &text, CInstance *self, CInstance *other)
{
	Value result;
	auto piece = code(text);
	ok = piece && vm_run(*piece, self, other, &result);
	return result;
}

int32_t VMTest::add_script(const std::string &name, const std::string &text)
{
	script_names.push_back(name);
	scripts.push_back(nullptr);
	scripts.back() = code(text, name);
	return (int32_t)scripts.size() - 1;
}

int32_t VMTest::var(const std::string &name) { return variable_id(name); }

Value VMTest::global(const std::string &name)
{
	Value v;
	global_get(var(name), 0, v);
	return v;
}

Value VMTest::get(CInstance *instance, const std::string &name)
{
	Value v;
	instance->variables.get(var(name), 0, v);
	return v;
}

void VMTest::set(CInstance *instance, const std::string &name, const Value &v)
{
	instance->variables.set(var(name), 0, v);
}
