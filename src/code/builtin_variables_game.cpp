// builtin_variables_game.cpp: the routines of the built-in variables owned by
// the running code and the game: arguments, score, lives, health, the
// transition kind, directories, date and time, the system and the error state.
#include <sys/utsname.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "code/arguments.h"
#include "code/builtin_variable_routines.h"
#include "code/builtin_variables.h"
#include "common/game_clock.h"
#include "code/errors.h"
#include "common/console.h"
#include "common/paths.h"
#include "world/instance.h"

namespace {

bool g_argument_relative = false;

// Event numbers of the "other" events the game values raise.
constexpr int32_t EVENT_NO_MORE_LIVES = 6;
constexpr int32_t EVENT_NO_MORE_HEALTH = 9;

bool put(Value &out, double real)
{
	out.set_real(real);
	return true;
}

bool put_text(Value &out, std::string_view text)
{
	out.set_string(text);
	return true;
}

// The local date and time of the game clock (fixed while input is recorded or
// played back).
std::tm local_now()
{
	ClockReading clock = clock_now();
	std::time_t local = (std::time_t)(clock.unix_s + clock.utc_offset_s);
	std::tm parts{};
	gmtime_r(&local, &parts);
	return parts;
}

} // namespace

void set_argument_relative(bool relative) { g_argument_relative = relative; }
bool argument_relative() { return g_argument_relative; }

