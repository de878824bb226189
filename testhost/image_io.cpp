#include "testhost/image_io.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <ImfOutputFile.h>
#include <png.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace qvh {
namespace {

[[noreturn]] void fail(const std::string &path, const std::string &what)
{
    throw std::runtime_error(path + ": " + what);
}

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

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File openFile(const std::string &path, const char *mode)
{
    File f(std::fopen(path.c_str(), mode));
    if (!f)
        fail(path, std::string("cannot open: ") + std::strerror(errno));
    return f;
}

// libpng reports errors through longjmp; they become exceptions after it.
void pngError(png_structp png, png_const_charp message)
{
    std::strncpy(static_cast<char *>(png_get_error_ptr(png)), message, 255);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// Expands every colour type to RGBA at the file's own bit depth (8 or 16).
int setRgbaTransforms(png_structp png, png_infop info)
{
    int bits = png_get_bit_depth(png, info);
    int type = png_get_color_type(png, info);
    png_set_expand(png);  /* palette and low-bit grey to 8 bits, tRNS to alpha */
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (!(type & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_filler(png, bits == 16 ? 0xFFFF : 0xFF, PNG_FILLER_AFTER);
    if (bits == 16)
        png_set_swap(png);  /* host byte order */
    png_read_update_info(png, info);
    return bits == 16 ? 16 : 8;
}

Image readPng(const std::string &path, std::FILE *file)
{
    char message[256] = "";
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, message, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        fail(path, "out of memory reading PNG");
    }
    Image image;
    std::vector<unsigned char> bytes;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        fail(path, std::string("bad PNG: ") + message);
    }
    png_init_io(png, file);
    png_read_info(png, info);
    int bits = setRgbaTransforms(png, info);
    png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    std::size_t rowBytes = png_get_rowbytes(png, info);
    bytes.resize(rowBytes * height);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = bytes.data() + rowBytes * y;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    image = Image(static_cast<int>(width), static_cast<int>(height));
    for (std::size_t i = 0; i < image.rgba.size(); ++i)
        image.rgba[i] = bits == 16 ? reinterpret_cast<const uint16_t *>(bytes.data())[i] / 65535.0f
                                   : bytes[i] / 255.0f;
    return image;
}

void writePng(const std::string &path, const Image &image, int bits)
{
    std::vector<unsigned char> bytes(image.rgba.size() * (bits / 8));
    float scale = bits == 16 ? 65535.0f : 255.0f;
    for (std::size_t i = 0; i < image.rgba.size(); ++i) {
        float v = image.rgba[i];
        long q = v > 0.0f ? std::lround(std::min(v, 1.0f) * scale) : 0;  /* NaN too */
        if (bits == 16)
            reinterpret_cast<uint16_t *>(bytes.data())[i] = static_cast<uint16_t>(q);
        else
            bytes[i] = static_cast<unsigned char>(q);
    }
    File file = openFile(path, "wb");
    char message[256] = "";
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, message, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        fail(path, "out of memory writing PNG");
    }
    std::vector<png_bytep> rows(image.height);
    std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4 * (bits / 8);
    for (int y = 0; y < image.height; ++y)
        rows[y] = bytes.data() + rowBytes * y;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fail(path, std::string("cannot write PNG: ") + message);
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, image.width, image.height, bits, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (bits == 16)
        png_set_swap(png);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0)
        fail(path, std::string("cannot write: ") + std::strerror(errno));
}

Image readExr(const std::string &path)
{
    try {
        Imf::InputFile file(path.c_str());
        Imath::Box2i window = file.header().dataWindow();
        int width = window.max.x - window.min.x + 1, height = window.max.y - window.min.y + 1;
        Image image(width, height);
        char *base = reinterpret_cast<char *>(image.rgba.data()) -
                     (static_cast<std::ptrdiff_t>(window.min.y) * width + window.min.x) * 16;
        Imf::FrameBuffer fb;
        const char *names[4] = {"R", "G", "B", "A"};
        for (int c = 0; c < 4; ++c)
            fb.insert(names[c], Imf::Slice(Imf::FLOAT, base + c * 4, 16, 16 * static_cast<std::size_t>(width),
                                           1, 1, c == 3 ? 1.0 : 0.0));
        file.setFrameBuffer(fb);
        file.readPixels(window.min.y, window.max.y);
        return image;
    } catch (const std::exception &e) {
        fail(path, std::string("bad OpenEXR file: ") + e.what());
    }
}

void writeExr(const std::string &path, const Image &image)
{
    try {
        Imf::Header header(image.width, image.height);
        const char *names[4] = {"R", "G", "B", "A"};
        for (const char *name : names)
            header.channels().insert(name, Imf::Channel(Imf::FLOAT));
        Imf::OutputFile file(path.c_str(), header);
        Imf::FrameBuffer fb;
        char *base = const_cast<char *>(reinterpret_cast<const char *>(image.rgba.data()));
        for (int c = 0; c < 4; ++c)
            fb.insert(names[c], Imf::Slice(Imf::FLOAT, base + c * 4, 16, 16 * static_cast<std::size_t>(image.width)));
        file.setFrameBuffer(fb);
        file.writePixels(image.height);
    } catch (const std::exception &e) {
        fail(path, std::string("cannot write OpenEXR file: ") + e.what());
    }
}

} // namespace

ImageFormat formatForPath(const std::string &path)
{
    std::string ext = lowerExtension(path);
    if (ext == "png")
        return ImageFormat::Png;
    if (ext == "exr")
        return ImageFormat::Exr;
    fail(path, "unknown image type (use .png or .exr)");
}

Image readImage(const std::string &path)
{
    File file = openFile(path, "rb");
    unsigned char magic[8] = {};
    std::size_t n = std::fread(magic, 1, sizeof magic, file.get());
    static const unsigned char exrMagic[4] = {0x76, 0x2f, 0x31, 0x01};
    if (n == 8 && png_sig_cmp(magic, 0, 8) == 0) {
        std::rewind(file.get());
        return readPng(path, file.get());
    }
    if (n >= 4 && std::memcmp(magic, exrMagic, 4) == 0) {
        file.reset();
        return readExr(path);
    }
    fail(path, "not a PNG or OpenEXR file");
}

void writeImage(const std::string &path, const Image &image, int pngBits)
{
    if (formatForPath(path) == ImageFormat::Exr)
        writeExr(path, image);
    else
        writePng(path, image, pngBits == 16 ? 16 : 8);
}

} // namespace qvh
