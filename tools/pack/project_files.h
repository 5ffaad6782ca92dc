// project_files.h: helpers the project readers share: listing a resource
// folder, reading text and code files, and the readers of each resource kind.
#pragma once

#include <string>
#include <vector>

#include "json_file.h"
#include "project.h"

// A resource found in a folder: its name and the file it was found by.
struct ResourceFile
{
	std::string name;
	std::string path;  // full path
	std::string shown; // relative to the project, for messages
	std::string ext;   // ".json", ".png", ...
};

// The resources of a sub-folder, sorted by name: files with one of the given
// extensions (the first listed wins when a name has several). A missing
// folder has none. Names must be valid game-code identifiers.
std::vector<ResourceFile> list_resources(const Project &p, const std::string &sub,
                                         const std::vector<std::string> &extensions);

std::string read_text_file(const std::string &path, const std::string &shown);
std::vector<uint8_t> read_binary_file(const std::string &path, const std::string &shown);
bool is_identifier(const std::string &name);

// A code field of a JSON node: inline text under `key`, or a file named by
// `key` + "_file" (relative to `folder`, shown as `shown_folder`). The result
// is a piece of the project named `entry`, or no code.
CodeRef code_field(Project &p, const JsonNode &node, const char *key, const std::string &entry,
                   const std::string &folder, const std::string &shown_folder);

// A resource index by name for a field (empty text or absent: -1); an unknown
// name throws naming the field.
int32_t resource_field(const Project &p, const JsonNode &node, const char *key, const char *kind);

// The readers of each kind. Names and indices are assigned for every kind
// before any reader runs, so references between resources resolve.
void read_sprites(Project &p, const std::vector<ResourceFile> &files);
void read_backgrounds(Project &p, const std::vector<ResourceFile> &files);
void read_fonts(Project &p, const std::vector<ResourceFile> &files);
void read_objects(Project &p, const std::vector<ResourceFile> &files);
void read_rooms(Project &p, const std::vector<ResourceFile> &files);
void read_timelines(Project &p, const std::vector<ResourceFile> &files);
