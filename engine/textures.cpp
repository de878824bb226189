#include "engine/textures.h"

#include "engine/engine_messages.h"
#include "engine/gl_context.h"
#include "engine/pixel_buffers.h"
#include "engine/sampler_modes.h"

#include <glad/gl.h>

#include <algorithm>

namespace qv {

namespace {

GLint wrapMode(int32_t item)
{
    switch (item) {
    case kWrapMirroredRepeat: return GL_MIRRORED_REPEAT;
    case kWrapClampToEdge: return GL_CLAMP_TO_EDGE;
    default: return GL_REPEAT;  /* kWrapRepeat and anything unknown */
    }
}

GLint filterMode(int32_t item)
{
    return item == kFilterNearest ? GL_NEAREST : GL_LINEAR;
}

GLint internalFormat(int depth)
{
    switch (depth) {
    case 16: return GL_RGBA16;
    case 32: return GL_RGBA32F;
    default: return GL_RGBA8;
    }
}

void setSamplerState(const PassFrame &ctx)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filterMode(ctx.magFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filterMode(ctx.minFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapMode(ctx.wrapU));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapMode(ctx.wrapV));
}

// The staging request: the largest source clipped to the frame, 16 bytes a pixel.
uint64_t stagingRequest(const PassFrame &ctx, const TextureSources &sources)
{
    int64_t maxW = 0, maxH = 0;
    for (const PF_EffectWorld *source : sources.unit) {
        if (!source)
            continue;
        maxW = std::max<int64_t>(maxW, source->width);
        maxH = std::max<int64_t>(maxH, source->height);
    }
    int64_t w = std::max<int64_t>(std::min(ctx.width, maxW), 0);
    int64_t h = std::max<int64_t>(std::min(ctx.height, maxH), 0);
    return static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * 16u;
}

GLenum texelType(int depth)
{
    switch (depth) {
    case 8: return GL_UNSIGNED_BYTE;
    case 16: return GL_UNSIGNED_SHORT;
    default: return GL_FLOAT;  /* 32-bit host floats, and converted floats of any other depth */
    }
}

// The bound texture's pixels from the staging buffer: host order under a
// swizzle where the depth uploads natively, else the converted floats. The
// storage is defined only when its shape changes.
void defineLevel(UnitTexture &texture, int depth, int64_t texW, int64_t texH, const void *pixels)
{
    static const GLint kArgbToRgba[4] = {GL_GREEN, GL_BLUE, GL_ALPHA, GL_RED};
    static const GLint kIdentity[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
    bool native = uploadsNative(depth);
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, native ? kArgbToRgba : kIdentity);
    GLsizei w = static_cast<GLsizei>(texW), h = static_cast<GLsizei>(texH);
    if (texture.width == texW && texture.height == texH && texture.depth == depth) {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, texelType(depth), pixels);
        return;
    }
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat(depth), w, h, 0, GL_RGBA, texelType(depth), pixels);
    bool defined = glGetError() == GL_NO_ERROR;  /* storage refused: define it again next time */
    texture.width = defined ? texW : 0, texture.height = defined ? texH : 0, texture.depth = defined ? depth : 0;
}

int64_t clipped(int64_t frameSize, int64_t bufferSize)
{
    return std::max<int64_t>(std::min(frameSize, bufferSize), 0);
}

// Beyond the GL's limit the texture would not be defined and every sample
// would read black.
bool texturesFit(const PassFrame &ctx, const TextureSources &sources)
{
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    for (const PF_EffectWorld *source : sources.unit)
        if (source && (clipped(ctx.width, source->width) > limit || clipped(ctx.height, source->height) > limit))
            return false;
    return true;
}

} // namespace

TextureSources textureSources(const PassFrame &ctx)
{
    TextureSources sources;
    sources.unit[kUnitInput] = ctx.inputWorld;
    sources.unit[kUnitOutput] = ctx.useOutputAsInput ? ctx.outputWorld : nullptr;
    for (int i = 0; i < kBankSize; ++i)
        sources.unit[kFirstLayerUnit + i] = ctx.layerWorlds[i];
    return sources;
}

bool stageForTextures(EngineState &s, const TextureSources &sources)
{
    for (int unit = 0; unit < kTextureUnits; ++unit)
        if (!sources.unit[unit])
            deleteUnitTexture(s, unit);  /* the unit samples texture 0, as a fresh context's does */
    if (!texturesFit(*s.ctx, sources)) {
        queueError(s, msg::kTextureTooLarge);
        return false;
    }
    if (ensureStaging(s, stagingRequest(*s.ctx, sources)) == 0)
        return true;
    queueError(s, msg::kMemoryNotEnough);
    return false;
}

void convertSource(EngineState &s, const PF_EffectWorld *source)
{
    if (uploadsNative(s.ctx->depth))
        copyToTexels(s, source, s.stagingBuffer);
    else
        copyToBuffer(s, source, s.stagingBuffer);
}

void defineTexture(EngineState &s, int unit, const PF_EffectWorld *source, float *layerResolution)
{
    int64_t texW = clipped(s.ctx->width, source->width);
    int64_t texH = clipped(s.ctx->height, source->height);
    UnitTexture &texture = s.unitTextures[unit];
    glActiveTexture(GL_TEXTURE0 + unit);
    if (!texture.name)
        glGenTextures(1, &texture.name);
    glBindTexture(GL_TEXTURE_2D, texture.name);
    setSamplerState(*s.ctx);
    defineLevel(texture, s.ctx->depth, texW, texH, s.stagingBuffer);
    if (unit >= kFirstLayerUnit) {
        layerResolution[(unit - kFirstLayerUnit) * 2] = static_cast<float>(texW);
        layerResolution[(unit - kFirstLayerUnit) * 2 + 1] = static_cast<float>(texH);
    }
}

} // namespace qv
