// families.h: the registration routine of each family of built-in functions,
// defined in the family's fn_<family>.cpp. ORDER FAMILIES: see families.cpp.
#pragma once

void register_value_functions();  // mathematics and strings: real, string, chr, ord...
void register_execute_functions(); // miscellaneous: execute_string, execute_file
void register_script_functions(); // miscellaneous: script_execute
// mathematics and strings
void register_math_functions();
void register_random_functions();
void register_string_functions();
void register_hash_functions();
// game functions: motion, collision, instances
void register_motion_functions();    // motion_, move_ and the motion rows
void register_collision_functions(); // place_, position_, collision_, distance_ and the box rows
void register_instance_functions();
// resources
void register_object_functions();
// miscellaneous: events
void register_event_functions();
// interaction: messages
void register_debug_functions();
void register_input_functions(); // keyboard_, mouse_, joystick_, device_, io_ and the input rows
// game functions: rooms and the game
void register_room_functions();
void register_timeline_functions(); // resources: timeline_ and the alarm and timeline rows
void register_path_functions();           // resources: path_ queries, path_start and path_end
void register_sound_resource_functions(); // resources: sound_exists and the sound_get_ queries
// data structures
void register_ds_functions();     // data structures: stacks, queues, lists, maps, priority queues, grids
// graphics
void register_draw_functions();        // draw colour, alpha, blend, textures, screen_save
void register_sprite_draw_functions(); // draw_sprite*, draw_background*
void register_tile_functions();        // tile_*
void register_view_functions();        // the view_ rows, draw_self
void register_primitive_functions();   // draw_primitive_*, draw_vertex*
void register_d3d_functions();         // d3d_*
