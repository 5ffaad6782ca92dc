// bitmap.h: CBitmap32, an image in memory of 32-bit pixels 0xAARRGGBB, made
// from a pixel buffer or from PNG data and written as PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CBitmap32
{
public:
	CBitmap32() = default;
	CBitmap32(int width, int height, uint32_t fill = 0);
	CBitmap32(int width, int height, std::vector<uint32_t> pixels);
	virtual ~CBitmap32() = default;

	int width() const { return m_width; }
	int height() const { return m_height; }
	bool empty() const { return m_pixels.empty(); }
	const std::vector<uint32_t> &pixels() const { return m_pixels; }
	std::vector<uint32_t> &pixels() { return m_pixels; }
	uint32_t at(int x, int y) const { return m_pixels[(size_t)y * m_width + x]; }

	// Decodes PNG data; false with the reason when it is not a PNG image.
	bool decode_png(const uint8_t *data, size_t size, std::string &error);
	// Writes the image as PNG; false with the message of the failing step.
	bool write_png(const std::string &path, std::string &error) const;

private:
	int m_width = 0, m_height = 0;
	std::vector<uint32_t> m_pixels;
};

// Encodes pixels 0xAARRGGBB as a PNG file; false with the failing step.
bool write_png_file(const std::string &path, const uint32_t *pixels, int width, int height, std::string &error);

// Encodes pixels 0xAARRGGBB as PNG data in memory; empty on failure.
std::vector<uint8_t> encode_png(const uint32_t *pixels, int width, int height);
