// sprite_draw.h: drawing frames of sprites and backgrounds as quads in the
// batch: plain, scaled and rotated, by four corners, stretched, part of a frame,
// general (part, scale, rotation, corner colours) and tiled.
#pragma once

#include <cstdint>

#include "graphics/images.h"

struct TextureD3D;

// A frame ready to draw: its entry (for run-time images one made from the
// whole texture) and the page's texture with its scales.
struct FrameImage
{
	TexturePageEntry e;
	TextureD3D *texture = nullptr;
	float u_scale = 0, v_scale = 0;
};

// The image of a texture-page entry or of a whole texture; false when its
// texture is missing or invalid (drawing then draws nothing).
bool entry_image(int entry_index, FrameImage &out);
bool texture_image(int texture_id, FrameImage &out);
// Frame f of a sprite (already wrapped) or a background.
bool sprite_frame_image(const CSprite &s, int frame, FrameImage &out);
bool background_image(const CBackground &b, FrameImage &out);

// Wraps a frame number into [0, count) with a non-negative modulo.
int wrap_frame(int frame, int count);

struct Area
{
	float left, top, width, height;
};

void image_draw(const FrameImage &img, float x, float y, float ox, float oy, uint32_t colour);
void image_draw_ext(const FrameImage &img, float x, float y, float ox, float oy, float sx, float sy, float rot,
                    uint32_t colour);
void image_draw_pos(const FrameImage &img, const float corners[8], uint32_t colour);
void image_draw_part(const FrameImage &img, float left, float top, float width, float height, float x, float y,
                     float sx, float sy, float rot, uint32_t colour);
void image_draw_general(const FrameImage &img, float left, float top, float width, float height, float x, float y,
                        float sx, float sy, float rot, const uint32_t colours[4]);
void image_draw_tiled(const FrameImage &img, float x, float y, float ox, float oy, float sx, float sy, bool htile,
                      bool vtile, const Area &area, uint32_t colour);

// The sprite operations: the frame is wrapped, and a sprite without frames
// draws nothing. Draw, DrawExt and DrawGeneral skip a sprite wholly outside the
// view rectangle (by its bounding radius). Colours are 0xBBGGRR, rot degrees.
void sprite_draw(const CSprite &s, int frame, float x, float y);
void sprite_draw_ext(const CSprite &s, int frame, float x, float y, float sx, float sy, float rot, uint32_t colour,
                     double alpha);
void sprite_draw_pos(const CSprite &s, int frame, const float corners[8], double alpha);
void sprite_draw_stretched(const CSprite &s, int frame, float x, float y, float w, float h, uint32_t colour,
                           double alpha);
void sprite_draw_part(const CSprite &s, int frame, float left, float top, float width, float height, float x,
                      float y, float sx, float sy, uint32_t colour, double alpha);
void sprite_draw_general(const CSprite &s, int frame, float left, float top, float width, float height, float x,
                         float y, float sx, float sy, float rot, const uint32_t colours[4], double alpha);
void sprite_draw_tiled(const CSprite &s, int frame, float x, float y, float sx, float sy, bool htile, bool vtile,
                       const Area &area, uint32_t colour, double alpha);

void background_draw(const CBackground &b, float x, float y);
void background_draw_ext(const CBackground &b, float x, float y, float sx, float sy, float rot, uint32_t colour,
                         double alpha);
void background_draw_stretched(const CBackground &b, float x, float y, float w, float h, uint32_t colour,
                               double alpha);
void background_draw_part(const CBackground &b, float left, float top, float width, float height, float x, float y,
                          float sx, float sy, uint32_t colour, double alpha);
void background_draw_general(const CBackground &b, float left, float top, float width, float height, float x,
                             float y, float sx, float sy, float rot, const uint32_t colours[4], double alpha);
void background_draw_tiled(const CBackground &b, float x, float y, float sx, float sy, bool htile, bool vtile,
                           const Area &area, uint32_t colour, double alpha);
