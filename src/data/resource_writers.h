// resource_writers.h: writers of the resource chunks, the counterparts of the
// readers: they lay out options, objects, rooms, scripts, timelines, paths,
// extensions, included files and sounds the way the readers expect them.
// `bytecode` selects code indices (a CODE chunk is present) or source texts.
#pragma once

#include <vector>

#include "data/game_data.h"
#include "data/resources.h"
#include "data/writer.h"

class CObject;

ChunkBuilder &write_options(DataFileWriter &writer, const GameOptions &options,
                            const std::vector<UserConstant> &constants);
// Null entries become empty slots.
ChunkBuilder &write_objects(DataFileWriter &writer, const std::vector<const CObject *> &objects,
                            int major_version, bool bytecode);
ChunkBuilder &write_rooms(DataFileWriter &writer, const std::vector<const RoomRecord *> &rooms,
                          int major_version, bool bytecode);

struct ScriptSource
{
	std::string name;
	CodeRef code;
};
ChunkBuilder &write_scripts(DataFileWriter &writer, const std::vector<const ScriptSource *> &scripts,
                            bool bytecode);
ChunkBuilder &write_timelines(DataFileWriter &writer, const std::vector<const TimelineRecord *> &timelines,
                              bool bytecode);
ChunkBuilder &write_paths(DataFileWriter &writer, const std::vector<const PathRecord *> &paths);
ChunkBuilder &write_extensions(DataFileWriter &writer, const std::vector<ExtensionPackage> &packages);
// DAFL: a list of offsets to blocks of bytes.
ChunkBuilder &write_included_files(DataFileWriter &writer, const std::vector<std::vector<uint8_t>> &files);
ChunkBuilder &write_sounds(DataFileWriter &writer, const std::vector<const SoundRecord *> &sounds);
// AUDO: one data block per entry (u32 length, then the bytes).
ChunkBuilder &write_audio(DataFileWriter &writer, const std::vector<std::vector<uint8_t>> &blocks);
