// The parts of image file handling that do not depend on the backend.
#include "testhost/images/image_io.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace qvh {

std::string lowerExtension(const std::string &path)
{
    std::string::size_type dot = path.rfind('.');
    std::string::size_type slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

SampleType sampleTypeFor(const std::string &path, int depth, bool exrHalf)
{
    std::string ext = lowerExtension(path);
    if (ext == "exr")
        return exrHalf ? SampleType::Half : SampleType::Float;
    if (ext == "jpg" || ext == "jpeg")
        return SampleType::UInt8;
    if (ext == "png" || ext == "dpx")
        return depth == 8 ? SampleType::UInt8 : SampleType::UInt16;
    return depth == 8 ? SampleType::UInt8 : depth == 16 ? SampleType::UInt16 : SampleType::Float;
}

namespace {

// Past the decoder's own buffers a read keeps the RGBA float image and the
// layer world made from it (float RGBA at most): 16 bytes a pixel each.
constexpr long long kLayerBytesPerPixel = 2 * 4 * sizeof(float);

std::string megabytes(long long bytes)
{
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB";
}

[[noreturn]] void refuse(const std::string &path, const std::string &what)
{
    throw std::runtime_error(path + ": the image declares " + what + ", more than qvhost takes (" +
                             std::to_string(kMaxImageSide) + " pixels a side, " +
                             std::to_string(kMaxImagePixels / 1000000) + " million pixels, " +
                             std::to_string(kMaxImageChannels) + " channels, " + megabytes(kMaxImageBytes) +
                             " of decoded pixels)");
}

std::string pixelCount(long long width, long long height)
{
    return std::to_string(width) + "x" + std::to_string(height) + " pixels";
}

} // namespace

void checkDeclaredSize(const std::string &path, long long width, long long height, long long channels)
{
    if (width < 1 || height < 1 || channels < 1)
        throw std::runtime_error(path + ": the image has no pixels");
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels)
        refuse(path, pixelCount(width, height));
    if (channels > kMaxImageChannels)
        refuse(path, std::to_string(channels) + " channels");
}

void checkDecodedBytes(const std::string &path, long long width, long long height, long long channels,
                       long long decoderBytes)
{
    long long bytes = decoderBytes + width * height * kLayerBytesPerPixel;
    if (bytes > kMaxImageBytes)
        refuse(path, pixelCount(width, height) + " of " + std::to_string(channels) +
                         (channels == 1 ? " channel, " : " channels, ") + megabytes(bytes) + " once decoded");
}

void writeImage(const std::string &path, const Image &image, int depth)
{
    writeImage(path, image, sampleTypeFor(path, depth, false));
}

} // namespace qvh
