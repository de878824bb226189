// A composition as the host holds it for one effect: frame size, frame rate,
// bit depth, the layer the effect is applied to and the layers its "Layer"
// parameters choose, each as pixels laid out the way the host hands them out.
#pragma once

#include "sdk/ae_sdk.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace qvh {

constexpr int kLayerCount = 10;

// Straight RGBA floats, top row first: what image files load into and are
// written from. 8- and 16-bit sources hold values in [0, 1].
struct Image {
    int width = 0;
    int height = 0;
    std::vector<float> rgba;  // width × height × 4

    Image() = default;
    Image(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w) * h * 4, 0.0f) {}
    float *pixel(int x, int y) { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
    const float *pixel(int x, int y) const { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

// Host pixels: a PF_EffectWorld over memory this object owns, rows top first,
// channels alpha, red, green, blue at 8, 16 or 32 bits, with `padding` spare
// bytes at the end of every row as the host's buffers may have.
class World {
public:
    World(A_long width, A_long height, int depth, A_long padding = 0);
    World(const World &other);
    World &operator=(const World &) = delete;

    PF_EffectWorld &pf() { return pf_; }
    const PF_EffectWorld &pf() const { return pf_; }
    int depth() const { return depth_; }
    A_long width() const { return pf_.width; }
    A_long height() const { return pf_.height; }
    int bytesPerPixel() const { return depth_ / 2; }

    unsigned char *pixelAddress(A_long x, A_long y);
    const unsigned char *pixelAddress(A_long x, A_long y) const;
    // Fills every byte, padding included (the host's buffers start as garbage).
    void fillBytes(unsigned char value);
    void setOrigin(A_long x, A_long y);

    // Channel values scaled to [0, 1] (8 and 16 bits) or as stored (32 bits),
    // in the order red, green, blue, alpha.
    void read(A_long x, A_long y, float rgba[4]) const;
    // Rounds to the nearest host value at 8 and 16 bits, clamping to range.
    void write(A_long x, A_long y, const float rgba[4]);

    static std::unique_ptr<World> fromImage(const Image &image, int depth, A_long padding = 0);
    Image toImage() const;

private:
    int depth_;
    std::vector<unsigned char> bytes_;
    PF_EffectWorld pf_;
};

// A built-in pattern for renders without an input file: colour bars over the
// top half, a horizontal grey ramp below, opaque, at any size.
Image testPattern(int width, int height);

struct Composition {
    A_long width = 1920;
    A_long height = 1080;
    double fps = 24.0;
    int depth = 8;
    // Spare bytes at the end of each row of the buffers the host makes for
    // this composition (the output) and the origin it reports for them.
    A_long outputPadding = 0;
    A_long outputOriginX = 0;
    A_long outputOriginY = 0;

    // The layer the effect is applied to; null gives a test pattern of the
    // frame size at the first use.
    std::shared_ptr<const World> input;
    // The composition's other layers, 1 to kLayerCount, which the effect's
    // layer parameters name in the order declared; null is no layer.
    std::shared_ptr<const World> layers[kLayerCount];

    // The input layer at the composition's depth, making the pattern if needed;
    // safe from several threads at once (setLayer is not).
    const World &inputWorld();
    std::shared_ptr<const World> sharedInput();
    // Sets layer `index` (or the input, index -1) from an image, converting
    // it to the composition's depth with `padding` bytes after every row.
    void setLayer(int index, const Image &image, A_long padding = 0);

    // The handles the AEGP suites give out for the effect's layer and this
    // composition.
    AEGP_LayerH layerHandle() const { return reinterpret_cast<AEGP_LayerH>(const_cast<void **>(&layerSlot_)); }
    AEGP_CompH compHandle() const { return reinterpret_cast<AEGP_CompH>(const_cast<void **>(&compSlot_)); }

    // The composition whose effect runs a command on this thread (null when
    // none does): what AEGP_GetEffectLayer answers for.
    static Composition *active();

private:
    void *layerSlot_ = nullptr;
    void *compSlot_ = nullptr;
};

// Makes `comp` the thread's active composition for one command.
class ActiveComposition {
public:
    explicit ActiveComposition(Composition &comp);
    ~ActiveComposition();
    ActiveComposition(const ActiveComposition &) = delete;
    ActiveComposition &operator=(const ActiveComposition &) = delete;

private:
    Composition *previous_;
};

} // namespace qvh
