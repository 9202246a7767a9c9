#pragma once
// The orientation tag of a JPEG picture's Exif block. The bytes come from any file, so every
// size and offset is checked before it is read; anything damaged or absent reads as 1,
// upright as stored.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/base/byte_source.h"

namespace glintora {

// The orientation code (1 to 8) in the first directory of a TIFF structure, the form of an
// Exif block after its "Exif\0\0" header; 1 when the structure is damaged or has no valid tag.
int TiffStructureOrientation(const uint8_t* data, size_t size);

// The orientation code of the first Exif block of JPEG bytes, read from the source's start;
// 1 when they cannot be read, have no Exif block before the image data, or the block is
// damaged.
int JpegOrientation(ByteSource& source);

}  // namespace glintora
