// rect_packer.h: a MaxRects rectangle packer: places rectangles on bins of a
// fixed size, choosing for each the free area whose shorter leftover side is
// smallest, and keeping the list of maximal free rectangles.
#pragma once

#include <vector>

struct PackRect
{
	int x = 0, y = 0, width = 0, height = 0;
};

class MaxRectsBin
{
public:
	MaxRectsBin(int width, int height);

	// Places a rectangle of the given size; false when it does not fit.
	bool insert(int width, int height, PackRect &placed);
	// The extent actually used (right and bottom edges of placed rectangles).
	int used_width() const { return m_used_w; }
	int used_height() const { return m_used_h; }

private:
	void split(const PackRect &used);
	void prune();

	int m_width, m_height;
	int m_used_w = 0, m_used_h = 0;
	std::vector<PackRect> m_free;
};
