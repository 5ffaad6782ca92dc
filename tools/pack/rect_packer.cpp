// rect_packer.cpp: MaxRects with the best-short-side-fit rule.
#include "rect_packer.h"

#include <algorithm>
#include <climits>

MaxRectsBin::MaxRectsBin(int width, int height) : m_width(width), m_height(height)
{
	m_free.push_back({0, 0, width, height});
}

bool MaxRectsBin::insert(int width, int height, PackRect &placed)
{
	if (width <= 0 || height <= 0 || width > m_width || height > m_height)
		return false;
	int best_short = INT_MAX, best_long = INT_MAX;
	bool found = false;
	for (const PackRect &f : m_free) {
		if (f.width < width || f.height < height)
			continue;
		int dw = f.width - width, dh = f.height - height;
		int s = std::min(dw, dh), l = std::max(dw, dh);
		if (s < best_short || (s == best_short && l < best_long)) {
			best_short = s;
			best_long = l;
			placed = {f.x, f.y, width, height};
			found = true;
		}
	}
	if (!found)
		return false;
	split(placed);
	prune();
	m_used_w = std::max(m_used_w, placed.x + width);
	m_used_h = std::max(m_used_h, placed.y + height);
	return true;
}

// Every free rectangle that overlaps the used one is replaced by up to four
// maximal pieces around it.
void MaxRectsBin::split(const PackRect &u)
{
	std::vector<PackRect> next;
	for (const PackRect &f : m_free) {
		bool overlap = u.x < f.x + f.width && u.x + u.width > f.x && u.y < f.y + f.height && u.y + u.height > f.y;
		if (!overlap) {
			next.push_back(f);
			continue;
		}
		if (u.x > f.x)
			next.push_back({f.x, f.y, u.x - f.x, f.height});
		if (u.x + u.width < f.x + f.width)
			next.push_back({u.x + u.width, f.y, f.x + f.width - (u.x + u.width), f.height});
		if (u.y > f.y)
			next.push_back({f.x, f.y, f.width, u.y - f.y});
		if (u.y + u.height < f.y + f.height)
			next.push_back({f.x, u.y + u.height, f.width, f.y + f.height - (u.y + u.height)});
	}
	m_free.swap(next);
}

// Drops free rectangles contained in another.
void MaxRectsBin::prune()
{
	auto inside = [](const PackRect &a, const PackRect &b) {
		return a.x >= b.x && a.y >= b.y && a.x + a.width <= b.x + b.width && a.y + a.height <= b.y + b.height;
	};
	std::vector<bool> drop(m_free.size(), false);
	for (size_t i = 0; i < m_free.size(); i++)
		for (size_t j = 0; j < m_free.size() && !drop[i]; j++)
			if (i != j && !drop[j] && inside(m_free[i], m_free[j]))
				drop[i] = true;
	std::vector<PackRect> kept;
	for (size_t i = 0; i < m_free.size(); i++)
		if (!drop[i])
			kept.push_back(m_free[i]);
	m_free.swap(kept);
}
