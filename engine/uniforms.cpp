// The parameter bank, time and sizes as uniforms, and the input,
// output and layer buffers as textures with the pass's sampler state.
#include "engine/glsl_core.h"

#include <glad/gl.h>

#include <algorithm>
#include <chrono>

namespace qv {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;
using Clock = std::chrono::steady_clock;

constexpr int kUnitOutput = 1;
constexpr int kFirstLayerUnit = 2;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

GLint wrapMode(int32_t item)
{
    switch (item) {
    case 1: return GL_MIRRORED_REPEAT;
    case 2: return GL_CLAMP_TO_EDGE;
    default: return GL_REPEAT;  /* item 0 and anything unknown */
    }
}

GLint filterMode(int32_t item)
{
    return item == 1 ? GL_NEAREST : GL_LINEAR;
}

GLint internalFormat(int depth)
{
    switch (depth) {
    case 16: return GL_RGBA16;
    case 32: return GL_RGBA32F;
    default: return GL_RGBA8;
    }
}

GLint location(unsigned program, const char *name)
{
    return glGetUniformLocation(program, name);
}

// The parameter bank's arrays, each converted to single precision.
void setBankUniforms(unsigned program, const ParamSnapshot &p)
{
    float sliders[kBankSize], angles[kBankSize], points[kBankSize * 2];
    float points3d[kBankSize * 3], colors[kBankSize * 4];
    GLint checks[kBankSize];
    for (int i = 0; i < kBankSize; ++i) {
        sliders[i] = static_cast<float>(p.sliders[i]);
        angles[i] = static_cast<float>(p.angles[i]);
        checks[i] = p.checkboxes[i] != 0.0 ? 1 : 0;  /* NaN counts as set, -0.0 as not */
        for (int c = 0; c < 2; ++c)
            points[i * 2 + c] = static_cast<float>(p.points[i][c]);
        for (int c = 0; c < 3; ++c)
            points3d[i * 3 + c] = static_cast<float>(p.points3d[i][c]);
        for (int c = 0; c < 3; ++c)
            colors[i * 4 + c] = static_cast<float>(p.colors[i][c]);
        colors[i * 4 + 3] = 1.0f;  /* the colour's own alpha is not passed on */
    }
    glUniform1fv(location(program, "slider"), kBankSize, sliders);
    glUniform1fv(location(program, "angle"), kBankSize, angles);
    glUniform1iv(location(program, "checkbox"), kBankSize, checks);
    glUniform2fv(location(program, "point"), kBankSize, points);
    glUniform3fv(location(program, "point3d"), kBankSize, points3d);
    glUniform4fv(location(program, "color"), kBankSize, colors);
}

void setFrameUniforms(unsigned program, const PassFrame &ctx)
{
    glUniform1f(location(program, "time"), static_cast<float>(ctx.time));
    glUniform1f(location(program, "width"), static_cast<float>(ctx.width));
    glUniform1f(location(program, "height"), static_cast<float>(ctx.height));
    const PF_EffectWorld *in = ctx.inputWorld;
    glUniform2f(location(program, "origin"), in ? static_cast<float>(in->origin_x) : 0.0f,
                in ? static_cast<float>(in->origin_y) : 0.0f);
    glUniform2f(location(program, "resolution"), in ? static_cast<float>(in->width) : 0.0f,
                in ? static_cast<float>(in->height) : 0.0f);
    glUniform1f(location(program, "fps"), static_cast<float>(ctx.fps));
}

void setSamplerState(const PassFrame &ctx)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filterMode(ctx.magFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filterMode(ctx.minFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapMode(ctx.wrapU));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapMode(ctx.wrapV));
}

// The staging request: the largest source clipped to the frame, 16 bytes a pixel.
uint64_t stagingRequest(const PassFrame &ctx, PF_EffectWorld *const sources[])
{
    int64_t maxW = 0, maxH = 0;
    for (int unit = 0; unit < GLSLCore::kTextureUnits; ++unit) {
        if (!sources[unit])
            continue;
        maxW = std::max<int64_t>(maxW, sources[unit]->width);
        maxH = std::max<int64_t>(maxH, sources[unit]->height);
    }
    int64_t w = std::max<int64_t>(std::min(ctx.width, maxW), 0);
    int64_t h = std::max<int64_t>(std::min(ctx.height, maxH), 0);
    return static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * 16u;
}

} // namespace

// Step 7 for one unit: the source converted into the staging buffer and
// defined as the unit's texture, clipped to the frame.
void GLSLCore::loadTexture(int unit, const PF_EffectWorld *source, float *layerResolution)
{
    Clock::time_point start = Clock::now();
    copyToBuffer(source, stagingBuffer);
    if (timings)
        timings->convert += secondsSince(start);
    int64_t texW = std::max<int64_t>(std::min<int64_t>(ctx->width, source->width), 0);
    int64_t texH = std::max<int64_t>(std::min<int64_t>(ctx->height, source->height), 0);
    glActiveTexture(GL_TEXTURE0 + unit);
    glGenTextures(1, &layerTextures[unit]);
    glBindTexture(GL_TEXTURE_2D, layerTextures[unit]);
    setSamplerState(*ctx);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat(ctx->depth), static_cast<GLsizei>(texW),
                 static_cast<GLsizei>(texH), 0, GL_RGBA, GL_FLOAT, stagingBuffer);
    if (unit >= kFirstLayerUnit) {
        layerResolution[(unit - kFirstLayerUnit) * 2] = static_cast<float>(texW);
        layerResolution[(unit - kFirstLayerUnit) * 2 + 1] = static_cast<float>(texH);
    }
}

void GLSLCore::loadParameters()
{
    Lock lock(engineMutex());
    if (!ctx) {
        queueError("QUORVEL::INNER_ERROR:\nLua userdata lost in GLSLCore while load Parameters.");
        return;
    }
    static const ParamSnapshot kNoParams;  /* a context without a snapshot reads zeros */
    setBankUniforms(program, ctx->params ? *ctx->params : kNoParams);
    setFrameUniforms(program, *ctx);
    glClampColor(GL_CLAMP_READ_COLOR, GL_FALSE);  /* float read-back keeps values outside [0, 1] */

    PF_EffectWorld *sources[kTextureUnits] = {ctx->inputWorld,
                                              ctx->useOutputAsInput ? ctx->outputWorld : nullptr};
    for (int i = 0; i < kBankSize; ++i)
        sources[kFirstLayerUnit + i] = ctx->layerWorlds[i];
    if (ensureStaging(stagingRequest(*ctx, sources)) != 0) {
        queueError("GLSL Core error : Memory not enough.\n");
        return;
    }

    float layerResolution[kBankSize * 2] = {};
    for (unsigned &name : layerTextures)
        name = 0;
    for (int unit = 0; unit < kTextureUnits; ++unit)
        if (sources[unit])
            loadTexture(unit, sources[unit], layerResolution);

    glUniform2fv(location(program, "layerResolution"), kBankSize, layerResolution);
    glUniform1i(location(program, "inLayer"), 0);
    if (ctx->useOutputAsInput)
        glUniform1i(location(program, "outLayer"), kUnitOutput);
    GLint units[kBankSize];
    for (int i = 0; i < kBankSize; ++i)
        units[i] = kFirstLayerUnit + i;
    glUniform1iv(location(program, "layer"), kBankSize, units);
}

} // namespace qv
