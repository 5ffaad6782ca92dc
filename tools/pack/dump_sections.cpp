// dump_sections.cpp: the chunk table and the section of each chunk: the resources the
// Runner's readers built, by kind, with their names and main fields.
#include "dump_sections.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "code/script_table.h"
#include "code/vm/disassemble.h"
#include "graphics/images.h"
#include "world/object.h"

namespace {

std::string format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char *fmt, ...)
{
	char buffer[512];
	va_list args;
	va_start(args, fmt);
	vsnprintf(buffer, sizeof buffer, fmt, args);
	va_end(args);
	return buffer;
}

std::string quoted(const std::string &text) { return "\"" + text + "\""; }

std::string code_entry_name(const DumpState &s, int32_t index)
{
	if (index < 0 || (size_t)index >= s.game.code_entries.size() || s.game.code_entries[index] == 0)
		return "?";
	try {
		ByteReader file = s.game.file();
		uint32_t name = file.u32(s.game.code_entries[index]);
		return name ? std::string(file.string(name)) : std::string();
	} catch (const DataError &) {
		return "?";
	}
}

std::string code_text(const DumpState &s, const CodeRef &code)
{
	if (code.index >= 0)
		return format("code %d (%s)", code.index, code_entry_name(s, code.index).c_str());
	// Games without bytecode carry their code as text: its start is shown.
	constexpr size_t SHOWN = 60;
	if (!code.source.empty())
		return "source \"" + escape_text(code.source.substr(0, SHOWN)) + (code.source.size() > SHOWN ? "...\"" : "\"");
	return "no code";
}

std::string sprite_ref(int32_t index)
{
	const ImageResources &r = images();
	if (index < 0)
		return format("%d", index);
	if ((size_t)index < r.sprites.size() && r.sprites[index])
		return format("%s (%d)", r.sprite_names[index].c_str(), index);
	return format("%d (not in the file)", index);
}

std::string object_ref(int32_t index)
{
	if (index < 0)
		return format("%d", index);
	return format("%s (%d)", object_table().name(index).c_str(), index);
}

std::string event_label(int32_t type, int32_t number)
{
	static const char *const kinds[] = {"Create", "Destroy", "Alarm", "Step", "Collision", "Keyboard",
	                                    "Mouse", "Other", "Draw", "Key Press", "Key Release", "Trigger"};
	switch (type) {
	case EV_CREATE:
	case EV_DESTROY:
	case EV_DRAW:
		return number == 0 ? kinds[type] : format("%s %d", kinds[type], number);
	case EV_ALARM:
		return event_name(type, number);
	case EV_STEP:
		return number == EV_STEP_BEGIN ? "Begin Step" : number == EV_STEP_END ? "End Step" : event_name(type, number);
	case EV_KEYPRESS:
	case EV_KEYRELEASE:
		return std::string(kinds[type]) + " " + key_name(number);
	case EV_COLLISION:
		return "Collision with " + object_ref(number);
	case EV_KEYBOARD:
	case EV_MOUSE:
	case EV_OTHER:
		return std::string(kinds[type]) + " " + event_name(type, number);
	default:
		return format("event type %d number %d", type, number);
	}
}

void print_header(DumpState &s)
{
	const GameHeader &h = s.game.header;
	s.out += format("  game %s, configuration %s, version %d\n", quoted(s.game.game_name()).c_str(),
	                quoted(s.game.config_name).c_str(), h.major_version);
	s.out += format("  window %u x %u, flags 0x%x, game id %u, last instance id %u, last tile id %u\n", h.window_width,
	                h.window_height, h.window_flags, h.game_id, h.last_instance_id, h.last_tile_id);
	s.out += "  room order:";
	for (int32_t room : h.room_order)
		s.out += format(" %d", room);
	s.out += "\n";
}

void print_options(DumpState &s)
{
	s.out += format("  %zu constants\n", s.game.user_constants.size());
	for (const UserConstant &c : s.game.user_constants)
		s.out += "    " + c.name + " = " + c.value + "\n";
}

void print_sprites(DumpState &s)
{
	const ImageResources &r = images();
	s.out += format("  %zu sprites\n", r.sprites.size());
	for (size_t i = 0; i < r.sprites.size(); i++) {
		const CSprite *p = r.sprites[i].get();
		if (!p)
			continue;
		s.out += format("    %zu %s: %d x %d, origin (%d, %d), %d frames, bbox %d %d %d %d (mode %d), %zu masks%s\n", i,
		                r.sprite_names[i].c_str(), p->width, p->height, p->x_origin, p->y_origin, p->frame_count(),
		                p->bbox_left, p->bbox_top, p->bbox_right, p->bbox_bottom, p->bbox_mode, p->masks.size(),
		                p->precise ? ", precise" : "");
	}
}

