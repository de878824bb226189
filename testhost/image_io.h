// Image files for qvhost: PNG at 8 or 16 bits per channel (libpng) and
// OpenEXR with 32-bit float channels. Errors are thrown as
// std::runtime_error with a message naming the file.
#pragma once

#include "testhost/composition.h"

#include <string>

namespace qvh {

enum class ImageFormat { Png, Exr };

// The format an output name asks for by its extension (.png or .exr, any
// case); throws for any other name.
ImageFormat formatForPath(const std::string &path);

// Reads a PNG (any colour type, 8 or 16 bits) or an OpenEXR file (R, G, B
// and A channels; a missing A is opaque), recognised by its first bytes.
Image readImage(const std::string &path);

// Writes `image` as PNG with `pngBits` 8 or 16 per channel (values clamped
// to [0, 1] and rounded), or as OpenEXR with 32-bit float channels,
// according to the name's extension.
void writeImage(const std::string &path, const Image &image, int pngBits);

} // namespace qvh
