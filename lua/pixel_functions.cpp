// `ch`, `getColor`, `setColor` and `in2out`, straight on the host's
// buffers (alpha, red, green, blue per pixel) and on the ParamSnapshot.
#include "lua/pixel_functions.h"

#include "lua/abort_watch.h"
#include "lua/lua_check.h"

#include <cmath>
#include <cstring>

namespace qv {
namespace {

enum class ParamKind { Slider, Angle, Checkbox, Point, Point3d, Color, Layer };

struct KindInfo {
    int components;            // values returned without a dimension
    const char *notEnough;     // fewer than name and index
    const char *dimensionRange;  // null: no dimension argument
};

const KindInfo kKinds[] = {
    {1, "Arguments were not enough, you should specify an index ( 0 ~ 9 ) when you want to use a value of a slider.", nullptr},
    {1, "Arguments were not enough, you should specify an index ( 0 ~ 9 ) when you want to use a value of an angle.", nullptr},
    {1, "Arguments were not enough, you should specify an index ( 0 ~ 9 ) when you want to use a value of a checkbox.", nullptr},
    {2, "Arguments were not enough, you should specify an index ( 0 ~ 9 ) when you want to use a value of a point.",
     "Dimension should be an integer in range 0~1."},
    {3, "Arguments were not enough, you should specify an index ( 0 ~ 9 ) when you want to use a value of a 3D point.",
     "Dimension should be an integer in range 0~2."},
    {3, "Arguments were not enough, you should specify an index ( 0 ~ 9 ) when you want to use a value of a color.",
     "Color channel should be an integer in range 0~2 (0:R, 1:G, 2:B)."},
    {4, "Arguments were not enough, you should specify an index of layer and the xy coordinate when you want to use a color of a layer.",
     nullptr},
};

const char kWrongName[] = "Wrong param name.";
const char kGetColorNotEnough[] =
    "Arguments were not enough, you should specify (an index of layer) and the xy coordinate when you want to use a color of a layer.";

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// The name rule: the first character, or failing that the second.
ParamKind classifyName(lua_State *L, int index)
{
    std::size_t length = 0;
    const char *name = checkString(L, index, &length);
    if (length == 0)
        raiseMessage(L, kWrongName);
    switch (lowerAscii(name[0])) {
    case '3': return ParamKind::Point3d;
    case 'a': return ParamKind::Angle;
    case 'l': return ParamKind::Layer;
    case 'p': return ParamKind::Point;
    case 's': return ParamKind::Slider;
    }
    char second = length > 1 ? lowerAscii(name[1]) : '\0';
    if (second == 'h')
        return ParamKind::Checkbox;
    if (second == 'o')
        return ParamKind::Color;
    raiseMessage(L, kWrongName);
}

const double *paramValues(const ParamSnapshot &p, ParamKind kind, int i)
{
    switch (kind) {
    case ParamKind::Slider: return &p.sliders[i];
    case ParamKind::Angle: return &p.angles[i];
    case ParamKind::Checkbox: return &p.checkboxes[i];
    case ParamKind::Point: return p.points[i];
    case ParamKind::Point3d: return p.points3d[i];
    default: return p.colors[i];  /* red, green, blue; alpha is not reachable */
    }
}

// Buffer index -2 output, -1 input, 0 to 9 the layers.
PF_EffectWorld *bufferAt(const PCData &pc, lua_Integer index)
{
    if (index == -2)
        return pc.outputWorld;
    if (index == -1)
        return pc.inputWorld;
    return pc.layerWorlds[index];
}

// The pixel at (x, y), or null when outside the frame or the buffer's own size.
char *pixelAt(const PCData &pc, const PF_EffectWorld *world, int32_t x, int32_t y)
{
    if (!world || !world->data || x < 0 || y < 0)
        return nullptr;
    if (x >= pc.width || y >= pc.height || x >= world->width || y >= world->height)
        return nullptr;
    return reinterpret_cast<char *>(world->data) + int64_t(world->rowbytes) * y + int64_t(pc.bytesPerPixel) * x;
}

template <class T> void loadChannels(const char *p, double scale, double out[4])
{
    T c[4];
    std::memcpy(c, p, sizeof c);
    for (int i = 0; i < 4; ++i)
        out[i] = double(c[i]) * scale;
}

void readPixel(int depth, const char *p, double out[4])
{
    out[0] = out[1] = out[2] = out[3] = 0.0;
    if (!p)
        return;
    if (depth == 8)
        loadChannels<uint8_t>(p, 1.0 / PF_MAX_CHAN8, out);
    else if (depth == 16)
        loadChannels<uint16_t>(p, 1.0 / PF_MAX_CHAN16, out);
    else if (depth == 32)
        loadChannels<float>(p, 1.0, out);
}

// Clamped to [0, 1], scaled and truncated. NaN would pass the clamp, and
// converting NaN to an integer is undefined, so it is stored as 0.
template <class T> T toChannel(double v, double scale)
{
    if (std::isnan(v))
        return 0;
    v = v > 1.0 ? 1.0 : v < 0.0 ? 0.0 : v;
    return T(v * scale);
}

template <class T> void storeChannels(char *p, double scale, const double v[4])
{
    T c[4];
    for (int i = 0; i < 4; ++i)
        c[i] = toChannel<T>(v[i], scale);
    std::memcpy(p, c, sizeof c);
}

void writePixel(int depth, char *p, const double v[4])
{
    if (depth == 8) {
        storeChannels<uint8_t>(p, PF_MAX_CHAN8, v);
    } else if (depth == 16) {
        storeChannels<uint16_t>(p, PF_MAX_CHAN16, v);
    } else if (depth == 32) {
        double a = v[0] > 1.0 ? 1.0 : v[0] < 0.0 ? 0.0 : v[0];  /* only alpha is clamped */
        float c[4] = {float(a), float(v[1]), float(v[2]), float(v[3])};
        std::memcpy(p, c, sizeof c);
    }
}

int pushPixel(lua_State *L, const PCData &pc, const PF_EffectWorld *world, int xIndex)
{
    int32_t x = checkCoordinate(L, xIndex);
    int32_t y = checkCoordinate(L, xIndex + 1);
    double v[4];
    readPixel(pc.depth, pixelAt(pc, world, x, y), v);
    for (double c : v)
        lua_pushnumber(L, c);
    return 4;
}

int chLayer(lua_State *L, const PCData &pc, int count)
{
    if (count < 4)
        raiseMessage(L, kKinds[int(ParamKind::Layer)].notEnough);
    lua_Integer index = checkRange(L, 3, -2, 9, kLayerIndexRange);
    return pushPixel(L, pc, bufferAt(pc, index), 4);
}

const ParamSnapshot &snapshotOf(const PCData &pc)
{
    static const ParamSnapshot zeros;
    return pc.params ? *pc.params : zeros;
}

} // namespace

int luaCh(lua_State *L)
{
    PCData *pc = toContext(L);
    if (!pc)
        return 0;
    ParamKind kind = classifyName(L, 2);
    int count = argCount(L);
    if (kind == ParamKind::Layer)
        return chLayer(L, *pc, count);
    const KindInfo &info = kKinds[int(kind)];
    if (count < 2)
        raiseMessage(L, info.notEnough);
    int index = int(checkRange(L, 3, 0, 9, kIndexRange));
    const double *values = paramValues(snapshotOf(*pc), kind, index);
    if (info.dimensionRange && count >= 3) {
        lua_pushnumber(L, values[checkRange(L, 4, 0, info.components - 1, info.dimensionRange)]);
        return 1;
    }
    for (int i = 0; i < info.components; ++i)
        lua_pushnumber(L, values[i]);
    return info.components;
}

int luaGetColor(lua_State *L)
{
    PCData *pc = toContext(L);
    if (!pc)
        return 0;
    int count = argCount(L);
    if (count < 2)
        raiseMessage(L, kGetColorNotEnough);
    if (count == 2)
        return pushPixel(L, *pc, pc->inputWorld, 2);
    lua_Integer index = checkRange(L, 2, -2, 9, kLayerIndexRange);
    return pushPixel(L, *pc, bufferAt(*pc, index), 3);
}

int luaSetColor(lua_State *L)
{
    PCData *pc = toContext(L);
    if (!pc || argCount(L) < 6)
        return 0;
    int32_t x = checkCoordinate(L, 2);
    int32_t y = checkCoordinate(L, 3);
    char *p = pixelAt(*pc, pc->outputWorld, x, y);
    if (!p)
        return 0;  /* outside: the colour arguments are not even looked at */
    double v[4];
    for (int i = 0; i < 4; ++i)
        v[i] = checkNumber(L, 4 + i);
    writePixel(pc->depth, p, v);
    return 0;
}

int luaIn2out(lua_State *L)
{
    constexpr int kRowsBetweenAbortChecks = 256;
    PCData *pc = toContext(L);
    if (!pc || !pc->inputWorld || !pc->outputWorld || !pc->inputWorld->data || !pc->outputWorld->data)
        return 0;
    const PF_EffectWorld &in = *pc->inputWorld;
    PF_EffectWorld &out = *pc->outputWorld;
    int64_t bytes = int64_t(pc->bytesPerPixel) * (in.width < out.width ? in.width : out.width);
    int32_t rows = in.height < out.height ? in.height : out.height;
    for (int32_t y = 0; y < rows && bytes > 0; ++y) {
        if (y % kRowsBetweenAbortChecks == 0)
            checkAbort(L);
        std::memcpy(reinterpret_cast<char *>(out.data) + int64_t(out.rowbytes) * y,
                    reinterpret_cast<const char *>(in.data) + int64_t(in.rowbytes) * y, size_t(bytes));
    }
    return 0;
}

} // namespace qv
