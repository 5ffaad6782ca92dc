// resource_names.cpp: collects the names of the loaded resources, from the
// game data, the image tables and the object and script tables.
#include "data/resource_names.h"

#include "code/script_table.h"
#include "graphics/images.h"
#include "world/object.h"

namespace {

void add(std::vector<ResourceName> &out, const std::string &name, size_t index)
{
	if (!name.empty())
		out.push_back({name, (int32_t)index});
}

void add_names(std::vector<ResourceName> &out, const std::vector<std::string> &names)
{
	for (size_t i = 0; i < names.size(); i++)
		add(out, names[i], i);
}

template <typename T>
void add_table(std::vector<ResourceName> &out, const ResourceTable<T> &table)
{
	for (size_t i = 0; i < table.size(); i++)
		if (table[i])
			add(out, table[i]->name, i);
}

} // namespace

std::vector<ResourceName> resource_names(const GameData &game)
{
	std::vector<ResourceName> out;
	const ImageResources &image = images();
	add_names(out, image.background_names);
	add_names(out, image.font_names);
	const ObjectTable &objects = object_table();
	for (int32_t i = 0; i < objects.count(); i++)
		if (const CObject *object = objects.find(i))
			add(out, object->name, i);
	add_table(out, game.paths);
	add_table(out, game.rooms);
	const ScriptTable &scripts = script_table();
	for (int32_t i = 0; i < scripts.count(); i++)
		if (const CScript *script = scripts.find(i))
			add(out, script->name, i);
	add_table(out, game.sounds);
	add_names(out, image.sprite_names);
	add_table(out, game.timelines);
	return out;
}
