// The parameter bank, time and sizes, and the sampler units as uniforms of
// the pass's program, set at the locations its cache entry keeps.
#include "engine/uniforms.h"

#include "engine/engine_messages.h"
#include "engine/textures.h"

#include <glad/gl.h>

namespace qv {

namespace {

// The parameter bank's arrays, each converted to single precision.
void setBankUniforms(const UniformLocations &at, const ParamSnapshot &p)
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
    glUniform1fv(at.slider, kBankSize, sliders);
    glUniform1fv(at.angle, kBankSize, angles);
    glUniform1iv(at.checkbox, kBankSize, checks);
    glUniform2fv(at.point, kBankSize, points);
    glUniform3fv(at.point3d, kBankSize, points3d);
    glUniform4fv(at.color, kBankSize, colors);
}

void setFrameUniforms(const UniformLocations &at, const PassFrame &ctx)
{
    glUniform1f(at.time, static_cast<float>(ctx.time));
    glUniform1f(at.width, static_cast<float>(ctx.width));
    glUniform1f(at.height, static_cast<float>(ctx.height));
    const PF_EffectWorld *in = ctx.inputWorld;
    glUniform2f(at.origin, in ? static_cast<float>(in->origin_x) : 0.0f,
                in ? static_cast<float>(in->origin_y) : 0.0f);
    glUniform2f(at.resolution, in ? static_cast<float>(in->width) : 0.0f,
                in ? static_cast<float>(in->height) : 0.0f);
    glUniform1f(at.fps, static_cast<float>(ctx.fps));
}

} // namespace

UniformLocations lookUpUniforms(unsigned program)
{
    UniformLocations at;
    at.slider = glGetUniformLocation(program, "slider");
    at.angle = glGetUniformLocation(program, "angle");
    at.checkbox = glGetUniformLocation(program, "checkbox");
    at.point = glGetUniformLocation(program, "point");
    at.point3d = glGetUniformLocation(program, "point3d");
    at.color = glGetUniformLocation(program, "color");
    at.time = glGetUniformLocation(program, "time");
    at.width = glGetUniformLocation(program, "width");
    at.height = glGetUniformLocation(program, "height");
    at.origin = glGetUniformLocation(program, "origin");
    at.resolution = glGetUniformLocation(program, "resolution");
    at.fps = glGetUniformLocation(program, "fps");
    at.layerResolution = glGetUniformLocation(program, "layerResolution");
    at.inLayer = glGetUniformLocation(program, "inLayer");
    at.outLayer = glGetUniformLocation(program, "outLayer");
    at.layer = glGetUniformLocation(program, "layer");
    return at;
}

bool loadUniforms(EngineState &s)
{
    if (!s.ctx) {
        queueError(s, msg::kParametersContextLost);
        return false;
    }
    static const ParamSnapshot kNoParams;  /* a context without a snapshot reads zeros */
    setBankUniforms(s.locations, s.ctx->params ? *s.ctx->params : kNoParams);
    setFrameUniforms(s.locations, *s.ctx);
    glClampColor(GL_CLAMP_READ_COLOR, GL_FALSE);  /* float read-back keeps values outside [0, 1] */
    return true;
}

void setSamplerUniforms(EngineState &s, const float *layerResolution)
{
    glUniform2fv(s.locations.layerResolution, kBankSize, layerResolution);
    glUniform1i(s.locations.inLayer, kUnitInput);
    /* a reused program keeps an earlier pass's value: 0 is what a fresh one holds */
    glUniform1i(s.locations.outLayer, s.ctx->useOutputAsInput ? kUnitOutput : 0);
    GLint units[kBankSize];
    for (int i = 0; i < kBankSize; ++i)
        units[i] = kFirstLayerUnit + i;
    glUniform1iv(s.locations.layer, kBankSize, units);
}

} // namespace qv
