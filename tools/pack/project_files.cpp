// project_files.cpp: listing resource folders, reading text and code files,
// resolving resource names, and the timeline reader.
#include "project_files.h"

#include <algorithm>
#include <filesystem>

#include "common/file_util.h"

namespace fs = std::filesystem;

bool is_identifier(const std::string &name)
{
	if (name.empty() || !(isalpha((unsigned char)name[0]) || name[0] == '_'))
		return false;
	return std::all_of(name.begin(), name.end(), [](char c) { return isalnum((unsigned char)c) || c == '_'; });
}

std::vector<ResourceFile> list_resources(const Project &p, const std::string &sub,
                                         const std::vector<std::string> &extensions)
{
	std::vector<ResourceFile> out;
	fs::path dir = fs::path(p.folder) / sub;
	std::error_code ec;
	if (!fs::is_directory(dir, ec))
		return out;
	for (const auto &entry : fs::directory_iterator(dir, ec)) {
		if (!entry.is_regular_file())
			continue;
		std::string ext = entry.path().extension().string();
		auto rank = std::find(extensions.begin(), extensions.end(), ext);
		if (rank == extensions.end())
			continue;
		ResourceFile f;
		f.name = entry.path().stem().string();
		f.path = entry.path().string();
		f.shown = sub + "/" + entry.path().filename().string();
		f.ext = ext;
		if (!is_identifier(f.name))
			throw ProjectError(f.shown + ": a resource name must be a letter or _ followed by letters, digits "
			                             "or _ (game code uses it as a name)");
		auto same = std::find_if(out.begin(), out.end(), [&](const ResourceFile &o) { return o.name == f.name; });
		if (same == out.end())
			out.push_back(f);
		else if (rank < std::find(extensions.begin(), extensions.end(), same->ext))
			*same = f;
	}
	std::sort(out.begin(), out.end(), [](const ResourceFile &a, const ResourceFile &b) { return a.name < b.name; });
	return out;
}

std::vector<uint8_t> read_binary_file(const std::string &path, const std::string &shown)
{
	std::vector<uint8_t> bytes;
	std::string error;
	if (!read_file(path, bytes, error))
		throw ProjectError(shown + ": cannot read: " + error);
	return bytes;
}

std::string read_text_file(const std::string &path, const std::string &shown)
{
	std::vector<uint8_t> bytes = read_binary_file(path, shown);
	return std::string(bytes.begin(), bytes.end());
}

CodeRef code_field(Project &p, const JsonNode &node, const char *key, const std::string &entry,
                   const std::string &folder, const std::string &shown_folder)
{
	std::string file_key = std::string(key) + "_file";
	bool inline_code = node.has(key), file_code = node.has(file_key.c_str());
	if (inline_code && file_code)
		node.fail(std::string("give either \"") + key + "\" or \"" + file_key + "\", not both");
	if (inline_code) {
		JsonNode v = node.member(key);
		return p.add_code(entry, v.as_string(), v.where());
	}
	if (file_code) {
		std::string name = node.member(file_key.c_str()).as_string();
		std::string shown = shown_folder + "/" + name;
		return p.add_code(entry, read_text_file(folder + "/" + name, shown), shown);
	}
	return {};
}

int32_t resource_field(const Project &p, const JsonNode &node, const char *key, const char *kind)
{
	std::string name = node.get_string(key);
	if (name.empty())
		return -1;
	int32_t index = p.find(kind, name);
	if (index < 0)
		node.member(key).fail(std::string("unknown ") + kind + " \"" + name + "\"");
	return index;
}

void read_timelines(Project &p, const std::vector<ResourceFile> &files)
{
	for (const ResourceFile &f : files) {
		JsonDoc doc;
		doc.load(f.path, f.shown);
		JsonNode j(doc.root(), f.shown);
		j.only_keys({"moments"});
		TimelineRecord t;
		t.name = f.name;
		JsonNode moments = j.member("moments");
		for (size_t i = 0; moments.raw() && i < moments.size(); i++) {
			JsonNode m = moments.item(i);
			m.only_keys({"step", "code", "code_file"});
			TimelineMoment moment;
			if (!m.has("step"))
				m.fail("a moment needs its \"step\"");
			moment.time = m.get_int("step", 0);
			std::string entry = "gml_Timeline_" + f.name + "_" + std::to_string(moment.time);
			moment.code = code_field(p, m, "code", entry, p.folder + "/timelines", "timelines");
			t.moments.push_back(std::move(moment));
		}
		std::stable_sort(t.moments.begin(), t.moments.end(),
		                 [](const TimelineMoment &a, const TimelineMoment &b) { return a.time < b.time; });
		p.timelines.push_back(std::move(t));
	}
}
