// The image file backend on Linux: OpenImageIO reads and writes every format
// it knows. Alpha is kept unassociated both ways (OpenImageIO would otherwise
// premultiply PNG and TIFF on reading and divide on writing), so the values
// a file holds are the values a layer gets, and a frame's values are the
// values its file holds.
#include "testhost/images/image_io.h"

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

namespace qvh {
namespace {

using OIIO::ImageInput;
using OIIO::ImageOutput;
using OIIO::ImageSpec;
using OIIO::TypeDesc;

[[noreturn]] void fail(const std::string &path, const std::string &what)
{
    throw std::runtime_error(path + ": " + what);
}

std::string oiioError(const std::string &fallback)
{
    std::string e = OIIO::geterror();
    return e.empty() ? fallback : e;
}

// The padded extent of one side: tiles are read whole.
long long tiledSide(int side, int tile)
{
    return tile > side ? tile : tile > 0 ? (static_cast<long long>(side) + tile - 1) / tile * tile : side;
}

// The read takes every channel as float, and OpenImageIO decodes into a
// buffer of the file's own type, whole tiles, before converting: both count.
void checkSpec(const std::string &path, const ImageSpec &spec)
{
    checkDeclaredSize(path, spec.width, spec.height, spec.nchannels);
    if (spec.depth > 1 || spec.deep)
        fail(path, "volume and deep images are not taken");
    long long width = tiledSide(spec.width, spec.tile_width), height = tiledSide(spec.height, spec.tile_height);
    if (width > 2 * kMaxImageSide || height > 2 * kMaxImageSide)
        fail(path, "the image declares tiles of " + std::to_string(spec.tile_width) + "x" +
                       std::to_string(spec.tile_height) + " pixels, more than qvhost takes (" +
                       std::to_string(2 * kMaxImageSide) + " a side with the image's padding)");
    long long sampleBytes = static_cast<long long>(spec.format.size());
    for (const TypeDesc &t : spec.channelformats)
        sampleBytes = std::max(sampleBytes, static_cast<long long>(t.size()));
    long long channels = spec.nchannels;
    long long floats = static_cast<long long>(spec.width) * spec.height * channels * sizeof(float);
    checkDecodedBytes(path, spec.width, spec.height, channels, floats + width * height * channels * sampleBytes);
}

// OpenImageIO's own header checks refuse what ours would, before a reader
// sizes anything from the header.
void setDecoderLimits()
{
    static const bool set = OIIO::attribute("limits:channels", kMaxImageChannels) &&
                            OIIO::attribute("limits:imagesize_MB", static_cast<int>(kMaxImageBytes >> 20));
    (void)set;
}

// Grey, grey and alpha, RGB or RGBA (and more channels: the first three and
// the alpha) into straight RGBA.
void spreadChannels(const std::vector<float> &in, const ImageSpec &spec, Image &out)
{
    int n = spec.nchannels;
    int alpha = spec.alpha_channel >= 0 ? spec.alpha_channel : (n == 2 || n >= 4 ? n - 1 : -1);
    int colour = alpha == 1 && n == 2 ? 1 : std::min(n, 3);
    std::size_t count = static_cast<std::size_t>(out.width) * out.height;
    for (std::size_t p = 0; p < count; ++p) {
        const float *s = &in[p * n];
        float *d = &out.rgba[p * 4];
        for (int c = 0; c < 3; ++c)
            d[c] = s[colour == 1 ? 0 : std::min(c, colour - 1)];
        d[3] = alpha >= 0 ? s[alpha] : 1.0f;
    }
}

TypeDesc typeOf(SampleType sample)
{
    switch (sample) {
    case SampleType::UInt8: return TypeDesc::UINT8;
    case SampleType::UInt16: return TypeDesc::UINT16;
    case SampleType::Half: return TypeDesc::HALF;
    case SampleType::Float: break;
    }
    return TypeDesc::FLOAT;
}

std::unique_ptr<ImageOutput> createOutput(const std::string &path)
{
    std::unique_ptr<ImageOutput> out = ImageOutput::create(path);
    if (!out)
        fail(path, "unknown image type '." + lowerExtension(path) + "' (png, tif, exr, jpg, dpx, ...)");
    return out;
}

// Integer files take [0, 1]; OpenImageIO clamps while converting, and a
// NaN becomes 0 there too.
std::vector<float> channelsToWrite(const Image &image, int channels)
{
    std::size_t count = static_cast<std::size_t>(image.width) * image.height;
    std::vector<float> data(count * channels);
    for (std::size_t p = 0; p < count; ++p)
        for (int c = 0; c < channels; ++c)
            data[p * channels + c] = image.rgba[p * 4 + c];
    return data;
}

// Movies (and animations) open as one image per frame, as subimages: reading
// one of them for every frame of a render would repeat its first frame.
void refuseMovie(const std::string &path, ImageInput &in)
{
    std::string format = in.format_name();
    bool animation = (format == "gif" || format == "webp") && in.seek_subimage(1, 0);
    if (format == "FFmpeg" || format == "ffmpeg" || animation)
        fail(path, "a movie or animation: qvhost reads image files and frame patterns; extract its frames first "
                   "(for example ffmpeg -i movie.mov frames/%04d.png) and give --input frames/%04d.png");
    in.seek_subimage(0, 0);
}

std::unique_ptr<ImageInput> openInput(const std::string &path)
{
    setDecoderLimits();
    ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    std::unique_ptr<ImageInput> in = ImageInput::open(path, &config);
    if (!in)
        fail(path, "cannot open: " + oiioError("not an image file"));
    refuseMovie(path, *in);
    return in;
}

} // namespace

bool readsType(const std::string &path)
{
    return ImageInput::create(path, false) != nullptr;  /* by the extension: nothing is opened */
}

int storedBits(const std::string &path)
{
    std::unique_ptr<ImageInput> in = openInput(path);
    TypeDesc format = in->spec().format;
    if (format.basetype == TypeDesc::HALF || format.basetype == TypeDesc::FLOAT || format.basetype == TypeDesc::DOUBLE)
        return 32;
    return format.size() > 1 ? 16 : 8;
}

void checkOutputName(const std::string &path)
{
    createOutput(path);
}

Image readImage(const std::string &path)
{
    std::unique_ptr<ImageInput> in = openInput(path);
    const ImageSpec spec = in->spec();
    checkSpec(path, spec);
    std::vector<float> channels(static_cast<std::size_t>(spec.width) * spec.height * spec.nchannels);
    if (!in->read_image(0, 0, 0, spec.nchannels, TypeDesc::FLOAT, channels.data()))
        fail(path, "cannot read: " + in->geterror());
    Image image(spec.width, spec.height);
    spreadChannels(channels, spec, image);
    return image;
}

void writeImage(const std::string &path, const Image &image, SampleType sample)
{
    std::unique_ptr<ImageOutput> out = createOutput(path);
    int channels = out->supports("alpha") ? 4 : 3;
    ImageSpec spec(image.width, image.height, channels, typeOf(sample));
    spec.alpha_channel = channels == 4 ? 3 : -1;
    spec.attribute("oiio:UnassociatedAlpha", 1);
    if (!out->open(path, spec))
        fail(path, "cannot open: " + out->geterror());
    std::vector<float> data = channelsToWrite(image, channels);
    if (!out->write_image(TypeDesc::FLOAT, data.data()) || !out->close())
        fail(path, "cannot write: " + out->geterror());
}

} // namespace qvh
