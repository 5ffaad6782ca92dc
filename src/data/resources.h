// resources.h: the records that the resource chunks describe (options, rooms,
// timelines, paths, sounds, extension packages) as the readers build them and
// the writers lay them out. Objects and scripts have tables of their own.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "code/code_ref.h"

// The options record (OPTN): the words at offsets 0 to 132, each kept as read.
// Only some have a meaning in the runner; the rest are stored.
struct GameOptions
{
	static constexpr size_t WORDS = 34;
	std::array<uint32_t, WORDS> words{};
	int32_t version_major = 0, version_minor = 0; // from the constants of those names

	GameOptions() { reset(); }
	// The values before the chunk is read: the flags at 12, 56, 60, 64, 68, 72,
	// 76, 88, 112 and 116 on, 100 at 16, 255 at 108, white window colour.
	void reset();

	uint32_t word(size_t offset) const { return words[offset / 4]; }
	void set_word(size_t offset, uint32_t value) { words[offset / 4] = value; }
	bool flag(size_t offset) const { return word(offset) != 0; }

	bool full_screen() const { return flag(0); }
	bool show_cursor() const { return flag(12); }
	uint32_t window_colour() const { return word(28); }
	bool set_display_mode() const { return flag(32); }
	uint32_t colour_depth() const { return word(36); }
	uint32_t resolution() const { return word(40); }
	uint32_t frequency() const { return word(44); }
	bool alt_enter() const { return flag(56); }
	bool freeze_inactive() const { return flag(84); }
	bool show_progress() const { return flag(88); }
	uint32_t loading_image() const { return word(100); }
	bool display_errors() const { return flag(116); }
	bool abort_on_all_errors() const { return flag(124); }
	bool unset_variable_error() const { return flag(128); }
	bool create_event_first() const { return flag(132); }
};

struct RoomBackground
{
	bool visible = false, foreground = false;
	int32_t index = -1;
	float x = 0, y = 0;
	bool htiled = false, vtiled = false;
	float hspeed = 0, vspeed = 0;
	bool stretch = false;
	float xscale = 1, yscale = 1;
	uint32_t blend = 0xFFFFFF;
	float alpha = 1;
};

struct RoomView
{
	bool visible = false;
	int32_t xview = 0, yview = 0, wview = 0, hview = 0;
	int32_t xport = 0, yport = 0, wport = 0, hport = 0;
	int32_t hborder = 0, vborder = 0, hspeed = 0, vspeed = 0;
	int32_t object = -1;
	float angle = 0;
	int32_t surface_id = -1; // set by game code; -1 draws to the screen
};

struct RoomInstance
{
	int32_t x = 0, y = 0;
	int32_t object = 0;
	int32_t id = 0;
	CodeRef creation_code;
	float xscale = 1, yscale = 1;
	uint32_t colour = 0xFFFFFFFF; // low 24 bits blend, top byte alpha x 255
	float angle = 0;
};

struct RoomTile
{
	int32_t x = 0, y = 0;
	int32_t background = 0;
	int32_t left = 0, top = 0, width = 0, height = 0;
	int32_t depth = 0;
	int32_t id = 0;
	float xscale = 1, yscale = 1;
	uint32_t colour = 0xFFFFFFFF;
};

struct RoomRecord
{
	std::string name, caption;
	uint32_t width = 0, height = 0, speed = 0;
	bool persistent = false;
	uint32_t colour = 0;
	bool show_colour = false;
	CodeRef creation_code;
	bool views_enabled = false;
	std::vector<RoomBackground> backgrounds; // as listed (8 in a normal file)
	std::vector<RoomView> views;             // as listed (8 in a normal file)
	std::vector<RoomInstance> instances;
	std::vector<RoomTile> tiles;
	bool physics_world = false;
	int32_t gravity_x = 0, gravity_y = 0; // truncated from the stored floats
	float physics_scale = 0;
};

struct TimelineMoment
{
	int32_t time = 0;
	CodeRef code;
};

struct TimelineRecord
{
	std::string name;
	std::vector<TimelineMoment> moments; // in file order
};

struct PathPoint
{
	float x = 0, y = 0, speed = 0;
};

struct PathRecord
{
	std::string name;
	uint32_t kind = 0; // 1 smooth curve, else straight lines
	bool closed = false;
	uint32_t precision = 0;
	std::vector<PathPoint> points;
};

struct SoundRecord
{
	std::string name;
	int32_t kind = 0;
	std::string text1, text2;
	uint32_t flags = 0;
	double volume = 1, pan = 0;
	bool preload = false;
	int32_t audio_index = -1;
	// The sound's data block given by AUDO: the encoded bytes inside the game
	// file (offset of the first byte and length); no data when length is 0 and
	// has_data is false.
	bool has_data = false;
	uint32_t data_offset = 0, data_length = 0;
};

struct ExtensionFunction
{
	std::string name;
	uint32_t id = 0;
	uint32_t call_kind = 0;   // 12 dll_cdecl, else dll_stdcall
	uint32_t result_type = 0; // 1 string, else real
	std::string external_name;
	std::vector<uint32_t> argument_types; // 1 string, else real
};

struct ExtensionFile
{
	std::string name, final_function, init_function;
	uint32_t kind = 0; // 1 native library
	std::vector<ExtensionFunction> functions;
};

struct ExtensionPackage
{
	std::string tag, name;
	std::vector<ExtensionFile> files;
};

// A resource table: one slot per resource index, null where the file leaves
// the index empty.
template <typename T>
using ResourceTable = std::vector<std::unique_ptr<T>>;
