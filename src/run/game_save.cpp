// game_save.cpp: the saved-game file (docs/save-format.md): writing the running
// game, reading a file whole with every count and index checked, and putting
// the saved rooms, instances and global state in place of the running ones.
#include "run/game_save.h"

#include <algorithm>
#include <cmath>

#include "code/errors.h"
#include "code/variables.h"
#include "common/binary_stream.h"
#include "common/file_util.h"
#include "common/paths.h"
#include "run/rooms.h"
#include "world/instance_save.h"
#include "world/instances.h"
#include "world/object.h"

namespace {

constexpr int32_t SAVE_FILE_END = 0x444E455A; // "ZEND"
// Bounds that no real room reaches; they keep a damaged file from asking for
// huge tables before its data runs out.
constexpr int32_t MAX_ROOM_LAYERS = 64;
constexpr uint64_t TILE_BYTES = 8 * 2 + 4 * 5 + 8 + 4 + 8 * 2 + 4 + 8 + 4;

std::unique_ptr<SavedGame> g_pending;

// ---- Writing ----

void save_values(StreamWriter &out)
{
	const GameValues &g = game_values();
	out.i32(g.score);
	out.i32(g.lives);
	out.f64(g.health);
	out.i32(g.cursor_sprite);
	out.i32((g.show_score ? 1 : 0) | (g.show_lives ? 2 : 0) | (g.show_health ? 4 : 0));
	out.string(g.caption_score);
	out.string(g.caption_lives);
	out.string(g.caption_health);
}

void save_background(StreamWriter &out, const RoomBackground &b)
{
	out.i32((b.visible ? 1 : 0) | (b.foreground ? 2 : 0) | (b.htiled ? 4 : 0) | (b.vtiled ? 8 : 0) |
	        (b.stretch ? 16 : 0));
	out.i32(b.index);
	for (float v : {b.x, b.y, b.hspeed, b.vspeed, b.xscale, b.yscale, b.alpha})
		out.f64(v);
	out.i32((int32_t)b.blend);
}

void save_view(StreamWriter &out, const RoomView &v)
{
	for (int32_t n : {(int32_t)v.visible, v.xview, v.yview, v.wview, v.hview, v.xport, v.yport, v.wport, v.hport,
	                  v.hborder, v.vborder, v.hspeed, v.vspeed, v.object})
		out.i32(n);
	out.f64(v.angle);
}

void save_tile(StreamWriter &out, const LiveTile &t)
{
	out.f64(t.x);
	out.f64(t.y);
	for (int32_t n : {t.background, t.left, t.top, t.width, t.height})
		out.i32(n);
	out.f64(t.depth);
	out.i32(t.id);
	out.f64(t.xscale);
	out.f64(t.yscale);
	out.i32((int32_t)t.blend);
	out.f64(t.alpha);
	out.i32(t.visible ? 1 : 0);
}

// Destroyed instances waiting for removal are not saved.
void save_chain(StreamWriter &out, const InstanceChain &chain)
{
	int32_t n = 0;
	for (CInstance *i = chain.head; i; i = i->next)
		n += i->marked ? 0 : 1;
	out.i32(n);
	for (CInstance *i = chain.head; i; i = i->next)
		if (!i->marked)
			save_instance(out, *i);
}

void save_room(StreamWriter &out, int32_t index, const CRoom &room)
{
	const RoomRecord &r = room.record;
	out.i32(index);
	out.string(r.caption);
	for (int32_t n : {(int32_t)r.width, (int32_t)r.height, (int32_t)r.speed, (int32_t)r.colour})
		out.i32(n);
	out.i32((r.persistent ? 1 : 0) | (r.show_colour ? 2 : 0) | (r.views_enabled ? 4 : 0));
	out.i32((int32_t)r.backgrounds.size());
	for (const RoomBackground &b : r.backgrounds)
		save_background(out, b);
	out.i32((int32_t)r.views.size());
	for (const RoomView &v : r.views)
		save_view(out, v);
	out.i32((int32_t)room.tiles.tiles.size());
	for (const LiveTile &t : room.tiles.tiles)
		save_tile(out, t);
	save_chain(out, room.instances.active);
	save_chain(out, room.instances.deactivated);
}

// ---- Reading ----

int32_t read_flags(StreamReader &in, int32_t known, const char *what)
{
	size_t at = in.position();
	int32_t flags = in.i32();
	if (flags & ~known)
		throw DataError(at, std::string(what) + " has unknown flags " + std::to_string(flags));
	return flags;
}

int32_t read_count(StreamReader &in, uint64_t item_bytes, int32_t limit, const char *what)
{
	size_t at = in.position();
	int32_t n = in.i32();
	if (n < 0 || n > limit)
		throw DataError(at, std::string("the number of ") + what + " is " + std::to_string(n));
	in.expect((uint64_t)n, item_bytes, what);
	return n;
}

void read_values(StreamReader &in, GameValues &g)
{
	g.score = in.i32();
	g.lives = in.i32();
	g.health = in.f64();
	g.cursor_sprite = in.i32();
	int32_t shown = read_flags(in, 7, "the score display");
	g.show_score = shown & 1;
	g.show_lives = shown & 2;
	g.show_health = shown & 4;
	g.caption_score = in.string();
	g.caption_lives = in.string();
	g.caption_health = in.string();
}

RoomBackground read_background(StreamReader &in)
{
	RoomBackground b;
	int32_t flags = read_flags(in, 31, "a background");
	b.visible = flags & 1;
	b.foreground = flags & 2;
	b.htiled = flags & 4;
	b.vtiled = flags & 8;
	b.stretch = flags & 16;
	b.index = in.i32();
	for (float *v : {&b.x, &b.y, &b.hspeed, &b.vspeed, &b.xscale, &b.yscale, &b.alpha})
		*v = (float)in.f64();
	b.blend = (uint32_t)in.i32();
	return b;
}

RoomView read_view(StreamReader &in)
{
	RoomView v;
	v.visible = read_flags(in, 1, "a view") != 0;
	for (int32_t *n : {&v.xview, &v.yview, &v.wview, &v.hview, &v.xport, &v.yport, &v.wport, &v.hport,
	                   &v.hborder, &v.vborder, &v.hspeed, &v.vspeed, &v.object})
		*n = in.i32();
	v.angle = (float)in.f64();
	return v;
}

LiveTile read_tile(StreamReader &in)
{
	LiveTile t;
	t.x = (float)in.f64();
	t.y = (float)in.f64();
	for (int32_t *n : {&t.background, &t.left, &t.top, &t.width, &t.height})
		*n = in.i32();
	t.depth = (float)in.f64();
	t.id = in.i32();
	t.xscale = (float)in.f64();
	t.yscale = (float)in.f64();
	t.blend = (uint32_t)in.i32();
	t.alpha = (float)in.f64();
	t.visible = read_flags(in, 1, "a tile") != 0;
	return t;
}

void read_chain(StreamReader &in, std::vector<std::unique_ptr<CInstance>> &out, std::vector<int32_t> &ids,
                bool deactivated)
{
	int32_t n = read_count(in, SAVED_INSTANCE_MIN_BYTES, INT32_MAX, "instances");
	for (int32_t k = 0; k < n; k++) {
		size_t at = in.position();
		std::unique_ptr<CInstance> instance = read_saved_instance(in);
		if (instance->deactivated != deactivated)
			throw DataError(at, "instance " + std::to_string(instance->id) + " is in the wrong list");
		ids.push_back(instance->id);
		out.push_back(std::move(instance));
	}
}

void read_room(const GameData &game, StreamReader &in, SavedRoom &room)
{
	size_t at = in.position();
	room.index = in.i32();
	if (room.index < 0 || (size_t)room.index >= game.rooms.size() || !game.rooms[room.index])
		throw DataError(at, "room " + std::to_string(room.index) + " does not exist in this game");
	RoomRecord &r = room.record;
	r = *game.rooms[room.index];
	r.instances.clear();
	r.tiles.clear();
	r.caption = in.string();
	for (uint32_t *n : {&r.width, &r.height, &r.speed, &r.colour})
		*n = (uint32_t)in.i32();
	int32_t flags = read_flags(in, 7, "a room");
	r.persistent = flags & 1;
	r.show_colour = flags & 2;
	r.views_enabled = flags & 4;
	r.backgrounds.resize((size_t)read_count(in, 68, MAX_ROOM_LAYERS, "backgrounds"));
	for (RoomBackground &b : r.backgrounds)
		b = read_background(in);
	r.views.resize((size_t)read_count(in, 64, MAX_ROOM_LAYERS, "views"));
	for (RoomView &v : r.views)
		v = read_view(in);
	room.tiles.resize((size_t)read_count(in, TILE_BYTES, INT32_MAX, "tiles"));
	for (LiveTile &t : room.tiles)
		t = read_tile(in);
	std::vector<int32_t> ids;
	read_chain(in, room.active, ids, false);
	read_chain(in, room.deactivated, ids, true);
	std::sort(ids.begin(), ids.end());
	auto twice = std::adjacent_find(ids.begin(), ids.end());
	if (twice != ids.end())
		throw DataError(in.position(), "room " + std::to_string(room.index) + " holds instance " +
		                                   std::to_string(*twice) + " twice");
}

void read_game(const GameData &game, StreamReader &in, SavedGame &out)
{
	if (in.i32() != SAVE_FILE_MAGIC)
		throw DataError(0, "this is not a saved game");
	int32_t version = in.i32();
	if (version != SAVE_FILE_VERSION)
		throw DataError(4, "the saved game has the unknown version " + std::to_string(version));
	int32_t game_id = in.i32();
	if ((uint32_t)game_id != game.header.game_id)
		throw DataError(8, "the saved game belongs to another game (id " + std::to_string(game_id) + ")");
	read_values(in, out.values);
	out.last_instance_id = in.i32();
	size_t at = in.position();
	if (in.i32() != GLOBALS_SAVE_TAG)
		throw DataError(at, "the global variables are missing");
	std::string error;
	if (!read_saved_globals(in, out.globals, &error))
		throw SavedFormError("the global variables: " + error);
	at = in.position();
	out.current_room = in.i32();
	int32_t rooms = read_count(in, 4, (int32_t)std::min<size_t>(game.rooms.size(), INT32_MAX), "rooms");
	out.rooms.resize((size_t)rooms);
	for (SavedRoom &room : out.rooms)
		read_room(game, in, room);
	for (size_t a = 0; a < out.rooms.size(); a++)
		for (size_t b = a + 1; b < out.rooms.size(); b++)
			if (out.rooms[a].index == out.rooms[b].index)
				throw DataError(at, "room " + std::to_string(out.rooms[a].index) + " is saved twice");
	bool current_saved = std::any_of(out.rooms.begin(), out.rooms.end(),
	                                 [&](const SavedRoom &r) { return r.index == out.current_room; });
	if (!current_saved && !(out.current_room == -1 && game.header.room_order.empty()))
		throw DataError(at, "the current room " + std::to_string(out.current_room) + " is not saved");
	at = in.position();
	if (in.i32() != SAVE_FILE_END || !in.at_end())
		throw DataError(at, "the saved game does not end where its data ends");
}

// A relative name is written in the local save directory and read from there
// first, then from the game directory.
std::string path_for_writing(const std::string &name)
{
	std::string path = to_slashes(name);
	if (path.empty() || path[0] == '/')
		return path;
	const std::string &saves = game_paths().save_directory();
	return saves.empty() ? game_paths().resolve(path) : saves + path;
}

std::string path_for_reading(const std::string &name)
{
	std::string path = to_slashes(name);
	if (path.empty() || path[0] == '/')
		return path;
	std::string saved = game_paths().save_directory() + path;
	return !game_paths().save_directory().empty() && file_exists(saved) ? saved : game_paths().resolve(path);
}

void install_chain(std::vector<std::unique_ptr<CInstance>> &saved, InstanceChain &chain, bool current)
{
	for (auto &owned : saved) {
		CInstance *i = owned.release();
		i->object = object_table().find(i->object_index);
		chain.append(i);
		if (current)
			register_instance(*i);
	}
	saved.clear();
}

} // namespace