namespace builtin_rows {

bool read_zero(CInstance *, int32_t, Value &out) { return put(out, 0.0); }
bool accept_write(CInstance *, int32_t, const Value &) { return true; }

bool get_id(CInstance *self, int32_t, Value &out) { return self ? put(out, self->id) : false; }
bool get_object_index(CInstance *self, int32_t, Value &out) { return self ? put(out, self->object_index) : false; }

bool get_argument_relative(CInstance *, int32_t, Value &out) { return put(out, g_argument_relative ? 1 : 0); }

bool get_argument(CInstance *, int32_t index, Value &out)
{
	out = script_arguments().values[builtin_element(index, MAX_ARGUMENTS)];
	return true;
}

bool set_argument(CInstance *, int32_t index, const Value &v)
{
	script_arguments().write_at(builtin_element(index, MAX_ARGUMENTS)) = v;
	return true;
}

template <int N>
bool get_argument_n(CInstance *, int32_t, Value &out)
{
	out = script_arguments().values[N];
	return true;
}

template <int N>
bool set_argument_n(CInstance *, int32_t, const Value &v)
{
	script_arguments().write_at(N) = v;
	return true;
}

const VariableGetter argument_getters[16] = {
	get_argument_n<0>, get_argument_n<1>, get_argument_n<2>, get_argument_n<3>,
	get_argument_n<4>, get_argument_n<5>, get_argument_n<6>, get_argument_n<7>,
	get_argument_n<8>, get_argument_n<9>, get_argument_n<10>, get_argument_n<11>,
	get_argument_n<12>, get_argument_n<13>, get_argument_n<14>, get_argument_n<15>,
};

const VariableSetter argument_setters[16] = {
	set_argument_n<0>, set_argument_n<1>, set_argument_n<2>, set_argument_n<3>,
	set_argument_n<4>, set_argument_n<5>, set_argument_n<6>, set_argument_n<7>,
	set_argument_n<8>, set_argument_n<9>, set_argument_n<10>, set_argument_n<11>,
	set_argument_n<12>, set_argument_n<13>, set_argument_n<14>, set_argument_n<15>,
};

bool get_argument_count(CInstance *, int32_t, Value &out) { return put(out, script_arguments().count); }

bool get_debug_mode(CInstance *, int32_t, Value &out) { return put(out, game_values().debug_mode ? 1 : 0); }

bool get_transition_kind(CInstance *, int32_t, Value &out) { return put(out, game_values().transition_kind); }

bool set_transition_kind(CInstance *, int32_t, const Value &v)
{
	GameValues &g = game_values();
	g.transition_kind = nearest_int32(v.real());
	dbg_console().Output("BUG: Room transitions don't function well - setting to 0 - look at Variable_BuiltIn "
	                     "SV_TransitionKind() .\n");
	g.transition_kind = 0;
	return true;
}

bool get_score(CInstance *, int32_t, Value &out) { return put(out, game_values().score); }

bool set_score(CInstance *, int32_t, const Value &v)
{
	game_values().score = nearest_int32(v.real());
	return true;
}

bool get_lives(CInstance *, int32_t, Value &out) { return put(out, game_values().lives); }

bool set_lives(CInstance *, int32_t, const Value &v)
{
	GameValues &g = game_values();
	int32_t old = g.lives;
	g.lives = nearest_int32(v.real());
	if (old >= 1 && g.lives <= 0)
		perform_other_event_for_all(EVENT_NO_MORE_LIVES);
	return true;
}

bool get_health(CInstance *, int32_t, Value &out) { return put(out, game_values().health); }

bool set_health(CInstance *, int32_t, const Value &v)
{
	GameValues &g = game_values();
	double old = g.health;
	g.health = v.real();
	if (old > 0 && g.health <= 0)
		perform_other_event_for_all(EVENT_NO_MORE_HEALTH);
	return true;
}

bool get_game_id(CInstance *, int32_t, Value &out) { return put(out, game_values().game_id); }

bool get_working_directory(CInstance *, int32_t, Value &out)
{
	return put_text(out, game_paths().game_directory());
}

bool get_temp_directory(CInstance *, int32_t, Value &out)
{
	const char *tmp = getenv("TMPDIR");
	std::string dir = tmp && *tmp ? to_slashes(tmp) : std::string("/tmp");
	if (dir.back() != '/')
		dir += '/';
	return put_text(out, dir);
}

bool get_program_directory(CInstance *, int32_t, Value &out)
{
	return put_text(out, directory_of(game_paths().program_file()));
}

bool get_instance_count(CInstance *, int32_t, Value &out)
{
	return put(out, instance_directory().room_instance_count());
}

bool get_instance_id(CInstance *, int32_t index, Value &out)
{
	IInstanceDirectory &dir = instance_directory();
	CInstance *inst = index >= 0 && index < dir.room_instance_count() ? dir.room_instance(index) : nullptr;
	return put(out, inst ? inst->id : -4);
}

bool get_cursor_sprite(CInstance *, int32_t, Value &out) { return put(out, game_values().cursor_sprite); }

bool set_cursor_sprite(CInstance *, int32_t, const Value &v)
{
	game_values().cursor_sprite = nearest_int32(v.real());
	return true;
}

bool get_show_score(CInstance *, int32_t, Value &out) { return put(out, game_values().show_score ? 1 : 0); }
bool get_show_lives(CInstance *, int32_t, Value &out) { return put(out, game_values().show_lives ? 1 : 0); }
bool get_show_health(CInstance *, int32_t, Value &out) { return put(out, game_values().show_health ? 1 : 0); }

bool set_show_score(CInstance *, int32_t, const Value &v)
{
	game_values().show_score = flag_rounded(v);
	return true;
}

bool set_show_lives(CInstance *, int32_t, const Value &v)
{
	game_values().show_lives = flag_rounded(v);
	return true;
}

bool set_show_health(CInstance *, int32_t, const Value &v)
{
	game_values().show_health = flag_rounded(v);
	return true;
}

bool get_caption_score(CInstance *, int32_t, Value &out) { return put_text(out, game_values().caption_score); }
bool get_caption_lives(CInstance *, int32_t, Value &out) { return put_text(out, game_values().caption_lives); }
bool get_caption_health(CInstance *, int32_t, Value &out) { return put_text(out, game_values().caption_health); }

bool set_caption_score(CInstance *, int32_t, const Value &v)
{
	game_values().caption_score.assign(v.text());
	return true;
}

bool set_caption_lives(CInstance *, int32_t, const Value &v)
{
	game_values().caption_lives.assign(v.text());
	return true;
}

bool set_caption_health(CInstance *, int32_t, const Value &v)
{
	game_values().caption_health.assign(v.text());
	return true;
}

// Milliseconds since the system started.
bool get_current_time(CInstance *, int32_t, Value &out)
{
	return put(out, (double)clock_now().boot_ms);
}

bool get_current_year(CInstance *, int32_t, Value &out) { return put(out, local_now().tm_year + 1900); }
bool get_current_month(CInstance *, int32_t, Value &out) { return put(out, local_now().tm_mon + 1); }
bool get_current_day(CInstance *, int32_t, Value &out) { return put(out, local_now().tm_mday); }
bool get_current_weekday(CInstance *, int32_t, Value &out) { return put(out, local_now().tm_wday); }
bool get_current_hour(CInstance *, int32_t, Value &out) { return put(out, local_now().tm_hour); }
bool get_current_minute(CInstance *, int32_t, Value &out) { return put(out, local_now().tm_min); }
bool get_current_second(CInstance *, int32_t, Value &out) { return put(out, local_now().tm_sec); }

bool get_error_occurred(CInstance *, int32_t, Value &out) { return put(out, ::error_occurred() ? 1 : 0); }

bool set_error_occurred(CInstance *, int32_t, const Value &v)
{
	::set_error_occurred(v.real() >= 0.5);
	return true;
}

bool get_error_last(CInstance *, int32_t, Value &out) { return put_text(out, ::error_last()); }

bool set_error_last(CInstance *, int32_t, const Value &v)
{
	::set_error_last(v.text());
	return true;
}

// The system the game was made for: games compare os_type with the Windows
// value 0; the version is the running kernel's (major << 16 | minor).
bool get_os_type(CInstance *, int32_t, Value &out) { return put(out, 0); }
bool get_os_device(CInstance *, int32_t, Value &out) { return put(out, 0); }
bool get_os_browser(CInstance *, int32_t, Value &out) { return put(out, -1); }

bool get_os_version(CInstance *, int32_t, Value &out)
{
	utsname name{};
	int major = 0, minor = 0;
	if (uname(&name) == 0)
		sscanf(name.release, "%d.%d", &major, &minor);
	return put(out, (double)((major << 16) | minor));
}

} // namespace builtin_rows