void print_backgrounds(DumpState &s)
{
	const ImageResources &r = images();
	s.out += format("  %zu backgrounds\n", r.backgrounds.size());
	for (size_t i = 0; i < r.backgrounds.size(); i++) {
		const CBackground *b = r.backgrounds[i].get();
		if (!b)
			continue;
		const TexturePageEntry *e = b->entry >= 0 && (size_t)b->entry < r.entries.size() ? &r.entries[b->entry] : nullptr;
		s.out += format("    %zu %s: %d x %d%s%s\n", i, r.background_names[i].c_str(), e ? e->bounding_width : 0,
		                e ? e->bounding_height : 0, b->transparent ? ", transparent" : "", b->smooth ? ", smooth" : "");
	}
}

void print_fonts(DumpState &s)
{
	const ImageResources &r = images();
	s.out += format("  %zu fonts\n", r.fonts.size());
	for (size_t i = 0; i < r.fonts.size(); i++) {
		const CFontData *f = r.fonts[i].get();
		if (!f)
			continue;
		s.out += format("    %zu %s: face %s, size %d%s%s, characters %d to %d, %zu glyphs, line height %d, image %d x %d\n",
		                i, f->name.c_str(), quoted(f->face_name).c_str(), f->size, f->bold ? " bold" : "",
		                f->italic ? " italic" : "", f->first, f->last, f->glyphs.size(), f->line_height,
		                f->image_width, f->image_height);
	}
}

void print_sounds(DumpState &s)
{
	s.out += format("  %zu sounds\n", s.game.sounds.size());
	for (size_t i = 0; i < s.game.sounds.size(); i++) {
		const SoundRecord *p = s.game.sounds[i].get();
		if (!p)
			continue;
		s.out += format("    %zu %s: kind %d, file %s, volume %g, pan %g, audio %d%s\n", i, p->name.c_str(), p->kind,
		                quoted(p->text1).c_str(), p->volume, p->pan, p->audio_index,
		                p->has_data ? format(" (%u bytes)", p->data_length).c_str() : "");
	}
}

void print_paths(DumpState &s)
{
	s.out += format("  %zu paths\n", s.game.paths.size());
	for (size_t i = 0; i < s.game.paths.size(); i++) {
		const PathRecord *p = s.game.paths[i].get();
		if (!p)
			continue;
		s.out += format("    %zu %s: %s, %s, precision %u, %zu points:", i, p->name.c_str(),
		                p->kind == 1 ? "smooth" : "straight", p->closed ? "closed" : "open", p->precision,
		                p->points.size());
		for (const PathPoint &pt : p->points)
			s.out += format(" (%g, %g, %g)", pt.x, pt.y, pt.speed);
		s.out += "\n";
	}
}

void print_scripts(DumpState &s)
{
	const ScriptTable &t = script_table();
	s.out += format("  %d scripts\n", t.count());
	for (int32_t i = 0; i < t.count(); i++)
		if (const CScript *p = t.find(i))
			s.out += format("    %d %s: %s\n", i, p->name.c_str(), code_text(s, p->code).c_str());
}

void print_objects(DumpState &s)
{
	const ObjectTable &t = object_table();
	s.out += format("  %d objects\n", t.count());
	for (int32_t i = 0; i < t.count(); i++) {
		const CObject *o = t.find(i);
		if (!o)
			continue;
		s.out += format("    %d %s: sprite %s, parent %s, depth %d, mask %d%s%s%s\n", i, o->name.c_str(),
		                sprite_ref(o->sprite_index).c_str(), object_ref(o->parent_index).c_str(),
		                o->depth, o->mask_index, o->visible() ? ", visible" : "", o->solid() ? ", solid" : "",
		                o->persistent() ? ", persistent" : "");
		for (size_t type = 0; type < o->events.size(); type++)
			for (size_t n = 0; n < o->events[type].size(); n++)
				if (const CEvent *e = o->events[type][n].get())
					s.out += "      " + event_label((int32_t)type, (int32_t)n) + ": " + code_text(s, e->code) + "\n";
	}
}

void print_rooms(DumpState &s)
{
	s.out += format("  %zu rooms\n", s.game.rooms.size());
	for (size_t i = 0; i < s.game.rooms.size(); i++) {
		const RoomRecord *p = s.game.rooms[i].get();
		if (!p)
			continue;
		s.out += format("    %zu %s: %u x %u, speed %u, %zu instances, %zu tiles%s%s, creation %s\n", i,
		                p->name.c_str(), p->width, p->height, p->speed, p->instances.size(), p->tiles.size(),
		                p->persistent ? ", persistent" : "", p->views_enabled ? ", views" : "",
		                code_text(s, p->creation_code).c_str());
	}
}

void print_timelines(DumpState &s)
{
	s.out += format("  %zu timelines\n", s.game.timelines.size());
	for (size_t i = 0; i < s.game.timelines.size(); i++) {
		const TimelineRecord *p = s.game.timelines[i].get();
		if (!p)
			continue;
		s.out += format("    %zu %s: %zu moments\n", i, p->name.c_str(), p->moments.size());
		for (const TimelineMoment &m : p->moments)
			s.out += format("      moment %d: %s\n", m.time, code_text(s, m.code).c_str());
	}
}

