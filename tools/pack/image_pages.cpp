// image_pages.cpp: trimming, page packing and PNG encoding of the project's
// images, and the collision data of sprites.
#include "image_pages.h"

#include <algorithm>
#include <memory>
#include <numeric>

#include "json_file.h"
#include "rect_packer.h"

namespace {

// Images sit one pixel apart so that filtering never mixes neighbours.
constexpr int GAP = 1;

uint8_t alpha_of(uint32_t argb) { return (uint8_t)(argb >> 24); }

CBitmap32 crop(const CBitmap32 &src, int x, int y, int w, int h)
{
	CBitmap32 out(w, h);
	for (int row = 0; row < h; row++)
		std::copy_n(src.pixels().begin() + (size_t)(y + row) * src.width() + x, w,
		            out.pixels().begin() + (size_t)row * w);
	return out;
}

} // namespace

PageImage trim_frame(const CBitmap32 &frame)
{
	int left = frame.width(), top = frame.height(), right = -1, bottom = -1;
	for (int y = 0; y < frame.height(); y++)
		for (int x = 0; x < frame.width(); x++)
			if (alpha_of(frame.at(x, y)) > 0) {
				left = std::min(left, x);
				right = std::max(right, x);
				top = std::min(top, y);
				bottom = std::max(bottom, y);
			}
	PageImage img;
	img.frame_width = frame.width();
	img.frame_height = frame.height();
	if (right < 0) {
		img.pixels = CBitmap32(1, 1, 0);
		return img;
	}
	img.target_x = left;
	img.target_y = top;
	img.pixels = crop(frame, left, top, right - left + 1, bottom - top + 1);
	return img;
}

void pack_pages(const std::vector<PageImage> &images, int page_size, std::vector<EntrySpec> &entries,
                std::vector<std::vector<uint8_t>> &pages)
{
	std::vector<size_t> order(images.size());
	std::iota(order.begin(), order.end(), 0);
	std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
		const CBitmap32 &pa = images[a].pixels, &pb = images[b].pixels;
		return pa.height() != pb.height() ? pa.height() > pb.height() : pa.width() > pb.width();
	});
	std::vector<std::unique_ptr<MaxRectsBin>> bins;
	std::vector<PackRect> placed(images.size());
	std::vector<int> page_of(images.size());
	for (size_t i : order) {
		const CBitmap32 &px = images[i].pixels;
		if (px.width() > page_size || px.height() > page_size)
			throw ProjectError("an image of " + std::to_string(px.width()) + "x" + std::to_string(px.height()) +
			                   " does not fit on a texture page of " + std::to_string(page_size));
		size_t b = 0;
		for (; b < bins.size(); b++)
			if (bins[b]->insert(px.width() + GAP, px.height() + GAP, placed[i]))
				break;
		if (b == bins.size()) {
			bins.push_back(std::make_unique<MaxRectsBin>(page_size + GAP, page_size + GAP));
			bins.back()->insert(px.width() + GAP, px.height() + GAP, placed[i]);
		}
		page_of[i] = (int)b;
	}
	std::vector<CBitmap32> canvases;
	for (const auto &bin : bins)
		canvases.emplace_back(std::max(1, bin->used_width() - GAP), std::max(1, bin->used_height() - GAP), 0);
	entries.clear();
	for (size_t i = 0; i < images.size(); i++) {
		const PageImage &img = images[i];
		CBitmap32 &page = canvases[page_of[i]];
		for (int y = 0; y < img.pixels.height(); y++)
			std::copy_n(img.pixels.pixels().begin() + (size_t)y * img.pixels.width(), img.pixels.width(),
			            page.pixels().begin() + (size_t)(placed[i].y + y) * page.width() + placed[i].x);
		EntrySpec e;
		e.source_x = (int16_t)placed[i].x;
		e.source_y = (int16_t)placed[i].y;
		e.source_width = e.target_width = (int16_t)img.pixels.width();
		e.source_height = e.target_height = (int16_t)img.pixels.height();
		e.target_x = (int16_t)img.target_x;
		e.target_y = (int16_t)img.target_y;
		e.bounding_width = (int16_t)img.frame_width;
		e.bounding_height = (int16_t)img.frame_height;
		e.page = (int16_t)page_of[i];
		entries.push_back(e);
	}
	pages.clear();
	for (const CBitmap32 &page : canvases) {
		pages.push_back(encode_png(page.pixels().data(), page.width(), page.height()));
		if (pages.back().empty())
			throw ProjectError("encoding a texture page as PNG failed");
	}
}

