// families.cpp: the order in which the families of built-in functions are
// registered. The index order of the function table follows from it, so each
// family's registration call has its fixed place here.
#include "code/function_table.h"
#include "code/families.h"

void register_builtin_families()
{
	static bool registered = false;
	if (registered)
		return;
	registered = true;
	// ORDER FAMILIES
	// game functions: motion, collision, instances
	register_motion_functions();
	register_collision_functions();
	register_instance_functions();
	register_room_functions();
	// mathematics and strings
	register_value_functions();
	register_random_functions();
	register_math_functions();
	register_string_functions();
	register_hash_functions();
	// graphics: drawing, display, window
	register_draw_functions();
	register_sprite_draw_functions();
	register_tile_functions();
	register_view_functions();
	register_primitive_functions();
	// drag-and-drop actions
	// files
	// resources
	register_object_functions();
	register_timeline_functions();
	register_path_functions();
	register_sound_resource_functions();
	// interaction: messages, keyboard, mouse
	register_debug_functions();
	register_input_functions();
	// Direct3D
	register_d3d_functions();
	// particles
	// miscellaneous: running code, external calls, events, variables
	register_execute_functions();
	register_script_functions();
	register_event_functions();
	// data structures
	register_ds_functions();
	// sound
	// multiplayer
	// physics
	// services
}
