// The parts of image file handling that do not depend on the backend.
#include "testhost/image_io.h"

#include <algorithm>
#include <cctype>

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

void writeImage(const std::string &path, const Image &image, int depth)
{
    writeImage(path, image, sampleTypeFor(path, depth, false));
}

} // namespace qvh
