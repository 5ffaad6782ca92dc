// read_scripts.cpp: the script chunk (SCPT), which fills the script table the
// function lookup searches, and its writer.
#include "data/readers.h"

#include "code/script_table.h"
#include "data/read_util.h"
#include "data/resource_writers.h"

bool read_scripts(GameData &game, const Chunk &, const std::vector<uint32_t> &list)
{
	ByteReader file = game.file();
	ScriptTable &table = script_table();
	table.clear();
	for (uint32_t at : list) {
		if (at == 0) {
			table.add(nullptr);
			continue;
		}
		auto script = std::make_unique<CScript>();
		script->name = read_string_field(file, at, "a script's name");
		script->code = read_code_ref(game, (uint64_t)at + 4);
		table.add(std::move(script));
	}
	install_script_hooks();
	return true;
}

ChunkBuilder &write_scripts(DataFileWriter &writer, const std::vector<const ScriptSource *> &scripts, bool bytecode)
{
	ChunkBuilder &c = writer.chunk("SCPT");
	size_t slots = write_list_slots(c, scripts.size());
	for (size_t i = 0; i < scripts.size(); i++) {
		if (!scripts[i])
			continue;
		point_slot_here(c, slots, i);
		c.string_ref(scripts[i]->name);
		write_code_ref(c, scripts[i]->code, bytecode);
	}
	return c;
}
