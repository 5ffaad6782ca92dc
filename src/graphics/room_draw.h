// room_draw.h: the room's draw pass of each frame: views that follow an
// instance, the port scale, backgrounds, instances and tiles merged by depth,
// foregrounds, the GUI draw event, and the default drawing of an instance.
#pragma once

#include <cstdint>

class CRoom;
class CInstance;
struct TextureD3D;

// Draws the current room into the open frame (nothing without a room).
void room_draw(CRoom &room);

// Moves every visible view that follows an instance, then computes the port
// scale that maps port coordinates onto the screen texture.
void views_follow(CRoom &room);
void port_scale(float &sx, float &sy);

// The instance's sprite at its position, frame, scale, angle, blend and alpha
// (the drawing of an instance whose object has no draw event, and draw_self).
void instance_draw_default(CInstance &instance);

// The view being drawn (0 outside the pass).
int32_t view_current();

// The render target of a surface id (null: no such surface); the surfaces
// module installs it. Until then views that draw to a surface draw nothing.
using SurfaceLookup = TextureD3D *(*)(int32_t surface_id);
void set_surface_lookup(SurfaceLookup lookup);
// The area the GUI draw event draws in, stretched over the screen; -1 (or any
// size below 1) for each side is the screen's.
void set_gui_size(int32_t width, int32_t height);
