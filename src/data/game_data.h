// game_data.h: the game data file held in memory, and what its early chunks set.
// The block lives for the whole run; offsets into it are resolved on access
// through a checked reader.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/byte_reader.h"
#include "data/resources.h"

class CCode;
struct StringTexts;

// The header chunk (GEN8, or the older GEN7 and GENL).
struct GameHeader
{
	bool loaded = false;
	uint8_t flags = 0;          // bit 0 clear: debug_mode reads 1
	uint8_t major_version = 0;  // 8 in a GEN8 chunk
	uint32_t name = 0;          // offset of the game's name text
	uint32_t config = 0;        // offset of the configuration name text
	uint32_t last_instance_id = 0;
	uint32_t last_tile_id = 0;
	uint32_t game_id = 0;
	uint32_t window_width = 640;
	uint32_t window_height = 480;
	uint32_t window_flags = 2;
	int data_version = 0;       // 800 for GEN8, 700 for GEN7 and GENL
	std::vector<int32_t> room_order;
};

// Window flag bits of the header.
enum WindowFlag : uint32_t
{
	WINDOW_FULLSCREEN = 1u << 0,
	WINDOW_VSYNC = 1u << 1,
	WINDOW_SOFTWARE_VERTICES = 1u << 2,
	WINDOW_INTERPOLATE = 1u << 3,
	WINDOW_KEEP_ASPECT = 1u << 4,
	WINDOW_SHOW_CURSOR = 1u << 5,
	WINDOW_RESIZABLE = 1u << 6,
};

// A file in the container format: its bytes and the checked reader over them.
struct DataBlock
{
	std::vector<uint8_t> bytes;
	ByteReader file() const { return ByteReader(bytes); }
	bool empty() const { return bytes.empty(); }
};

// A constant the game defines (OPTN): its name and its value as code text.
struct UserConstant
{
	std::string name;
	std::string value;
};

class GameData
{
public:
	DataBlock block;               // the game data file
	GameHeader header;
	std::vector<uint32_t> strings; // STRG: offset of each string's length word
	std::string config_name;       // os_get_config

	bool has_bytecode = false;            // the file carries a CODE chunk
	std::vector<uint32_t> code_entries;   // CODE: offset of each code entry
	std::vector<UserConstant> user_constants; // OPTN: the game's constants, in order
	std::vector<std::shared_ptr<CCode>> codes;      // one piece per code entry
	std::shared_ptr<const StringTexts> code_strings; // texts that string operands name

	// Set before the main walk: "-inawindow" keeps the game out of full screen.
	bool in_a_window = false;

	// The resources of the main walk (objects and scripts have their own tables).
	GameOptions options;
	ResourceTable<RoomRecord> rooms;
	ResourceTable<TimelineRecord> timelines;
	ResourceTable<PathRecord> paths;
	ResourceTable<SoundRecord> sounds;
	std::vector<ExtensionPackage> extensions;
	std::vector<uint32_t> included_files; // DAFL: its list, kept as read

	// The debug-information file, when present.
	DataBlock debug_block;
	std::vector<uint32_t> debug_strings;  // its STRG
	std::vector<uint32_t> debug_info;     // DBGI: one entry per code entry
	std::vector<uint32_t> script_sources; // SCPT: one entry per script

	ByteReader file() const { return block.file(); }

	// String index n of the string table: the text after the length word that STRG
	// lists at position n. Throws DataError for a bad index or string.
	std::string_view string_by_index(uint32_t index) const;

	// The game's name from the header, or an empty text.
	std::string game_name() const;
};
