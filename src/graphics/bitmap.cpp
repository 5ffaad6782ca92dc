// bitmap.cpp: CBitmap32 and PNG reading and writing with libpng.
#include "graphics/bitmap.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

CBitmap32::CBitmap32(int width, int height, uint32_t fill)
	: m_width(width > 0 ? width : 0), m_height(height > 0 ? height : 0),
	  m_pixels((size_t)m_width * m_height, fill)
{
}

CBitmap32::CBitmap32(int width, int height, std::vector<uint32_t> pixels)
	: m_width(width), m_height(height), m_pixels(std::move(pixels))
{
	if (m_width <= 0 || m_height <= 0 || m_pixels.size() != (size_t)m_width * m_height) {
		m_width = m_height = 0;
		m_pixels.clear();
	}
}

bool CBitmap32::decode_png(const uint8_t *data, size_t size, std::string &error)
{
	png_image image = {};
	image.version = PNG_IMAGE_VERSION;
	if (!png_image_begin_read_from_memory(&image, data, size)) {
		error = image.message[0] ? image.message : "not a PNG image";
		return false;
	}
	// Pages larger than the largest texture are refused before anything is allocated.
	if (image.width == 0 || image.height == 0 || image.width > 16384 || image.height > 16384) {
		png_image_free(&image);
		error = "the image is " + std::to_string(image.width) + " x " + std::to_string(image.height) +
		        " pixels, outside 1 to 16384";
		return false;
	}
	// Deflate packs at most about 1032 bytes into one: an image claiming more
	// pixels than its data could hold is refused before anything is allocated.
	if ((uint64_t)image.width * image.height > (uint64_t)size * 1100) {
		png_image_free(&image);
		error = "the image claims more pixels than its data can hold";
		return false;
	}
	image.format = PNG_FORMAT_BGRA;
	std::vector<uint32_t> pixels((size_t)image.width * image.height);
	if (!png_image_finish_read(&image, nullptr, pixels.data(), (png_int_32)(image.width * 4), nullptr)) {
		error = image.message[0] ? image.message : "the PNG data is damaged";
		png_image_free(&image);
		return false;
	}
	m_width = (int)image.width;
	m_height = (int)image.height;
	m_pixels = std::move(pixels);
	return true;
}

bool CBitmap32::write_png(const std::string &path, std::string &error) const
{
	return write_png_file(path, m_pixels.data(), m_width, m_height, error);
}

namespace {

bool fail(std::string &error, FILE *fp, png_structp png, png_infop info, const char *message,
          const std::string &path = "")
{
	char text[600];
	snprintf(text, sizeof text, message, path.c_str());
	error = text;
	if (png)
		png_destroy_write_struct(&png, info ? &info : nullptr);
	if (fp)
		fclose(fp);
	return false;
}

} // namespace

bool write_png_file(const std::string &path, const uint32_t *pixels, int width, int height, std::string &error)
{
	if (width <= 0 || height <= 0 || !pixels) {
		error = "[write_png_file] Error during writing header";
		return false;
	}
	FILE *fp = fopen(path.c_str(), "wb");
	if (!fp)
		return fail(error, nullptr, nullptr, nullptr, "[write_png_file] File %s could not be opened for writing", path);
	png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
	if (!png)
		return fail(error, fp, nullptr, nullptr, "[write_png_file] png_create_write_struct failed");
	png_infop info = png_create_info_struct(png);
	if (!info)
		return fail(error, fp, png, nullptr, "[write_png_file] png_create_info_struct failed");
	const char *volatile step = "[write_png_file] Error during init_io";
	if (setjmp(png_jmpbuf(png)))
		return fail(error, fp, png, info, step);
	png_init_io(png, fp);
	step = "[write_png_file] Error during writing header";
	png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
	             PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
	png_write_info(png, info);
	step = "[write_png_file] Error during writing bytes";
	png_set_bgr(png);
	for (int y = 0; y < height; y++)
		png_write_row(png, (png_const_bytep)(pixels + (size_t)y * width));
	step = "[write_png_file] Error during end of write";
	png_write_end(png, nullptr);
	png_destroy_write_struct(&png, &info);
	if (fclose(fp) != 0) {
		error = "[write_png_file] Error during end of write";
		return false;
	}
	return true;
}

std::vector<uint8_t> encode_png(const uint32_t *pixels, int width, int height)
{
	png_image image = {};
	image.version = PNG_IMAGE_VERSION;
	image.width = (png_uint_32)width;
	image.height = (png_uint_32)height;
	image.format = PNG_FORMAT_BGRA;
	png_alloc_size_t size = 0;
	if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels, width * 4, nullptr))
		return {};
	std::vector<uint8_t> out(size);
	if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels, width * 4, nullptr))
		return {};
	out.resize(size);
	return out;
}
