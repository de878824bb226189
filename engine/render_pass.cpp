#include "engine/render_pass.h"

#include "engine/engine_messages.h"
#include "engine/gl_context.h"
#include "engine/pixel_buffers.h"
#include "engine/shader_assembly.h"
#include "engine/textures.h"
#include "engine/tiles.h"
#include "engine/uniforms.h"

#include <glad/gl.h>

namespace qv {

namespace {

// Steps 1 to 3 of a pass: a context (made again if need be) and a usable
// render context, or the reason queued.
bool readyFor(EngineState &s, const PassFrame *ctx)
{
    if (!ensureContext(s))
        return false;
    if (!ctx) {
        queueError(s, msg::kUserDataLost);
        return false;
    }
    if (ctx->useOutputAsInput && !s.outBufferLayer) {
        queueError(s, msg::kOutputBufferCrashed);
        return false;
    }
    return true;
}

// Uniforms, then each present source converted and defined as its unit's texture.
void loadParameters(EngineState &s)
{
    {
        StageTimer timer(s.timings, &PassTimings::upload);
        if (!loadUniforms(s))
            return;
    }
    TextureSources sources = textureSources(*s.ctx);
    if (!stageForTextures(s, sources))
        return;
    float layerResolution[kBankSize * 2] = {};
    for (int unit = 0; unit < kTextureUnits; ++unit) {
        if (!sources.unit[unit])
            continue;
        {
            StageTimer timer(s.timings, &PassTimings::convert);
            convertSource(s, sources.unit[unit]);
        }
        StageTimer timer(s.timings, &PassTimings::upload);
        defineTexture(s, unit, sources.unit[unit], layerResolution);
    }
    StageTimer timer(s.timings, &PassTimings::upload);
    setSamplerUniforms(s, layerResolution);
}

void drawAndWriteTiles(EngineState &s)
{
    TileGrid grid = tileGrid(s);
    for (int64_t k = 0; k < grid.count(); ++k) {
        TileRect r = tileRect(s, grid, k);
        {
            StageTimer timer(s.timings, &PassTimings::draw);
            if (!drawTile(s, r, k))
                return;  /* stopped: the output is abandoned, outBufferLayer not committed */
        }
        StageTimer timer(s.timings, &PassTimings::writeBack);
        writeTile(s, s.readbackBuffer, r.x0, r.x1, r.y0, r.y1);
    }
    if (s.ctx->useOutputAsInput && s.ctx->height > 0) {
        StageTimer timer(s.timings, &PassTimings::writeBack);
        commitOutBufferLayer(s);
    }
}

void drawTiles(EngineState &s)
{
    glBindFramebuffer(GL_FRAMEBUFFER, s.fbo);
    glUseProgram(s.program);
    if (s.ctx->useOutputAsInput)
        prepareOutBufferLayer(s);
    if (!passFailed(s) && ensureReadback(s))
        drawAndWriteTiles(s);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// Compile, geometry, parameters and tiles: the geometry once the program
// linked, each later stage only while the pass has queued no message.
PassResult runStages(EngineState &s)
{
    if (s.timings)
        *s.timings = PassTimings();
    PassResult built;
    {
        StageTimer timer(s.timings, &PassTimings::compile);
        built = compileProgram(s);
    }
    if (built != PassResult::Ran)
        return built;
    buildTiles(s);
    if (!passFailed(s))
        loadParameters(s);
    if (!passFailed(s))
        drawTiles(s);
    return s.stopped ? PassResult::Stopped : PassResult::Ran;
}

} // namespace

PassResult runPass(EngineState &s, const std::string &code, PassFrame *ctx, bool wrap)
{
    if (!readyFor(s, ctx))
        return PassResult::Refused;
    s.ctx = ctx;
    s.stopped = false;
    s.piecePixels = 0;
    s.passErrorMark = s.errorQueue.size();  /* messages left from initialisation do not stop the pass */
    s.fragmentSource = wrap ? makeFragmentSource(code, kGlslVersion) : code;
    makeCurrent(s);
    glBindFramebuffer(GL_FRAMEBUFFER, s.fbo);
    PassResult result = runStages(s);
    glBindTexture(GL_TEXTURE_2D, 0);
    releasePassObjects(s);
    releaseCurrent();
    return result;
}

} // namespace qv
