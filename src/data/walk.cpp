// walk.cpp: the first pass, the main walk and the debug walk.
#include "data/walk.h"

#include "code/errors.h"
#include "common/console.h"
#include "data/chunk.h"
#include "data/readers.h"

namespace {

struct ChunkKind
{
	uint32_t tag;
	bool relocate;
	ChunkReader reader;
};

const ChunkKind chunk_kinds[] = {
#define CHUNK(name, relocate, reader) {make_tag(#name), relocate != 0, reader},
#include "data/chunks.def"
#undef CHUNK
};

const ChunkKind *find_kind(uint32_t tag)
{
	for (const ChunkKind &kind : chunk_kinds)
		if (kind.tag == tag)
			return &kind;
	return nullptr;
}

// Runs a walk body, turning damaged data into an error that names the chunk.
template <typename Body>
LoadResult guarded_walk(const ByteReader &file, const char *what, Body body)
{
	LoadResult result;
	std::string problem = container_problem(file);
	if (!problem.empty()) {
		result.ok = false;
		result.error = std::string("The ") + what + " is damaged: " + problem + ".";
		return result;
	}
	Chunk current;
	bool inside = false;
	try {
		for_each_chunk(file, [&](const Chunk &chunk) {
			current = chunk;
			inside = true;
			body(chunk, result);
			inside = false;
		});
	} catch (const LoadAbort &) {
		// The binding has shown its fatal error already.
		result.ok = false;
		result.error.clear();
	} catch (const DataError &e) {
		result.ok = false;
		result.error = std::string("The ") + what + " is damaged: ";
		if (inside)
			result.error += "chunk " + tag_text(current.tag) + " at offset " + std::to_string(current.start) + ": ";
		result.error += std::string(e.what()) + " (at offset " + std::to_string(e.offset()) + ").";
	}
	return result;
}

} // namespace

LoadResult first_pass(GameData &game)
{
	ByteReader file = game.file();
	return guarded_walk(file, "game data file", [&](const Chunk &chunk, LoadResult &result) {
		if (chunk.size == 0)
			return;
		if (chunk.tag == make_tag("STRG")) {
			game.strings = read_offset_list(file, chunk.body, chunk.body + chunk.size, "strings");
		} else if (chunk.tag == make_tag("GEN7") || chunk.tag == make_tag("GEN8") ||
		           chunk.tag == make_tag("GENL")) {
			read_header_early(game, chunk);
		} else if (chunk.tag == make_tag("CODE")) {
			read_code_entries(game, chunk);
		} else if (chunk.tag == make_tag("VARI")) {
			if (!bind_variable_references(game, chunk))
				result.ok = false;
		}
	});
}

LoadResult main_walk(GameData &game)
{
	ByteReader file = game.file();
	dbg_console().Output("initialise everything!\n");
	reset_resources(game);
	return guarded_walk(file, "game data file", [&](const Chunk &chunk, LoadResult &result) {
		std::string tag = tag_text(chunk.tag);
		dbg_console().Output("Process Chunk: %s   %d\n", tag.c_str(), (int)chunk.size);
		if (chunk.size == 0)
			return;
		const ChunkKind *kind = find_kind(chunk.tag);
		if (!kind) {
			dbg_console().Output("unknown Chunk %s:%d\n", tag.c_str(), (int32_t)chunk.tag);
			result.ok = false;
			return;
		}
		std::vector<uint32_t> list;
		if (kind->relocate)
			list = read_offset_list(file, chunk.body, chunk.body + chunk.size, tag.c_str());
		if (!kind->reader(game, chunk, list)) {
			result.ok = false;
			if (result.error.empty())
				result.error = "The game data file could not be read: chunk " + tag + " at offset " +
				               std::to_string(chunk.start) + " is not valid.";
		}
	});
}

LoadResult debug_walk(GameData &game)
{
	ByteReader file = game.debug_block.file();
	return guarded_walk(file, "debug-information file", [&](const Chunk &chunk, LoadResult &) {
		if (chunk.size == 0)
			return;
		std::string tag = tag_text(chunk.tag);
		dbg_console().Output("Process Chunk: %s   %d\n", tag.c_str(), (int)chunk.size);
		uint64_t end = chunk.body + chunk.size;
		if (chunk.tag == make_tag("STRG")) {
			game.debug_strings = read_offset_list(file, chunk.body, end, "strings");
		} else if (chunk.tag == make_tag("DBGI")) {
			game.debug_info = read_offset_list(file, chunk.body, end, "debug information");
		} else if (chunk.tag == make_tag("SCPT")) {
			game.script_sources = read_offset_list(file, chunk.body, end, "script sources");
			for (uint32_t entry : game.script_sources)
				if (entry != 0 && file.u32(entry) != 0)
					file.string(file.u32(entry));
		}
	});
}
