// project.h: a game project as the packer reads it from its folder: the
// manifest, every resource with its fields, and the pieces of game code that
// the resources point at (CodeRef::index is the piece number until the code
// is written out).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/game_data.h"
#include "data/resource_writers.h"
#include "data/resources.h"
#include "graphics/bitmap.h"
#include "world/object.h"

// One piece of game code: the name of its code entry, its text and where the
// text came from (for compile errors).
struct CodePiece
{
	std::string name;
	std::string source;
	std::string file;
};

struct ProjectSprite
{
	std::string name;
	std::vector<std::string> frame_files; // shown names, relative to the project
	std::vector<CBitmap32> frames;
	int32_t origin_x = 0, origin_y = 0;
	bool precise = false;        // collision mask per pixel from the alpha
	bool separate_masks = false; // one mask per frame instead of one for all
	int32_t tolerance = 0;       // alpha at or below which a pixel is empty
	int32_t bbox_mode = 0;       // 0 automatic, 1 full image, 2 manual
	int32_t bbox_left = 0, bbox_top = 0, bbox_right = 0, bbox_bottom = 0; // manual box
	bool transparent = true, smooth = false, preload = true;
};

struct ProjectBackground
{
	std::string name;
	std::string file;
	CBitmap32 image;
	bool transparent = false, smooth = false, preload = true;
};

struct ProjectFont
{
	std::string name;
	std::string face;      // a font file (path) or empty for the default face
	std::string face_name; // the face name stored in the record
	int32_t size = 12;
	bool bold = false, italic = false, antialias = true;
	int32_t first = 32, last = 127;
};

struct ProjectSound
{
	SoundRecord record;
	std::vector<uint8_t> data; // the encoded file, empty for none
};

struct Project
{
	std::string folder;
	std::string name = "Game", config = "Default";
	GameHeader header;
	GameOptions options;
	std::vector<UserConstant> constants;

	std::vector<ProjectSprite> sprites;
	std::vector<ProjectBackground> backgrounds;
	std::vector<ProjectFont> fonts;
	std::vector<ProjectSound> sounds;
	std::vector<PathRecord> paths;
	std::vector<ScriptSource> scripts;
	std::vector<std::unique_ptr<CObject>> objects;
	std::vector<TimelineRecord> timelines;
	std::vector<RoomRecord> rooms;
	std::vector<std::vector<uint8_t>> included; // each block: name, then the bytes
	std::vector<ExtensionPackage> extensions;

	std::vector<CodePiece> pieces;

	// Resource indices by name, per kind ("sprite", "object", ...).
	std::map<std::string, std::map<std::string, int32_t>> index;

	// The index of a resource of a kind, or -1.
	int32_t find(const std::string &kind, const std::string &name) const;
	// Adds a piece of code and returns a reference to it; empty text gives none.
	CodeRef add_code(const std::string &entry_name, const std::string &source, const std::string &file);
};

// Reads a project folder (game.json and the resource folders). Throws
// ProjectError naming the file and the place of the first fault.
void read_project(const std::string &folder, Project &project);
