#include "testhost/qvhost/frame_output.h"

#include "testhost/os/atomic_file.h"
#include "testhost/images/frame_pattern.h"
#include "testhost/images/image_io.h"
#include "testhost/os/os.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace qvh {
namespace {

template <typename T>
void writeScaled(std::FILE *out, const Image &image, double scale)
{
    std::vector<T> row(static_cast<std::size_t>(image.width) * 4);
    for (int y = 0; y < image.height; ++y) {
        const float *p = image.pixel(0, y);
        for (std::size_t i = 0; i < row.size(); ++i) {
            float v = std::isnan(p[i]) ? 0.0f : std::min(1.0f, std::max(0.0f, p[i]));
            row[i] = static_cast<T>(std::lround(v * scale));
        }
        std::fwrite(row.data(), sizeof(T), row.size(), out);
    }
}

// Whether the file ends with a PNG's IEND chunk, as a whole PNG does.
bool endsWithPngEnd(const std::string &path)
{
    static const unsigned char iend[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    unsigned char tail[12] = {};
    std::FILE *f = os::openFile(path, "rb");
    bool whole = f && std::fseek(f, -12, SEEK_END) == 0 && std::fread(tail, 1, 12, f) == 12 &&
                 std::memcmp(tail, iend, 12) == 0;
    if (f)
        std::fclose(f);
    return whole;
}

// Whether the file written reads back whole. A PNG is checked by its end
// chunk: cheaper than a decode, and libpng leaves a cut-short file by a
// longjmp that skips what OpenImageIO's reader holds. A type the backend
// cannot read is left to its writer's word.
bool readsBackWhole(const std::string &path)
{
    if (lowerExtension(path) == "png")
        return endsWithPngEnd(path);
    if (!readsType(path))
        return true;
    try {
        readImage(path);
        return true;
    } catch (const std::runtime_error &) {
        return false;
    }
}

// Some writers miss an error that only shows when the file is closed (a full
// disk, a size limit), so a file is read back before it replaces anything.
void writeChecked(const std::string &temporary, const Image &image, SampleType sample)
{
    writeImage(temporary, image, sample);
    if (!readsBackWhole(temporary))
        throw std::runtime_error(temporary + ": cannot write: the file written does not read back whole");
}

} // namespace

void writeRawFrame(std::FILE *out, const Image &image, int depth)
{
    if (depth == 8)
        writeScaled<std::uint8_t>(out, image, 255.0);
    else if (depth == 16)
        writeScaled<std::uint16_t>(out, image, 65535.0);
    else
        std::fwrite(image.rgba.data(), sizeof(float), image.rgba.size(), out);
    std::fflush(out);
    if (std::ferror(out))
        throw std::runtime_error(std::string("standard output: cannot write: ") + std::strerror(errno));
}

void makeParentFolders(const std::string &path)
{
    for (std::size_t end = 1; end < path.size(); ++end) {
        if (!os::isPathSeparator(path[end]))
            continue;
        std::string folder = path.substr(0, end);
        if (os::makeFolder(folder))
            continue;
        int error = errno;
        if (error != EEXIST && os::pathKind(folder) != 2)
            throw std::runtime_error(folder + ": cannot make the folder: " + std::strerror(error));
    }
}

FrameOutput::FrameOutput(std::string pattern, int depth, bool exrHalf)
    : pattern_(std::move(pattern)), depth_(depth), exrHalf_(exrHalf)
{
    if (toStdout() && !(frames_ = os::takeStandardOutput()))
        throw std::runtime_error(std::string("standard output: cannot set it apart for the frames: ") +
                                 std::strerror(errno));
}

FrameOutput::~FrameOutput()
{
    if (frames_)
        std::fclose(frames_);
}

std::string FrameOutput::write(std::size_t index, long frame, const Image &image)
{
    if (toStdout()) {
        waiting_.emplace(index, image);
        flushInOrder();
        return "-";
    }
    std::string name = frameFileName(pattern_, frame);
    makeParentFolders(name);
    SampleType sample = sampleTypeFor(name, depth_, exrHalf_);
    writeAtomically(name, [&](const std::string &temporary) { writeChecked(temporary, image, sample); });
    return name;
}

void FrameOutput::leaveBlank(std::size_t index, int width, int height)
{
    if (!toStdout())
        return;
    waiting_.emplace(index, Image(width, height));
    flushInOrder();
}

void FrameOutput::skip(std::size_t index)
{
    skipped_[index] = true;
    flushInOrder();
}

void FrameOutput::flushInOrder()
{
    for (;;) {
        if (skipped_.erase(nextOut_)) {
            ++nextOut_;
            continue;
        }
        auto it = waiting_.find(nextOut_);
        if (it == waiting_.end())
            return;
        Image image = std::move(it->second);
        waiting_.erase(it);
        ++nextOut_;
        writeRawFrame(frames_, image, depth_);
    }
}

} // namespace qvh
