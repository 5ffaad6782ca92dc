// pack_game.cpp: the chunks of a packed game, in the order the Runner needs
// them: header and options, extensions and sounds, the images (backgrounds
// before the rooms that stretch them), paths, scripts, timelines, objects,
// rooms, included files, then the code with its VARI and FUNC chains (FUNC
// after the scripts and extensions it names), and the string table last.
#include "pack_game.h"

#include "code_emit.h"
#include "common/file_util.h"
#include "data/write_code.h"
#include "data/write_images.h"
#include "image_pages.h"
#include "json_file.h"
#include "project.h"

namespace {

// Turns the piece numbers of a code reference into what the file holds: the
// code index (bytecode) or the source text.
void settle(CodeRef &ref, const Project &p, bool bytecode)
{
	if (ref.index < 0)
		return;
	if (!bytecode) {
		ref.source = p.pieces[ref.index].source;
		ref.index = -1;
	}
}

void settle_all(Project &p, bool bytecode)
{
	for (ScriptSource &s : p.scripts)
		settle(s.code, p, bytecode);
	for (TimelineRecord &t : p.timelines)
		for (TimelineMoment &m : t.moments)
			settle(m.code, p, bytecode);
	for (auto &o : p.objects)
		for (auto &type : o->events)
			for (auto &e : type)
				if (e)
					settle(e->code, p, bytecode);
	for (RoomRecord &r : p.rooms) {
		settle(r.creation_code, p, bytecode);
		for (RoomInstance &i : r.instances)
			settle(i.creation_code, p, bytecode);
	}
}

template <typename T>
std::vector<const T *> pointers(const std::vector<T> &items)
{
	std::vector<const T *> out;
	for (const T &i : items)
		out.push_back(&i);
	return out;
}

void write_game(DataFileWriter &w, Project &p, const ImageChunks &images, std::vector<CodeEntrySpec> entries,
                bool bytecode)
{
	write_header(w, p.header, p.name, p.config);
	write_options(w, p.options, p.constants);
	write_extensions(w, p.extensions);
	std::vector<const SoundRecord *> sounds;
	std::vector<std::vector<uint8_t>> audio;
	for (const ProjectSound &s : p.sounds) {
		sounds.push_back(&s.record);
		audio.push_back(s.data);
	}
	write_sounds(w, sounds);
	write_audio(w, audio);
	write_image_chunks(w, images);
	write_paths(w, pointers(p.paths));
	write_scripts(w, pointers(p.scripts), bytecode);
	write_timelines(w, pointers(p.timelines), bytecode);
	std::vector<const CObject *> objects;
	for (const auto &o : p.objects)
		objects.push_back(o.get());
	write_objects(w, objects, p.header.major_version, bytecode);
	write_rooms(w, pointers(p.rooms), p.header.major_version, bytecode);
	write_included_files(w, p.included);
	if (bytecode) {
		std::string error;
		if (!write_code_chunks(w, std::move(entries), error))
			throw ProjectError(error);
	}
}

} // namespace

bool pack_project(const std::string &folder, const PackOptions &options, std::vector<uint8_t> &out,
                  std::string &error)
{
	try {
		Project p;
		read_project(folder, p);
		std::vector<CodeEntrySpec> entries;
		compile_project_code(p, options.bytecode, entries);
		ImageChunks images;
		build_image_chunks(p, images);
		settle_all(p, options.bytecode);
		DataFileWriter w;
		write_game(w, p, images, std::move(entries), options.bytecode);
		out = w.build();
		return true;
	} catch (const ProjectError &e) {
		error = e.what();
		return false;
	}
}

bool pack_project_to_file(const std::string &folder, const PackOptions &options, const std::string &path,
                          std::string &error)
{
	std::vector<uint8_t> bytes;
	if (!pack_project(folder, options, bytes, error))
		return false;
	if (!write_file_atomic(path, bytes.data(), bytes.size(), error)) {
		error = path + ": cannot write: " + error;
		return false;
	}
	return true;
}
