// Image files for systems without OpenImageIO (the Windows build):
// PNG read through stb_image, PNG written at 8 or 16 bits with stb's deflate,
// and OpenEXR written uncompressed with 32-bit float channels. OpenEXR input
// is not offered here. Paths are UTF-8; the file layer (os.h) converts them.
#include "testhost/images/image_io.h"
#include "testhost/os/os.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

// No buffer of stb_image's grows past the decoded-bytes limit, also when a
// file's compressed data inflates to more than its header declares.
static void *boundedRealloc(void *p, std::size_t n)
{
    return n > static_cast<std::size_t>(qvh::kMaxImageBytes) ? nullptr : std::realloc(p, n);
}
#define STBI_MALLOC(n) boundedRealloc(nullptr, n)
#define STBI_REALLOC(p, n) boundedRealloc(p, n)
#define STBI_FREE(p) std::free(p)
#define STBI_MAX_DIMENSIONS (::qvh::kMaxImageSide)
#define STBI_ONLY_PNG
#define STBI_NO_LINEAR
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace qvh {
namespace {

[[noreturn]] void fail(const std::string &path, const std::string &what)
{
    throw std::runtime_error(path + ": " + what);
}

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File openFile(const std::string &path, const char *mode)
{
    File f(os::openFile(path, mode));
    if (!f)
        fail(path, std::string("cannot open: ") + std::strerror(errno));
    return f;
}

void writeAll(const std::string &path, std::FILE *f, const void *data, std::size_t size)
{
    if (std::fwrite(data, 1, size, f) != size)
        fail(path, std::string("cannot write: ") + std::strerror(errno));
}

void putBigEndian32(std::vector<unsigned char> &out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(v >> shift));
}

uint32_t crc32(const unsigned char *data, std::size_t size)
{
    static uint32_t table[256];
    if (table[1] == 0)
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i)
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void putChunk(std::vector<unsigned char> &out, const char type[4], const unsigned char *data, std::size_t size)
{
    putBigEndian32(out, static_cast<uint32_t>(size));
    std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    putBigEndian32(out, crc32(out.data() + start, size + 4));
}

// Rounds channel values the way the libpng backend does: clamped to [0, 1], NaN as 0.
std::vector<unsigned char> pngRows(const Image &image, int bits)
{
    float scale = bits == 16 ? 65535.0f : 255.0f;
    std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4 * (bits / 8);
    std::vector<unsigned char> rows((rowBytes + 1) * image.height);
    for (int y = 0; y < image.height; ++y) {
        unsigned char *row = &rows[(rowBytes + 1) * y];
        *row++ = 0;  /* filter type None */
        const float *src = image.pixel(0, y);
        for (std::size_t i = 0; i < static_cast<std::size_t>(image.width) * 4; ++i) {
            float v = src[i];
            long q = v > 0.0f ? std::lround(std::min(v, 1.0f) * scale) : 0;
            if (bits == 16) {
                *row++ = static_cast<unsigned char>(q >> 8);
                *row++ = static_cast<unsigned char>(q & 0xFF);
            } else {
                *row++ = static_cast<unsigned char>(q);
            }
        }
    }
    return rows;
}

void writePng(const std::string &path, const Image &image, int bits)
{
    std::vector<unsigned char> rows = pngRows(image, bits);
    int packedSize = 0;
    unsigned char *packed = stbi_zlib_compress(rows.data(), static_cast<int>(rows.size()), &packedSize, 6);
    if (!packed)
        fail(path, "out of memory writing PNG");
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    putBigEndian32(header, static_cast<uint32_t>(image.width));
    putBigEndian32(header, static_cast<uint32_t>(image.height));
    header.insert(header.end(), {static_cast<unsigned char>(bits), 6 /* RGBA */, 0, 0, 0});
    putChunk(png, "IHDR", header.data(), header.size());
    putChunk(png, "IDAT", packed, static_cast<std::size_t>(packedSize));
    std::free(packed);
    putChunk(png, "IEND", nullptr, 0);
    File file = openFile(path, "wb");
    writeAll(path, file.get(), png.data(), png.size());
    if (std::fflush(file.get()) != 0)
        fail(path, std::string("cannot write: ") + std::strerror(errno));
}

// Before any pixel memory is taken, as the other backend does. stb_image
// inflates the file's channels, unfilters them into a second buffer and
// widens that to RGBA: all three count until the float image is made.
void checkHeader(const std::string &path, std::FILE *file)
{
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_file(file, &width, &height, &channels))
        fail(path, std::string("bad PNG: ") + stbi_failure_reason());
    long long sampleBytes = stbi_is_16_bit_from_file(file) ? 2 : 1;
    std::rewind(file);
    checkDeclaredSize(path, width, height, channels);
    long long pixels = static_cast<long long>(width) * height;
    checkDecodedBytes(path, width, height, channels, pixels * sampleBytes * (2 * channels + 4) + height);
}

Image readPng(const std::string &path, std::FILE *file)
{
    checkHeader(path, file);
    int width = 0, height = 0, channels = 0;
    bool deep = stbi_is_16_bit_from_file(file) != 0;
    std::rewind(file);
    void *pixels = deep ? static_cast<void *>(stbi_load_from_file_16(file, &width, &height, &channels, 4))
                        : static_cast<void *>(stbi_load_from_file(file, &width, &height, &channels, 4));
    if (!pixels)
        fail(path, std::string("bad PNG: ") + stbi_failure_reason());
    Image image(width, height);
    for (std::size_t i = 0; i < image.rgba.size(); ++i)
        image.rgba[i] = deep ? static_cast<const uint16_t *>(pixels)[i] / 65535.0f
                             : static_cast<const unsigned char *>(pixels)[i] / 255.0f;
    stbi_image_free(pixels);
    return image;
}