void sprite_collision(const ProjectSprite &s, SpriteSpec &out)
{
	int w = s.frames[0].width(), h = s.frames[0].height();
	auto solid = [&](const CBitmap32 &f, int x, int y) { return alpha_of(f.at(x, y)) > s.tolerance; };
	if (s.bbox_mode == 2) {
		out.bbox_left = s.bbox_left;
		out.bbox_top = s.bbox_top;
		out.bbox_right = s.bbox_right;
		out.bbox_bottom = s.bbox_bottom;
	} else if (s.bbox_mode == 1) {
		out.bbox_left = out.bbox_top = 0;
		out.bbox_right = w - 1;
		out.bbox_bottom = h - 1;
	} else {
		int l = w, t = h, r = -1, b = -1;
		for (const CBitmap32 &f : s.frames)
			for (int y = 0; y < h; y++)
				for (int x = 0; x < w; x++)
					if (solid(f, x, y)) {
						l = std::min(l, x);
						r = std::max(r, x);
						t = std::min(t, y);
						b = std::max(b, y);
					}
		if (r < 0)
			l = t = r = b = 0;
		out.bbox_left = l;
		out.bbox_top = t;
		out.bbox_right = r;
		out.bbox_bottom = b;
	}
	out.bbox_mode = s.bbox_mode;
	out.precise = s.precise;
	auto in_box = [&](int x, int y) {
		return x >= out.bbox_left && x <= out.bbox_right && y >= out.bbox_top && y <= out.bbox_bottom;
	};
	out.masks.clear();
	if (!s.precise) {
		// A box mask: every pixel of the bounding box is solid.
		std::vector<uint8_t> m((size_t)w * h, 0);
		for (int y = 0; y < h; y++)
			for (int x = 0; x < w; x++)
				m[(size_t)y * w + x] = in_box(x, y);
		out.masks.push_back(pack_mask(m, w, h));
		return;
	}
	size_t count = s.separate_masks ? s.frames.size() : 1;
	for (size_t i = 0; i < count; i++) {
		std::vector<uint8_t> m((size_t)w * h, 0);
		for (int y = 0; y < h; y++)
			for (int x = 0; x < w; x++) {
				bool on = false;
				if (s.separate_masks)
					on = solid(s.frames[i], x, y);
				else
					for (const CBitmap32 &f : s.frames)
						on = on || solid(f, x, y);
				m[(size_t)y * w + x] = on && in_box(x, y);
			}
		out.masks.push_back(pack_mask(m, w, h));
	}
}

void build_image_chunks(const Project &p, ImageChunks &out)
{
	std::vector<PageImage> images;
	for (const ProjectSprite &s : p.sprites) {
		SpriteSpec spec;
		spec.name = s.name;
		spec.width = s.frames[0].width();
		spec.height = s.frames[0].height();
		spec.transparent = s.transparent;
		spec.smooth = s.smooth;
		spec.preload = s.preload;
		spec.x_origin = s.origin_x;
		spec.y_origin = s.origin_y;
		for (const CBitmap32 &f : s.frames) {
			spec.frames.push_back((int)images.size());
			images.push_back(trim_frame(f));
		}
		sprite_collision(s, spec);
		out.sprites.push_back(std::move(spec));
	}
	for (const ProjectBackground &b : p.backgrounds) {
		BackgroundSpec spec;
		spec.name = b.name;
		spec.transparent = b.transparent;
		spec.smooth = b.smooth;
		spec.preload = b.preload;
		spec.entry = (int)images.size();
		// Backgrounds stay whole: tiles address them by pixel.
		PageImage img;
		img.pixels = b.image;
		img.frame_width = b.image.width();
		img.frame_height = b.image.height();
		images.push_back(std::move(img));
		out.backgrounds.push_back(std::move(spec));
	}
	build_fonts(p, images, out);
	if (!images.empty())
		pack_pages(images, MAX_PAGE_SIZE, out.entries, out.pages);
}
