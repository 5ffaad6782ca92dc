// read_images.h: what the readers of the image-bearing chunks share.
#pragma once

#include <cstdint>

#include "common/byte_reader.h"

// The index of the texture-page entry whose 22-byte record stands at the file
// offset, read and added on first use. Throws DataError for a record outside
// the file.
int page_entry_at(const ByteReader &file, uint32_t offset);
