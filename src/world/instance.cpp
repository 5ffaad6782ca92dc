// instance.cpp: the directory of instances used before the instances module
// installs the room's.
#include "world/instance.h"

namespace {

class EmptyDirectory : public IInstanceDirectory
{
public:
	CInstance *find_instance(int32_t) override { return nullptr; }
	bool object_exists(int32_t) override { return false; }
	int32_t room_instance_count() override { return 0; }
	CInstance *room_instance(int32_t) override { return nullptr; }
	void object_instances(int32_t, std::vector<CInstance *> &out) override { out.clear(); }
	CInstance *first_live_of_object(int32_t) override { return nullptr; }
};

EmptyDirectory g_empty;
IInstanceDirectory *g_directory = &g_empty;

} // namespace

IInstanceDirectory &instance_directory()
{
	return *g_directory;
}

void set_instance_directory(IInstanceDirectory *directory)
{
	g_directory = directory ? directory : &g_empty;
}