void print_extensions(DumpState &s)
{
	s.out += format("  %zu packages\n", s.game.extensions.size());
	for (const ExtensionPackage &p : s.game.extensions) {
		s.out += "    " + p.name + format(": %zu files\n", p.files.size());
		for (const ExtensionFile &f : p.files)
			s.out += format("      %s: kind %u, %zu functions\n", f.name.c_str(), f.kind, f.functions.size());
	}
}

void print_chains(DumpState &s, const std::vector<ChainName> &names, const char *what)
{
	s.out += format("  %zu %s\n", names.size(), what);
	for (const ChainName &n : names)
		s.out += format("    %s: %u references\n", n.name.c_str(), n.count);
}

void print_textures(DumpState &s, const Chunk &chunk)
{
	ByteReader file = s.game.file();
	std::vector<uint32_t> list = read_offset_list(file, chunk.body, chunk.body + chunk.size, "texture pages");
	s.out += format("  %zu pages\n", list.size());
	for (size_t i = 0; i < list.size(); i++) {
		if (list[i] == 0)
			continue;
		uint32_t image = file.u32((uint64_t)list[i] + 4);
		std::string kind = "not a PNG image";
		static const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
		if (file.contains(image, 24) && memcmp(file.data() + image, png, 8) == 0) {
			auto be32 = [&](uint64_t at) {
				return (uint32_t)file.u8(at) << 24 | (uint32_t)file.u8(at + 1) << 16 | (uint32_t)file.u8(at + 2) << 8 |
				       file.u8(at + 3);
			};
			kind = format("PNG %u x %u", be32(image + 16), be32(image + 20));
		}
		s.out += format("    page %zu: image at offset %u, %s\n", i, image, kind.c_str());
	}
}

void print_list_count(DumpState &s, const Chunk &chunk, const char *what)
{
	ByteReader file = s.game.file();
	std::vector<uint32_t> list = read_offset_list(file, chunk.body, chunk.body + chunk.size, what);
	s.out += format("  %zu %s\n", list.size(), what);
}

} // namespace

void print_chunk_table(DumpState &s)
{
	s.out += format("%zu chunks:\n", s.chunks.size());
	for (const Chunk &c : s.chunks)
		s.out += format("  %-4s  offset %10llu  size %10u\n", tag_text(c.tag).c_str(), (unsigned long long)c.start,
		                c.size);
	if (s.cut_chunk)
		s.out += format("  %-4s  offset %10llu  size %10u  runs past the end of the file: not read\n",
		                tag_text(s.cut_chunk->tag).c_str(), (unsigned long long)s.cut_chunk->start, s.cut_chunk->size);
}

void print_chunk_section(DumpState &s, const Chunk &chunk)
{
	std::string tag = tag_text(chunk.tag);
	s.out += format("\n%s at offset %llu, %u bytes\n", tag.c_str(), (unsigned long long)chunk.start, chunk.size);
	if (chunk.size == 0) {
		s.out += "  empty\n";
		return;
	}
	if (s.damaged.count(chunk.start)) {
		s.out += "  damaged: not listed (see the damage found below)\n";
		return;
	}
	try {
		if (tag == "GEN8" || tag == "GEN7" || tag == "GENL")
			print_header(s);
		else if (tag == "OPTN")
			print_options(s);
		else if (tag == "STRG")
			s.out += format("  %zu strings\n", s.game.strings.size());
		else if (tag == "SPRT")
			print_sprites(s);
		else if (tag == "BGND")
			print_backgrounds(s);
		else if (tag == "FONT")
			print_fonts(s);
		else if (tag == "SOND")
			print_sounds(s);
		else if (tag == "AUDO")
			print_list_count(s, chunk, "audio blocks");
		else if (tag == "PATH")
			print_paths(s);
		else if (tag == "SCPT")
			print_scripts(s);
		else if (tag == "OBJT")
			print_objects(s);
		else if (tag == "ROOM")
			print_rooms(s);
		else if (tag == "TMLN")
			print_timelines(s);
		else if (tag == "EXTN")
			print_extensions(s);
		else if (tag == "DAFL")
			s.out += format("  %zu included files\n", s.game.included_files.size());
		else if (tag == "TPAG")
			s.out += format("  %zu texture-page entries\n", images().page_list.size());
		else if (tag == "TXTR")
			print_textures(s, chunk);
		else if (tag == "VARI")
			print_chains(s, s.variable_names, "variables");
		else if (tag == "FUNC")
			print_chains(s, s.function_names, "functions");
		else if (tag == "CODE")
			print_code(s, chunk);
		else
			s.out += "  a chunk the Runner does not know\n";
	} catch (const DataError &e) {
		s.error(chunk, e.offset(), e.what());
		s.out += "  damaged: the rest is not listed (see the damage found below)\n";
	}
}
