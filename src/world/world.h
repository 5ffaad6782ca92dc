// world.h: setting up the world modules: the built-in variable rows they own
// and the hooks through which error reports and game values reach them.
#pragma once

// Attaches the rows of the instance record and of the running event.
void attach_instance_variables();
// Attaches the rows of the sprite's size and origin and of the path fields.
void attach_sprite_path_rows();
// Everything above, once; runs with the registration of the built-in
// functions.
void install_world();