std::vector<uint8_t> save_game_bytes(const GameData &game)
{
	StreamWriter out;
	out.i32(SAVE_FILE_MAGIC);
	out.i32(SAVE_FILE_VERSION);
	out.i32((int32_t)game.header.game_id);
	save_values(out);
	out.i32(last_instance_id());
	save_global_variables(out);
	const RoomState &s = room_state();
	out.i32(s.current_index);
	int32_t rooms = 0;
	for (const auto &room : s.slots)
		rooms += room ? 1 : 0;
	out.i32(rooms);
	for (size_t index = 0; index < s.slots.size(); index++)
		if (s.slots[index])
			save_room(out, (int32_t)index, *s.slots[index]);
	out.i32(SAVE_FILE_END);
	return std::move(out.bytes());
}

bool read_saved_game(const GameData &game, std::span<const uint8_t> bytes, SavedGame &out, std::string &error)
{
	StreamReader in(bytes);
	try {
		read_game(game, in, out);
		return true;
	} catch (const DataError &e) {
		error = std::string(e.what()) + " (at byte " + std::to_string(e.offset()) + ")";
	} catch (const SavedFormError &e) {
		error = e.what();
	}
	return false;
}

void apply_saved_game(GameData &game, SavedGame &saved)
{
	RoomState &s = room_state();
	set_current_room_instances(nullptr);
	set_current_room_tiles(nullptr);
	s.current = nullptr;
	s.current_index = -1;
	s.carried.clear();
	s.slots.clear();
	reset_instances(saved.last_instance_id);
	GameValues &values = game_values();
	saved.values.transition_kind = 0;
	saved.values.game_id = values.game_id;
	saved.values.debug_mode = values.debug_mode;
	values = saved.values;
	apply_saved_globals(saved.globals);

	s.slots.resize(game.rooms.size());
	for (SavedRoom &room : saved.rooms) {
		auto live = std::make_unique<CRoom>();
		live->resource = game.rooms[room.index].get();
		live->record = std::move(room.record);
		live->tiles.tiles = std::move(room.tiles);
		bool current = room.index == saved.current_room;
		install_chain(room.active, live->instances.active, current);
		install_chain(room.deactivated, live->instances.deactivated, current);
		s.slots[room.index] = std::move(live);
	}
	set_room_request(ROOM_REQUEST_NONE);
	if (saved.current_room >= 0) {
		s.current_index = saved.current_room;
		s.current = s.slots[saved.current_room].get();
		set_current_room_instances(&s.current->instances);
		set_current_room_tiles(&s.current->tiles);
		room_window_follows(*s.current);
	}
}

void game_save_file(const GameData &game, const std::string &name)
{
	std::vector<uint8_t> bytes = save_game_bytes(game);
	std::string error;
	if (!write_file_atomic(path_for_writing(name), bytes.data(), bytes.size(), error))
		report_error("Unable to save the game to " + name + ": " + error);
}

void game_load_file(const GameData &game, const std::string &name)
{
	std::string path = path_for_reading(name), error;
	std::vector<uint8_t> bytes;
	auto saved = std::make_unique<SavedGame>();
	if (!read_file(path, bytes, error) || !read_saved_game(game, bytes, *saved, error)) {
		report_error("Unable to load the game from " + name + ": " + error);
		return;
	}
	g_pending = std::move(saved);
	set_room_request(ROOM_REQUEST_LOAD);
}

void apply_pending_load(GameData &game)
{
	std::unique_ptr<SavedGame> saved = std::move(g_pending);
	set_room_request(ROOM_REQUEST_NONE);
	if (saved)
		apply_saved_game(game, *saved);
}

void drop_pending_load() { g_pending.reset(); }
