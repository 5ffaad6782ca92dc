// read_extensions.cpp: the extension chunk (EXTN): packages, their files and
// the functions each file declares, and its writer.
#include "data/readers.h"

#include "data/read_util.h"
#include "data/resource_writers.h"

namespace {

ExtensionFunction read_function(const ByteReader &file, uint64_t at)
{
	ExtensionFunction f;
	f.name = read_string_field(file, at, "an extension function's name");
	f.id = file.u32(at + 4);
	f.call_kind = file.u32(at + 8);
	f.result_type = file.u32(at + 12);
	f.external_name = read_optional_string(file, at + 16);
	uint32_t count = file.u32(at + 20);
	check_count(file, at + 24, count, 4, "the extension function's arguments");
	for (uint32_t i = 0; i < count; i++)
		f.argument_types.push_back(file.u32(at + 24 + 4 * (uint64_t)i));
	return f;
}

ExtensionFile read_file_record(const ByteReader &file, uint64_t at)
{
	ExtensionFile f;
	f.name = read_string_field(file, at, "an extension file's name");
	f.final_function = read_optional_string(file, at + 4);
	f.init_function = read_optional_string(file, at + 8);
	f.kind = file.u32(at + 12);
	for (uint32_t entry : read_list_at(file, at + 16, "an extension file's functions"))
		if (entry != 0)
			f.functions.push_back(read_function(file, entry));
	return f;
}

void write_function(ChunkBuilder &c, const ExtensionFunction &f)
{
	c.string_ref(f.name).u32(f.id).u32(f.call_kind).u32(f.result_type);
	c.string_ref(f.external_name).u32((uint32_t)f.argument_types.size());
	for (uint32_t type : f.argument_types)
		c.u32(type);
}

void write_file_record(ChunkBuilder &c, const ExtensionFile &f)
{
	c.string_ref(f.name).string_ref(f.final_function).string_ref(f.init_function).u32(f.kind);
	size_t slots = write_list_slots(c, f.functions.size());
	for (size_t i = 0; i < f.functions.size(); i++) {
		point_slot_here(c, slots, i);
		write_function(c, f.functions[i]);
	}
}

} // namespace

bool read_extensions(GameData &game, const Chunk &, const std::vector<uint32_t> &list)
{
	ByteReader file = game.file();
	game.extensions.clear();
	for (uint32_t at : list) {
		if (at == 0)
			continue;
		ExtensionPackage p;
		p.tag = read_optional_string(file, at);
		p.name = read_optional_string(file, (uint64_t)at + 4);
		for (uint32_t entry : read_list_at(file, (uint64_t)at + 8, "an extension package's files"))
			if (entry != 0)
				p.files.push_back(read_file_record(file, entry));
		game.extensions.push_back(std::move(p));
	}
	return true;
}

ChunkBuilder &write_extensions(DataFileWriter &writer, const std::vector<ExtensionPackage> &packages)
{
	ChunkBuilder &c = writer.chunk("EXTN");
	size_t slots = write_list_slots(c, packages.size());
	for (size_t i = 0; i < packages.size(); i++) {
		const ExtensionPackage &p = packages[i];
		point_slot_here(c, slots, i);
		c.string_ref(p.tag).string_ref(p.name);
		size_t files = write_list_slots(c, p.files.size());
		for (size_t k = 0; k < p.files.size(); k++) {
			point_slot_here(c, files, k);
			write_file_record(c, p.files[k]);
		}
	}
	return c;
}
