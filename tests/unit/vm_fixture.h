// vm_fixture.h: a fixture for running assembled bytecode: a small world of
// instances and objects, scripts by index, and an exit hook that records the
// machine's exit instead of ending the test program.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "code/value.h"
#include "code/vm/assembler.h"
#include "code/vm/code.h"
#include "code/vm/machine.h"
#include "world/instance.h"

// Instances in room order, each belonging to an object.
class TestWorld : public IInstanceDirectory
{
public:
	CInstance *add(int32_t id, int32_t object);
	CInstance *find_instance(int32_t id) override;
	bool object_exists(int32_t object_index) override;
	int32_t room_instance_count() override { return (int32_t)m_instances.size(); }
	CInstance *room_instance(int32_t position) override;
	void object_instances(int32_t object_index, std::vector<CInstance *> &out) override;
	CInstance *first_live_of_object(int32_t object_index) override;

	std::vector<int32_t> objects; // object indices that exist

private:
	std::vector<std::unique_ptr<CInstance>> m_instances;
};

class VMTest : public ::testing::Test
{
protected:
	void SetUp() override;
	void TearDown() override;

	// Assembles a piece (failing the test when it does not assemble).
	std::shared_ptr<CCode> code(const std::string &text, const std::string &name = "test_code");
	// Runs a piece and returns its result; `ok` tells whether it succeeded.
	Value run(const std::string &text, CInstance *self = nullptr, CInstance *other = nullptr);
	// Adds a script (index = order of adding) named `name`.
	int32_t add_script(const std::string &name, const std::string &text);

	int32_t var(const std::string &name);
	Value global(const std::string &name);
	Value get(CInstance *instance, const std::string &name);
	void set(CInstance *instance, const std::string &name, const Value &v);

	bool ok = false;
	int exits = 0;      // exit hook calls
	int exit_code = 0;
	TestWorld world;
	std::vector<std::shared_ptr<CCode>> scripts;
	std::vector<std::string> script_names;
	static VMTest *current;
};
