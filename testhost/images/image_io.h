// Image files for qvhost. This header is the whole interface: each platform
// supplies one backend behind it (image_io_oiio.cpp, OpenImageIO, on Linux),
// so it names no library's types. Errors are thrown as std::runtime_error
// with a message naming the file.
#pragma once

#include "testhost/images/composition.h"

#include <string>

namespace qvh {

// What a written file holds per channel.
enum class SampleType { UInt8, UInt16, Half, Float };

// Images larger than this on either side, or in all, are refused when their
// header is read, before any pixel memory is taken. The channels and the
// bytes that a read takes count too: the decoder's own buffers, the RGBA
// float image and the layer made from it stay under kMaxImageBytes in all.
constexpr long kMaxImageSide = 30000;
constexpr long long kMaxImagePixels = 16384LL * 16384LL;
constexpr int kMaxImageChannels = 1024;
constexpr long long kMaxImageBytes = 2LL << 30;

// The sample type a file named `path` gets for a frame of `depth` bits per
// channel: PNG 8 or 16 (16 for 32-bit frames), TIFF 8, 16 or float, EXR
// float (half when `exrHalf`), JPEG 8, DPX 8 or 16; other types by depth.
SampleType sampleTypeFor(const std::string &path, int depth, bool exrHalf);

// The name's extension, lower case, without the dot ("" when none).
std::string lowerExtension(const std::string &path);

// Throws unless the backend can write a file with this name's extension.
void checkOutputName(const std::string &path);

// Whether the backend can read files with this name's extension.
bool readsType(const std::string &path);

// What the file stores per channel, from its header: 8, 16, or 32 for half
// and float samples. Throws as readImage does.
int storedBits(const std::string &path);

// Throw, naming `path` and the limit, for an image of `width`x`height`
// pixels and `channels` channels beyond the limits above: first its sides
// and channels, then, with the bytes its decoder takes at its peak, the
// bytes of the read in all. Both are asked before any pixel memory is taken.
void checkDeclaredSize(const std::string &path, long long width, long long height, long long channels);
void checkDecodedBytes(const std::string &path, long long width, long long height, long long channels,
                       long long decoderBytes);

// Reads any image the backend knows into straight RGBA floats: grey becomes
// RGB, a missing alpha is opaque, values pass as stored (no colour change,
// no premultiplication). Throws for a declared size beyond the limits above,
// and for a movie (its frames would all read as the first one).
Image readImage(const std::string &path);

// Writes `image` with `sample` per channel: values clamped to [0, 1] and
// rounded for integer types, kept as they are in half and float. Alpha is
// written unassociated, as the image holds it; formats without alpha (JPEG)
// drop it.
void writeImage(const std::string &path, const Image &image, SampleType sample);

// The same, the sample type chosen by sampleTypeFor(path, depth, false).
void writeImage(const std::string &path, const Image &image, int depth);

} // namespace qvh
