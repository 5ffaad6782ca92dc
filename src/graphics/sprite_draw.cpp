// sprite_draw.cpp: the sprite and background operations: frame wrapping,
// culling by the bounding radius against the view rectangle, colours.
#include "graphics/sprite_draw.h"

#include <cmath>

#include "graphics/draw_state.h"
#include "graphics/graphics.h"

DrawState &draw_state()
{
	static DrawState state;
	return state;
}

namespace {

bool outside_view(float x, float y, float rx, float ry)
{
	const DrawState &d = draw_state();
	return x < d.view_left - rx || x > d.view_right + rx || y < d.view_top - ry || y > d.view_bottom + ry;
}

bool to_screen_unortho()
{
	const DrawState &d = draw_state();
	return d.surface_target == -1 && !d.game_ortho;
}

bool frame_of(const CSprite &s, int frame, FrameImage &img)
{
	int count = s.frame_count();
	if (count <= 0)
		return false;
	return sprite_frame_image(s, wrap_frame(frame, count), img);
}

} // namespace

bool sprite_frame_image(const CSprite &s, int frame, FrameImage &out)
{
	if (!s.entries.empty())
		return frame >= 0 && (size_t)frame < s.entries.size() && entry_image(s.entries[frame], out);
	return frame >= 0 && (size_t)frame < s.textures.size() && texture_image(s.textures[frame], out);
}

bool background_image(const CBackground &b, FrameImage &out)
{
	if (b.entry >= 0)
		return entry_image(b.entry, out);
	return texture_image(b.texture, out);
}

void sprite_draw(const CSprite &s, int frame, float x, float y)
{
	float r = (float)s.bounding_radius;
	if (to_screen_unortho() && outside_view(x, y, r, r))
		return;
	FrameImage img;
	if (frame_of(s, frame, img))
		image_draw(img, x, y, (float)s.x_origin, (float)s.y_origin, white_with_draw_alpha(draw_state()));
}

void sprite_draw_ext(const CSprite &s, int frame, float x, float y, float sx, float sy, float rot, uint32_t colour,
                     double alpha)
{
	float r = std::fmax(std::fabs(s.bounding_radius * sx), std::fabs(s.bounding_radius * sy));
	if (!GR_Settings().mode_3d && !draw_state().game_ortho && outside_view(x, y, r, r))
		return;
	FrameImage img;
	if (frame_of(s, frame, img))
		image_draw_ext(img, x, y, (float)s.x_origin, (float)s.y_origin, sx, sy, rot, GR_Colour(colour, alpha));
}

void sprite_draw_pos(const CSprite &s, int frame, const float corners[8], double alpha)
{
	// Run-time sprites have no page entry to map: they draw nothing here.
	if (s.entries.empty())
		return;
	FrameImage img;
	if (frame_of(s, frame, img))
		image_draw_pos(img, corners, GR_Colour(0xFFFFFF, alpha));
}

void sprite_draw_stretched(const CSprite &s, int frame, float x, float y, float w, float h, uint32_t colour,
                           double alpha)
{
	if (!(w > 0) || !(h > 0) || s.width <= 0 || s.height <= 0)
		return;
	FrameImage img;
	if (frame_of(s, frame, img))
		image_draw_ext(img, x, y, 0, 0, w / (float)s.width, h / (float)s.height, 0, GR_Colour(colour, alpha));
}

void sprite_draw_part(const CSprite &s, int frame, float left, float top, float width, float height, float x,
                      float y, float sx, float sy, uint32_t colour, double alpha)
{
	FrameImage img;
	if (frame_of(s, frame, img))
		image_draw_part(img, left, top, width, height, x, y, sx, sy, 0, GR_Colour(colour, alpha));
}

void sprite_draw_general(const CSprite &s, int frame, float left, float top, float width, float height, float x,
                         float y, float sx, float sy, float rot, const uint32_t colours[4], double alpha)
{
	if (to_screen_unortho() &&
	    outside_view(x, y, std::fabs(s.bounding_radius * sx), std::fabs(s.bounding_radius * sy)))
		return;
	FrameImage img;
	if (!frame_of(s, frame, img))
		return;
	uint32_t a = (uint32_t)std::nearbyint(std::fmin(std::fmax(alpha * 255.0, 0.0), 255.0)) << 24;
	uint32_t c[4];
	for (int i = 0; i < 4; i++)
		c[i] = (GR_Colour(colours[i], 0) & 0xFFFFFF) | a;
	image_draw_general(img, left, top, width, height, x, y, sx, sy, rot, c);
}

void sprite_draw_tiled(const CSprite &s, int frame, float x, float y, float sx, float sy, bool htile, bool vtile,
                       const Area &area, uint32_t colour, double alpha)
{
	FrameImage img;
	if (frame_of(s, frame, img))
		image_draw_tiled(img, x, y, (float)s.x_origin, (float)s.y_origin, sx, sy, htile, vtile, area,
		                 GR_Colour(colour, alpha));
}

void background_draw(const CBackground &b, float x, float y)
{
	FrameImage img;
	if (background_image(b, img))
		image_draw(img, x, y, 0, 0, white_with_draw_alpha(draw_state()));
}

void background_draw_ext(const CBackground &b, float x, float y, float sx, float sy, float rot, uint32_t colour,
                         double alpha)
{
	FrameImage img;
	if (background_image(b, img))
		image_draw_ext(img, x, y, 0, 0, sx, sy, rot, GR_Colour(colour, alpha));
}

void background_draw_stretched(const CBackground &b, float x, float y, float w, float h, uint32_t colour,
                               double alpha)
{
	if (!(w > 0) || !(h > 0) || b.width <= 0 || b.height <= 0)
		return;
	FrameImage img;
	if (background_image(b, img))
		image_draw_ext(img, x, y, 0, 0, w / (float)b.width, h / (float)b.height, 0, GR_Colour(colour, alpha));
}

void background_draw_part(const CBackground &b, float left, float top, float width, float height, float x, float y,
                          float sx, float sy, uint32_t colour, double alpha)
{
	FrameImage img;
	if (background_image(b, img))
		image_draw_part(img, left, top, width, height, x, y, sx, sy, 0, GR_Colour(colour, alpha));
}

void background_draw_general(const CBackground &b, float left, float top, float width, float height, float x,
                             float y, float sx, float sy, float rot, const uint32_t colours[4], double alpha)
{
	FrameImage img;
	if (!background_image(b, img))
		return;
	uint32_t a = (uint32_t)std::nearbyint(std::fmin(std::fmax(alpha * 255.0, 0.0), 255.0)) << 24;
	uint32_t c[4];
	for (int i = 0; i < 4; i++)
		c[i] = (GR_Colour(colours[i], 0) & 0xFFFFFF) | a;
	image_draw_general(img, left, top, width, height, x, y, sx, sy, rot, c);
}

void background_draw_tiled(const CBackground &b, float x, float y, float sx, float sy, bool htile, bool vtile,
                           const Area &area, uint32_t colour, double alpha)
{
	FrameImage img;
	if (background_image(b, img))
		image_draw_tiled(img, x, y, 0, 0, sx, sy, htile, vtile, area, GR_Colour(colour, alpha));
}