// OpenEXR header attributes: name, type, size, value.
void putAttribute(std::vector<unsigned char> &out, const char *name, const char *type, const void *value,
                  uint32_t size)
{
    out.insert(out.end(), name, name + std::strlen(name) + 1);
    out.insert(out.end(), type, type + std::strlen(type) + 1);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>(size >> shift));
    const unsigned char *bytes = static_cast<const unsigned char *>(value);
    out.insert(out.end(), bytes, bytes + size);
}

template <typename T> void putLittle(std::vector<unsigned char> &out, T v)
{
    unsigned char bytes[sizeof v];
    std::memcpy(bytes, &v, sizeof v);  /* x86 and ARM Windows are little-endian */
    out.insert(out.end(), bytes, bytes + sizeof v);
}

// A single-part scanline file, no compression, channels A, B, G, R as 32-bit floats.
void writeExr(const std::string &path, const Image &image)
{
    std::vector<unsigned char> out;
    putLittle<uint32_t>(out, 20000630);  /* magic */
    putLittle<uint32_t>(out, 2);         /* version 2, scanline */
    std::vector<unsigned char> channels;
    for (const char *name : {"A", "B", "G", "R"}) {
        channels.insert(channels.end(), name, name + 2);
        putLittle<int32_t>(channels, 2);  /* FLOAT */
        putLittle<uint32_t>(channels, 0); /* pLinear and reserved */
        putLittle<int32_t>(channels, 1);
        putLittle<int32_t>(channels, 1);
    }
    channels.push_back(0);
    putAttribute(out, "channels", "chlist", channels.data(), static_cast<uint32_t>(channels.size()));
    unsigned char none = 0, increasingY = 0;
    putAttribute(out, "compression", "compression", &none, 1);
    int32_t window[4] = {0, 0, image.width - 1, image.height - 1};
    putAttribute(out, "dataWindow", "box2i", window, sizeof window);
    putAttribute(out, "displayWindow", "box2i", window, sizeof window);
    putAttribute(out, "lineOrder", "lineOrder", &increasingY, 1);
    float aspect = 1.0f, center[2] = {0.0f, 0.0f}, width = 1.0f;
    putAttribute(out, "pixelAspectRatio", "float", &aspect, 4);
    putAttribute(out, "screenWindowCenter", "v2f", center, sizeof center);
    putAttribute(out, "screenWindowWidth", "float", &width, 4);
    out.push_back(0);
    const uint32_t lineBytes = static_cast<uint32_t>(image.width) * 16;
    uint64_t offset = out.size() + 8u * image.height;
    for (int y = 0; y < image.height; ++y, offset += 8 + lineBytes)
        putLittle<uint64_t>(out, offset);
    for (int y = 0; y < image.height; ++y) {
        putLittle<int32_t>(out, y);
        putLittle<uint32_t>(out, lineBytes);
        for (int c : {3, 2, 1, 0})
            for (int x = 0; x < image.width; ++x)
                putLittle<float>(out, image.pixel(x, y)[c]);
    }
    File file = openFile(path, "wb");
    writeAll(path, file.get(), out.data(), out.size());
    if (std::fflush(file.get()) != 0)
        fail(path, std::string("cannot write: ") + std::strerror(errno));
}

enum class ImageFormat { Png, Exr };

ImageFormat formatForPath(const std::string &path)
{
    std::string ext = lowerExtension(path);
    if (ext == "png")
        return ImageFormat::Png;
    if (ext == "exr")
        return ImageFormat::Exr;
    fail(path, "unknown image type (use .png or .exr)");
}

} // namespace

void checkOutputName(const std::string &path)
{
    formatForPath(path);
}

bool readsType(const std::string &path)
{
    return lowerExtension(path) == "png";
}

int storedBits(const std::string &path)
{
    File file = openFile(path, "rb");
    return stbi_is_16_bit_from_file(file.get()) ? 16 : 8;  /* PNG is the one input type here */
}

Image readImage(const std::string &path)
{
    File file = openFile(path, "rb");
    unsigned char magic[8] = {};
    std::size_t n = std::fread(magic, 1, sizeof magic, file.get());
    static const unsigned char pngMagic[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    static const unsigned char exrMagic[4] = {0x76, 0x2f, 0x31, 0x01};
    if (n == 8 && std::memcmp(magic, pngMagic, 8) == 0) {
        std::rewind(file.get());
        return readPng(path, file.get());
    }
    if (n >= 4 && std::memcmp(magic, exrMagic, 4) == 0)
        fail(path, "OpenEXR input is not available in this build");
    fail(path, "not a PNG or OpenEXR file");
}

void writeImage(const std::string &path, const Image &image, SampleType sample)
{
    if (formatForPath(path) == ImageFormat::Png)
        writePng(path, image, sample == SampleType::UInt8 ? 8 : 16);
    else if (sample == SampleType::Half)
        fail(path, "half-float OpenEXR output is not available in this build");
    else
        writeExr(path, image);
}

} // namespace qvh
