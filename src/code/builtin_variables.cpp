// builtin_variables.cpp: the built-in variable table in its fixed order (the
// order gives the ids) and the game values behind some of its rows. Rows whose
// owning module is not built read 0; that module attaches its routines with
// CBuiltinVariableTable::attach.
#include "code/builtin_variables.h"

#include "code/builtin_variable_routines.h"

using namespace builtin_rows;

namespace {

struct Row
{
	const char *name;
	VariableGetter get;
	VariableSetter set; // null: read-only
};

constexpr VariableGetter Z = read_zero;
constexpr VariableSetter W = accept_write;

// ORDER BUILTIN VARIABLES: per-instance rows first, then the game's rows, then
// the system rows. Indexed rows: alarm 0-11, argument 0-15, the background_ rows
// from background_visible on 0-7, the view_ rows from view_visible on 0-7,
// instance_id 0 to the instance count - 1.
const Row instance_rows[] = {
	{"x", Z, W}, {"y", Z, W}, {"xprevious", Z, W}, {"yprevious", Z, W}, {"xstart", Z, W}, {"ystart", Z, W},
	{"hspeed", Z, W}, {"vspeed", Z, W}, {"direction", Z, W}, {"speed", Z, W}, {"friction", Z, W},
	{"gravity", Z, W}, {"gravity_direction", Z, W}, {"object_index", get_object_index, nullptr},
	{"id", get_id, nullptr}, {"alarm", Z, W}, {"solid", Z, W}, {"visible", Z, W}, {"persistent", Z, W},
	{"depth", Z, W}, {"bbox_left", Z, nullptr}, {"bbox_right", Z, nullptr}, {"bbox_top", Z, nullptr},
	{"bbox_bottom", Z, nullptr}, {"sprite_index", Z, W}, {"image_index", Z, W}, {"image_single", Z, W},
	{"image_number", Z, nullptr}, {"sprite_width", Z, nullptr}, {"sprite_height", Z, nullptr},
	{"sprite_xoffset", Z, nullptr}, {"sprite_yoffset", Z, nullptr}, {"image_xscale", Z, W},
	{"image_yscale", Z, W}, {"image_angle", Z, W}, {"image_alpha", Z, W}, {"image_blend", Z, W},
	{"image_speed", Z, W}, {"mask_index", Z, W}, {"path_index", Z, nullptr}, {"path_position", Z, W},
	{"path_positionprevious", Z, W}, {"path_speed", Z, W}, {"path_scale", Z, W}, {"path_orientation", Z, W},
	{"path_endaction", Z, W}, {"timeline_index", Z, W}, {"timeline_position", Z, W},
	{"timeline_speed", Z, W}, {"timeline_running", Z, W}, {"timeline_loop", Z, W},
	{"async_load", Z, nullptr}, {"phy_rotation", Z, W}, {"phy_position_x", Z, W}, {"phy_position_y", Z, W},
	{"phy_angular_velocity", Z, W}, {"phy_linear_velocity_x", Z, W}, {"phy_linear_velocity_y", Z, W},
	{"phy_speed_x", Z, W}, {"phy_speed_y", Z, W}, {"phy_bullet", Z, W}, {"phy_fixed_rotation", Z, W},
	{"phy_active", Z, W}, {"phy_mass", Z, nullptr}, {"phy_inertia", Z, nullptr}, {"phy_com_x", Z, nullptr},
	{"phy_com_y", Z, nullptr}, {"phy_dynamic", Z, nullptr}, {"phy_kinematic", Z, nullptr},
	{"phy_sleeping", Z, nullptr}, {"phy_collision_points", Z, nullptr}, {"phy_collision_x", Z, nullptr},
	{"phy_collision_y", Z, nullptr}, {"phy_col_normal_x", Z, nullptr}, {"phy_col_normal_y", Z, nullptr},
	{"display_aa", Z, nullptr}, {"delta_time", Z, nullptr}, {"webgl_enabled", Z, nullptr},
};

const Row game_rows_before_arguments[] = {
	{"argument_relative", get_argument_relative, nullptr},
	{"argument", get_argument, set_argument},
};

const Row game_rows[] = {
	{"argument_count", get_argument_count, nullptr}, {"debug_mode", get_debug_mode, nullptr},
	{"room", Z, W}, {"room_first", Z, nullptr}, {"room_last", Z, nullptr},
	{"transition_kind", get_transition_kind, set_transition_kind}, {"transition_steps", Z, W},
	{"score", get_score, set_score}, {"lives", get_lives, set_lives}, {"health", get_health, set_health},
	{"game_id", get_game_id, nullptr}, {"game_guid", Z, nullptr},
	{"working_directory", get_working_directory, nullptr}, {"temp_directory", get_temp_directory, nullptr},
	{"program_directory", get_program_directory, nullptr}, {"instance_count", get_instance_count, nullptr},
	{"instance_id", get_instance_id, nullptr}, {"room_width", Z, nullptr}, {"room_height", Z, nullptr},
	{"room_caption", Z, W}, {"room_speed", Z, W}, {"room_persistent", Z, W}, {"background_color", Z, W},
	{"background_showcolor", Z, W}, {"background_visible", Z, W}, {"background_foreground", Z, W},
	{"background_index", Z, W}, {"background_x", Z, W}, {"background_y", Z, W},
	{"background_width", Z, nullptr}, {"background_height", Z, nullptr}, {"background_htiled", Z, W},
	{"background_vtiled", Z, W}, {"background_xscale", Z, W}, {"background_yscale", Z, W},
	{"background_hspeed", Z, W}, {"background_vspeed", Z, W}, {"background_blend", Z, W},
	{"background_alpha", Z, W}, {"view_enabled", Z, W}, {"view_current", Z, nullptr},
	{"view_visible", Z, W}, {"view_xview", Z, W}, {"view_yview", Z, W}, {"view_wview", Z, W},
	{"view_hview", Z, W}, {"view_xport", Z, W}, {"view_yport", Z, W}, {"view_wport", Z, W},
	{"view_hport", Z, W}, {"view_angle", Z, W}, {"view_hborder", Z, W}, {"view_vborder", Z, W},
	{"view_hspeed", Z, W}, {"view_vspeed", Z, W}, {"view_object", Z, W}, {"view_surface_id", Z, W},
	{"mouse_x", Z, nullptr}, {"mouse_y", Z, nullptr}, {"mouse_button", Z, W}, {"mouse_lastbutton", Z, W},
	{"keyboard_key", Z, W}, {"keyboard_lastkey", Z, W}, {"keyboard_lastchar", Z, W},
	{"keyboard_string", Z, W}, {"cursor_sprite", get_cursor_sprite, set_cursor_sprite},
	{"show_score", get_show_score, set_show_score}, {"show_lives", get_show_lives, set_show_lives},
	{"show_health", get_show_health, set_show_health},
	{"caption_score", get_caption_score, set_caption_score},
	{"caption_lives", get_caption_lives, set_caption_lives},
	{"caption_health", get_caption_health, set_caption_health}, {"fps", Z, nullptr},
	{"current_time", get_current_time, nullptr}, {"current_year", get_current_year, nullptr},
	{"current_month", get_current_month, nullptr}, {"current_day", get_current_day, nullptr},
	{"current_weekday", get_current_weekday, nullptr}, {"current_hour", get_current_hour, nullptr},
	{"current_minute", get_current_minute, nullptr}, {"current_second", get_current_second, nullptr},
	{"event_type", Z, nullptr}, {"event_number", Z, nullptr}, {"event_object", Z, nullptr},
	{"event_action", Z, nullptr}, {"secure_mode", Z, nullptr},
	{"error_occurred", get_error_occurred, set_error_occurred}, {"error_last", get_error_last, set_error_last},
};

const Row system_rows[] = {
	{"os_type", get_os_type, nullptr}, {"os_device", get_os_device, nullptr},
	{"os_version", get_os_version, nullptr}, {"os_browser", get_os_browser, nullptr},
	{"browser_width", Z, nullptr}, {"browser_height", Z, nullptr},
};

template <size_t N>
void add_rows(CBuiltinVariableTable &table, const Row (&rows)[N])
{
	for (const Row &row : rows)
		table.add(row.name, row.get, row.set, row.set != nullptr);
}

OtherEventPerformer g_performer = nullptr;

} // namespace

void register_builtin_variables(CBuiltinVariableTable &table)
{
	table.clear();
	add_rows(table, instance_rows);
	add_rows(table, game_rows_before_arguments);
	for (int i = 0; i < 16; i++) {
		std::string name = "argument" + std::to_string(i);
		table.add(name, argument_getters[i], argument_setters[i], true);
	}
	add_rows(table, game_rows);
	add_rows(table, system_rows);
}

GameValues &game_values()
{
	static GameValues values;
	return values;
}

void reset_game_values_for_start()
{
	GameValues &g = game_values();
	g.score = 0;
	g.lives = -1;
	g.cursor_sprite = -1;
	g.transition_kind = 0;
}

void set_game_identity(uint32_t game_id, uint8_t header_flags)
{
	GameValues &g = game_values();
	g.game_id = (int32_t)game_id;
	g.debug_mode = (header_flags & 1) == 0;
}

void set_other_event_performer(OtherEventPerformer performer)
{
	g_performer = performer;
}

void perform_other_event_for_all(int32_t number)
{
	if (g_performer)
		g_performer(number);
}
