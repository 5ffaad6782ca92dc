// fn_timeline.cpp: the alarm and timeline rows of instances and the timeline_
// functions that query and change the timeline table.
#include <algorithm>
#include <memory>

#include "code/builtin_args.h"
#include "code/builtin_variables.h"
#include "code/compiler/code_compile.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/function_table.h"
#include "code/vm/code.h"
#include "data/game_data.h"
#include "run/rooms.h"
#include "run/timelines.h"
#include "world/instance.h"

namespace {

int32_t arg_int32(int argc, const Value *args, int i) { return nearest_int32(arg_real(argc, args, i)); }

bool get_alarm(CInstance *i, int32_t index, Value &out)
{
	if (!i)
		return false;
	out.set_real(i->alarm[builtin_element(index, ALARM_COUNT)]);
	return true;
}

bool set_alarm(CInstance *i, int32_t index, const Value &v)
{
	if (!i)
		return false;
	i->alarm[builtin_element(index, ALARM_COUNT)] = nearest_int32((float)v.real());
	return true;
}

bool get_timeline_index(CInstance *i, int32_t, Value &out)
{
	if (!i)
		return false;
	out.set_real(i->timeline_index);
	return true;
}

bool set_timeline_index(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	i->timeline_index = nearest_int32(v.real());
	return true;
}

template <float CInstance::*Field>
bool get_float(CInstance *i, int32_t, Value &out)
{
	if (!i)
		return false;
	out.set_real(i->*Field);
	return true;
}

template <float CInstance::*Field>
bool set_float(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	i->*Field = real_to_float(v.real());
	return true;
}

template <bool CInstance::*Field>
bool get_flag(CInstance *i, int32_t, Value &out)
{
	if (!i)
		return false;
	out.set_real(i->*Field ? 1 : 0);
	return true;
}

template <bool CInstance::*Field>
bool set_flag(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	i->*Field = flag_rounded(v);
	return true;
}

ResourceTable<TimelineRecord> *timeline_table()
{
	GameData *game = running_game();
	return game ? &game->timelines : nullptr;
}

void fn_timeline_exists(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(find_timeline(arg_int32(argc, args, 0)) ? 1 : 0);
}

void fn_timeline_get_name(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	TimelineRecord *t = find_timeline(arg_int32(argc, args, 0));
	result.set_string(t ? std::string_view(t->name) : std::string_view("<undefined>"));
}

// A new empty timeline at the end of the table; its index.
void fn_timeline_add(Value &result, CInstance *, CInstance *, int, const Value *)
{
	ResourceTable<TimelineRecord> *table = timeline_table();
	if (!table) {
		result.set_real(-1);
		return;
	}
	auto t = std::make_unique<TimelineRecord>();
	t->name = "__newtimeline" + std::to_string(table->size());
	table->push_back(std::move(t));
	result.set_real((double)table->size() - 1);
}

// Removes the timeline; the later ones move down one index.
void fn_timeline_delete(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	int32_t index = arg_int32(argc, args, 0);
	if (!find_timeline(index))
		return;
	ResourceTable<TimelineRecord> &table = *timeline_table();
	table.erase(table.begin() + index);
}

void fn_timeline_clear(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	if (TimelineRecord *t = find_timeline(arg_int32(argc, args, 0)))
		t->moments.clear();
}

// Adds a moment with code given as text, after the moments of the same or an
// earlier time, so that the times stay ascending.
void fn_timeline_moment_add(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	int32_t index = arg_int32(argc, args, 0);
	TimelineRecord *t = find_timeline(index);
	if (!t)
		return;
	TimelineMoment moment;
	moment.time = arg_int32(argc, args, 1);
	auto code = std::make_shared<CCode>();
	std::string name = "Timeline_" + t->name + "_" + std::to_string(moment.time);
	if (!compile_code(*code, arg_text(argc, args, 2), name, COMPILE_PROGRAM)) {
		report_error(code_error_message());
		return;
	}
	moment.code.code = std::move(code);
	auto at = std::find_if(t->moments.begin(), t->moments.end(),
	                       [&](const TimelineMoment &m) { return m.time > moment.time; });
	t->moments.insert(at, std::move(moment));
}

void fn_timeline_moment_clear(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	TimelineRecord *t = find_timeline(arg_int32(argc, args, 0));
	if (!t)
		return;
	int32_t time = arg_int32(argc, args, 1);
	std::erase_if(t->moments, [&](const TimelineMoment &m) { return m.time == time; });
}

const BuiltinEntry timeline_functions[] = {
	{"timeline_exists", fn_timeline_exists, 1},
	{"timeline_get_name", fn_timeline_get_name, 1},
	{"timeline_add", fn_timeline_add, 0},
	{"timeline_delete", fn_timeline_delete, 1},
	{"timeline_clear", fn_timeline_clear, 1},
	{"timeline_moment_add", fn_timeline_moment_add, 3},
	{"timeline_moment_clear", fn_timeline_moment_clear, 2},
};

} // namespace

void register_timeline_functions()
{
	builtin_variables().attach("alarm", get_alarm, set_alarm);
	builtin_variables().attach("timeline_index", get_timeline_index, set_timeline_index);
	builtin_variables().attach("timeline_position", get_float<&CInstance::timeline_position>,
	                           set_float<&CInstance::timeline_position>);
	builtin_variables().attach("timeline_speed", get_float<&CInstance::timeline_speed>,
	                           set_float<&CInstance::timeline_speed>);
	builtin_variables().attach("timeline_running", get_flag<&CInstance::timeline_running>,
	                           set_flag<&CInstance::timeline_running>);
	builtin_variables().attach("timeline_loop", get_flag<&CInstance::timeline_loop>, set_flag<&CInstance::timeline_loop>);
	register_functions(timeline_functions);
}
