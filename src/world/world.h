// world.h: setting up the world modules: the built-in variable rows they own
// and the hooks through which error reports and game values reach them.
#pragma once

// Attaches the rows of the instance record and of the running event.
void attach_instance_variables();
// Everything above, once; runs with the registration of the built-in
// functions.
void install_world();
