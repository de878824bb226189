#include "testhost/images/composition.h"

#include <cmath>
#include <cstring>
#include <mutex>

namespace qvh {
namespace {

float fullScale(int depth) { return depth == 8 ? 255.0f : depth == 16 ? 32768.0f : 1.0f; }

// Nearest host value of a [0, 1] channel at 8 or 16 bits; NaN becomes 0.
long quantise(float v, float scale)
{
    if (!(v > 0.0f))
        return 0;
    if (v >= 1.0f)
        return static_cast<long>(scale);
    return std::lround(v * scale);
}

} // namespace

World::World(A_long width, A_long height, int depth, A_long padding) : depth_(depth)
{
    std::memset(&pf_, 0, sizeof pf_);
    pf_.width = width;
    pf_.height = height;
    pf_.rowbytes = width * (depth / 2) + padding;
    pf_.world_flags = PF_WorldFlag_WRITEABLE | (depth > 8 ? PF_WorldFlag_DEEP : 0);
    pf_.pix_aspect_ratio = {1, 1};
    pf_.extent_hint = {0, 0, width, height};
    bytes_.assign(static_cast<std::size_t>(pf_.rowbytes) * height + 16, 0);
    pf_.data = reinterpret_cast<PF_PixelPtr>(bytes_.data());
}

World::World(const World &other) : depth_(other.depth_), bytes_(other.bytes_), pf_(other.pf_)
{
    pf_.data = reinterpret_cast<PF_PixelPtr>(bytes_.data());
}

unsigned char *World::pixelAddress(A_long x, A_long y)
{
    return bytes_.data() + static_cast<std::ptrdiff_t>(pf_.rowbytes) * y + bytesPerPixel() * x;
}

const unsigned char *World::pixelAddress(A_long x, A_long y) const
{
    return bytes_.data() + static_cast<std::ptrdiff_t>(pf_.rowbytes) * y + bytesPerPixel() * x;
}

void World::fillBytes(unsigned char value) { std::memset(bytes_.data(), value, bytes_.size()); }

void World::setOrigin(A_long x, A_long y)
{
    pf_.origin_x = x;
    pf_.origin_y = y;
}

void World::read(A_long x, A_long y, float rgba[4]) const
{
    const unsigned char *p = pixelAddress(x, y);
    float argb[4];
    for (int c = 0; c < 4; ++c) {
        if (depth_ == 8)
            argb[c] = p[c] / 255.0f;
        else if (depth_ == 16)
            argb[c] = reinterpret_cast<const uint16_t *>(p)[c] / 32768.0f;
        else
            argb[c] = reinterpret_cast<const float *>(p)[c];
    }
    rgba[0] = argb[1], rgba[1] = argb[2], rgba[2] = argb[3], rgba[3] = argb[0];
}

void World::write(A_long x, A_long y, const float rgba[4])
{
    unsigned char *p = pixelAddress(x, y);
    const float argb[4] = {rgba[3], rgba[0], rgba[1], rgba[2]};
    for (int c = 0; c < 4; ++c) {
        if (depth_ == 8)
            p[c] = static_cast<unsigned char>(quantise(argb[c], 255.0f));
        else if (depth_ == 16)
            reinterpret_cast<uint16_t *>(p)[c] = static_cast<uint16_t>(quantise(argb[c], fullScale(16)));
        else
            reinterpret_cast<float *>(p)[c] = argb[c];
    }
}

std::unique_ptr<World> World::fromImage(const Image &image, int depth, A_long padding)
{
    std::unique_ptr<World> world(new World(image.width, image.height, depth, padding));
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            world->write(x, y, image.pixel(x, y));
    return world;
}

Image World::toImage() const
{
    Image image(pf_.width, pf_.height);
    for (A_long y = 0; y < pf_.height; ++y)
        for (A_long x = 0; x < pf_.width; ++x)
            read(x, y, image.pixel(x, y));
    return image;
}

Image testPattern(int width, int height)
{
    static const float bars[8][3] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0},
                                     {1, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}};
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float *p = image.pixel(x, y);
            if (y < height / 2) {
                const float *bar = bars[static_cast<long long>(x) * 8 / width];
                p[0] = bar[0] * 0.75f, p[1] = bar[1] * 0.75f, p[2] = bar[2] * 0.75f;
            } else {
                float ramp = width > 1 ? static_cast<float>(x) / (width - 1) : 0.0f;
                p[0] = p[1] = p[2] = ramp;
            }
            p[3] = 1.0f;
        }
    }
    return image;
}

// Render threads share a composition and may ask for its input first at the
// same time: the pattern is made once, under a lock.
std::shared_ptr<const World> Composition::sharedInput()
{
    static std::mutex *making = new std::mutex;
    std::lock_guard<std::mutex> lock(*making);
    if (!input)
        input = World::fromImage(testPattern(width, height), depth);
    return input;
}

const World &Composition::inputWorld()
{
    return *sharedInput();  /* the composition keeps it */
}

void Composition::setLayer(int index, const Image &image, A_long padding)
{
    std::shared_ptr<const World> world = World::fromImage(image, depth, padding);
    if (index < 0)
        input = world;
    else
        layers[index] = world;
}

namespace {
thread_local Composition *activeComposition = nullptr;
}

Composition *Composition::active() { return activeComposition; }

ActiveComposition::ActiveComposition(Composition &comp) : previous_(activeComposition)
{
    activeComposition = &comp;
}

ActiveComposition::~ActiveComposition() { activeComposition = previous_; }

} // namespace qvh
