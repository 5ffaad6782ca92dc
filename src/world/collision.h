// collision.h: bounding boxes from mask sprites, position, scale and angle;
// the point, rectangle, ellipse, line and instance-instance tests, coarse and
// per pixel; and the place tests built on them.
#pragma once

#include <cstdint>

#include "world/instance.h"

class CSprite;

// The box of an instance without a mask sprite.
constexpr int32_t NO_BOX = -100000;

// The sprite giving the instance its shape: mask_index when it is >= 0, else
// sprite_index; null when that sprite does not exist.
CSprite *mask_sprite(const CInstance &instance);
// Recomputes the box and mask_precise from the mask sprite and clears
// bbox_dirty.
void compute_bbox(CInstance &instance);
// The box brought up to date when it is stale.
void refresh_bbox(CInstance &instance);

// The tests of one instance against a shape (room coordinates, corners in any
// order). All are false for a marked instance or one without a mask sprite
// with at least one image. `precise` asks for the per-pixel test where the
// sprite has its precise flag.
bool point_hits(CInstance &instance, float px, float py, bool precise);
bool rectangle_hits(CInstance &instance, float x1, float y1, float x2, float y2, bool precise);
bool ellipse_hits(CInstance &instance, float x1, float y1, float x2, float y2, bool precise);
bool line_hits(CInstance &instance, float x1, float y1, float x2, float y2, bool precise);
// Two distinct live instances whose shapes overlap.
bool instances_collide(CInstance &a, CInstance &b, bool precise);

// Installs the box routines and the sprite lookups into the instance module;
// again after someone else replaced them.
void install_collision();
