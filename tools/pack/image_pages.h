// image_pages.h: turns the project's images into the image chunks: sprite
// frames trimmed to their visible pixels, every image packed onto texture
// pages of at most 2048 x 2048, pages PNG-encoded, one texture-page entry per
// image; sprite bounding boxes and collision masks from the alpha.
#pragma once

#include <cstdint>
#include <vector>

#include "data/write_images.h"
#include "graphics/bitmap.h"
#include "project.h"

constexpr int MAX_PAGE_SIZE = 2048;

// An image to place: its pixels (0xAARRGGBB) and how it sits in its frame.
struct PageImage
{
	CBitmap32 pixels;        // the trimmed part
	int target_x = 0, target_y = 0;
	int frame_width = 0, frame_height = 0;
};

// Packs images onto pages: fills entries (one per image, in order) and the
// encoded pages. Throws ProjectError when an image is larger than a page.
void pack_pages(const std::vector<PageImage> &images, int page_size, std::vector<EntrySpec> &entries,
                std::vector<std::vector<uint8_t>> &pages);

// The visible part of a frame (alpha above 0); a wholly transparent frame
// keeps one pixel.
PageImage trim_frame(const CBitmap32 &frame);

// The box and masks of a sprite, from its frames and settings.
void sprite_collision(const ProjectSprite &s, SpriteSpec &out);

// Rasterises the project's fonts: one atlas image each, appended to `images`,
// and the font records and character table of `out`.
void build_fonts(const Project &p, std::vector<PageImage> &images, ImageChunks &out);

// Builds every image chunk's content for the project.
void build_image_chunks(const Project &p, ImageChunks &out);
