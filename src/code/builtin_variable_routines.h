// builtin_variable_routines.h: the get and set routines of the built-in variable
// rows whose owners exist (arguments, game values, directories, time, system,
// errors), used by the table in builtin_variables.cpp.
#pragma once

#include "code/variable_names.h"

namespace builtin_rows {

// Rows whose owning module is not built yet: they read the real 0 and accept
// writes without effect.
bool read_zero(CInstance *, int32_t, Value &out);
bool accept_write(CInstance *, int32_t, const Value &);

bool get_id(CInstance *self, int32_t, Value &out);
bool get_object_index(CInstance *self, int32_t, Value &out);

bool get_argument_relative(CInstance *, int32_t, Value &out);
bool get_argument(CInstance *, int32_t index, Value &out);
bool set_argument(CInstance *, int32_t index, const Value &v);
extern const VariableGetter argument_getters[16];
extern const VariableSetter argument_setters[16];
bool get_argument_count(CInstance *, int32_t, Value &out);

bool get_debug_mode(CInstance *, int32_t, Value &out);
bool get_transition_kind(CInstance *, int32_t, Value &out);
bool set_transition_kind(CInstance *, int32_t, const Value &v);
bool get_score(CInstance *, int32_t, Value &out);
bool set_score(CInstance *, int32_t, const Value &v);
bool get_lives(CInstance *, int32_t, Value &out);
bool set_lives(CInstance *, int32_t, const Value &v);
bool get_health(CInstance *, int32_t, Value &out);
bool set_health(CInstance *, int32_t, const Value &v);
bool get_game_id(CInstance *, int32_t, Value &out);
bool get_working_directory(CInstance *, int32_t, Value &out);
bool get_temp_directory(CInstance *, int32_t, Value &out);
bool get_program_directory(CInstance *, int32_t, Value &out);
bool get_instance_count(CInstance *, int32_t, Value &out);
bool get_instance_id(CInstance *, int32_t index, Value &out);

bool get_cursor_sprite(CInstance *, int32_t, Value &out);
bool set_cursor_sprite(CInstance *, int32_t, const Value &v);
bool get_show_score(CInstance *, int32_t, Value &out);
bool set_show_score(CInstance *, int32_t, const Value &v);
bool get_show_lives(CInstance *, int32_t, Value &out);
bool set_show_lives(CInstance *, int32_t, const Value &v);
bool get_show_health(CInstance *, int32_t, Value &out);
bool set_show_health(CInstance *, int32_t, const Value &v);
bool get_caption_score(CInstance *, int32_t, Value &out);
bool set_caption_score(CInstance *, int32_t, const Value &v);
bool get_caption_lives(CInstance *, int32_t, Value &out);
bool set_caption_lives(CInstance *, int32_t, const Value &v);
bool get_caption_health(CInstance *, int32_t, Value &out);
bool set_caption_health(CInstance *, int32_t, const Value &v);

bool get_current_time(CInstance *, int32_t, Value &out);
bool get_current_year(CInstance *, int32_t, Value &out);
bool get_current_month(CInstance *, int32_t, Value &out);
bool get_current_day(CInstance *, int32_t, Value &out);
bool get_current_weekday(CInstance *, int32_t, Value &out);
bool get_current_hour(CInstance *, int32_t, Value &out);
bool get_current_minute(CInstance *, int32_t, Value &out);
bool get_current_second(CInstance *, int32_t, Value &out);

bool get_error_occurred(CInstance *, int32_t, Value &out);
bool set_error_occurred(CInstance *, int32_t, const Value &v);
bool get_error_last(CInstance *, int32_t, Value &out);
bool set_error_last(CInstance *, int32_t, const Value &v);

bool get_os_type(CInstance *, int32_t, Value &out);
bool get_os_device(CInstance *, int32_t, Value &out);
bool get_os_version(CInstance *, int32_t, Value &out);
bool get_os_browser(CInstance *, int32_t, Value &out);

} // namespace builtin_rows
