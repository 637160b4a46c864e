// ImageSize: an image's width and height in pixels, from its headers alone: nothing is
// decoded, and no more is read than the headers that hold them.
//  - PNG: the IHDR chunk, which must come first;
//  - GIF: the logical screen;
//  - JPEG: the first SOFn frame header (any of SOF0-SOF15 but DHT, JPG and DAC), walking
//    the marker segments before it, which must start within the first kJpegMarkerBound
//    bytes (an EXIF block with a thumbnail is some 64 KiB);
//  - BMP: the bitmap header, old (OS/2, 16-bit sizes) or new; a negative height (rows
//    stored top-down) counts by its size;
//  - WebP: the first chunk, VP8 (lossy), VP8L (lossless) or VP8X (extended, the canvas).
// 0 by 0 for any other file, and for one whose header is cut short, malformed, or out of
// a long's range.
#pragma once

#include <cstddef>
#include <cstdint>

#include "multipart/body_window.h"

namespace kestrune {

inline constexpr std::size_t kJpegMarkerBound = 1u << 20;

struct ImageSize {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// The size of the image in the size bytes from offset of body (all within its Size()).
// Throws what the window throws.
ImageSize ReadImageSize(BodyWindow& body, std::size_t offset, std::size_t size);

}  // namespace kestrune
