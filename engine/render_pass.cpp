// One pass: compile, tiled geometry, parameters, then each tile
// drawn into the FBO, read back and written into the output.
#include "engine/glsl_core.h"

#include "engine/engine_faults.h"
#include "engine/engine_lifecycle.h"

#include <glad/gl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace qv {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;
using Clock = std::chrono::steady_clock;

constexpr int kFloatsPerVertex = 6;  // position x, y, z and texture u, v, w
constexpr int kFloatsPerTile = 6 * kFloatsPerVertex;
constexpr int kTileMargin = 2;       // pixels drawn past the frame's last column and row

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int64_t ceilDiv(int64_t a, int64_t b)
{
    return a > 0 ? (a + b - 1) / b : 0;
}

// One axis of a tile: clip-space far edge and texture coordinates of both edges.
struct TileSpan {
    float clipFar, texNear, texFar;
};

TileSpan tileSpan(int64_t index, int64_t count, int64_t fboSize, int64_t frameSize)
{
    double size = static_cast<double>(frameSize);
    TileSpan span;
    span.texNear = static_cast<float>(static_cast<double>(index * fboSize) / size);
    if (index + 1 < count) {
        span.clipFar = 1.0f;
        span.texFar = static_cast<float>(static_cast<double>((index + 1) * fboSize) / size);
        return span;
    }
    int64_t remainder = frameSize - (count - 1) * fboSize;
    int64_t p = std::min(remainder + kTileMargin, fboSize);
    span.clipFar = static_cast<float>(2.0 * static_cast<double>(p) / static_cast<double>(fboSize) - 1.0);
    span.texFar = static_cast<float>(static_cast<double>(index * fboSize + p) / size);
    return span;
}

void putVertex(float *&out, float x, float y, float u, float v)
{
    const float vertex[kFloatsPerVertex] = {x, y, 0.0f, u, v, 0.0f};
    out = std::copy(vertex, vertex + kFloatsPerVertex, out);
}

} // namespace

int GLSLCore::render(const std::string &code, PassFrame *pcData, bool wrap)
{
    Lock lock(engineMutex());
    if (!readyFor(pcData))
        return -1;
    ctx = pcData;
    passErrorMark = errorQueue.size();  /* messages left from initialisation do not stop the pass */
    fragmentSource = wrap ? makeFragmentSource(code, 330) : code;
    makeCurrent();
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    runStages();
    glBindTexture(GL_TEXTURE_2D, 0);
    releasePassObjects();
    releaseCurrent();
    return 0;
}

// Steps 1 to 3 of render: a context (made again if need be) and a usable
// render context, or the reason queued.
bool GLSLCore::readyFor(const PassFrame *pcData)
{
    if (initialised && glfwGeneration != glfwSession())
        forgetStaleContext();  /* GLFW was terminated and destroyed our window */
    if (!initialised) {
        ensureGlfw();
        initContext();
        releaseCurrent();
        if (!initialised)
            return false;
    }
    if (!pcData) {
        queueError("QUORVEL_INNER_ERROR::\nUser data lost while rendering.");
        return false;
    }
    if (pcData->useOutputAsInput && !outBufferLayer) {
        queueError("QUORVEL_INNER_ERROR::\nOutput buffer crashed.");
        return false;
    }
    return true;
}

// Compile, geometry, parameters and tiles, each only while the pass has
// queued no message.
void GLSLCore::runStages()
{
    if (timings)
        *timings = PassTimings();
    Clock::time_point start = Clock::now();
    compileProgram();
    if (timings)
        timings->compile = secondsSince(start);
    if (!passFailed())
        buildTiles();
    if (!passFailed()) {
        start = Clock::now();
        loadParameters();
        if (timings)
            timings->upload = secondsSince(start) - timings->convert;
    }
    if (!passFailed())
        drawTiles();
}

bool GLSLCore::passFailed() const
{
    return errorQueue.size() > passErrorMark;
}

// Textures, geometry and program of the pass; only the context's own objects stay.
void GLSLCore::releasePassObjects()
{
    Lock lock(engineMutex());
    glDeleteTextures(kTextureUnits, layerTextures);
    for (unsigned &name : layerTextures)
        name = 0;
    glActiveTexture(GL_TEXTURE0);
    releaseGeometry();
    glDeleteProgram(program);
    program = 0;
}

void GLSLCore::buildTiles()
{
    Lock lock(engineMutex());
    if (vao || vbo)
        releaseGeometry();
    int64_t tilesX = ceilDiv(ctx->width, fboWidth);
    int64_t tilesY = ceilDiv(ctx->height, fboHeight);
    std::vector<float> vertices(static_cast<size_t>(tilesX * tilesY * kFloatsPerTile));
    float *out = vertices.data();
    for (int64_t k = 0; k < tilesX * tilesY; ++k) {
        TileSpan sx = tileSpan(k % tilesX, tilesX, fboWidth, ctx->width);
        TileSpan sy = tileSpan(k / tilesX, tilesY, fboHeight, ctx->height);
        float xL = -1.0f, yB = -1.0f, xR = sx.clipFar, yT = sy.clipFar;
        putVertex(out, xR, yB, sx.texFar, sy.texNear);
        putVertex(out, xL, yB, sx.texNear, sy.texNear);
        putVertex(out, xR, yT, sx.texFar, sy.texFar);
        putVertex(out, xL, yT, sx.texNear, sy.texFar);
        putVertex(out, xL, yB, sx.texNear, sy.texNear);
        putVertex(out, xR, yT, sx.texFar, sy.texFar);
    }
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(float)),
                 vertices.data(), GL_STATIC_DRAW);
    const GLsizei stride = kFloatsPerVertex * sizeof(float);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void *>(0));
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void *>(3 * sizeof(float)));
    glEnableVertexAttribArray(1);
}

void GLSLCore::drawTiles()
{
    Lock lock(engineMutex());
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glUseProgram(program);
    if (ctx->useOutputAsInput)
        prepareOutBufferLayer();
    if (!passFailed() && !readbackBuffer) {
        size_t bytes = static_cast<size_t>(fboWidth) * static_cast<size_t>(fboHeight) * 16;
        if (!engineFault(EngineFault::ReadbackAlloc))
            readbackBuffer = static_cast<float *>(std::malloc(bytes));
        if (!readbackBuffer)
            queueError("GLSL Core error : Memory not enough.\n");
    }
    if (!passFailed()) {
        int64_t tilesX = ceilDiv(ctx->width, fboWidth);
        int64_t tiles = tilesX * ceilDiv(ctx->height, fboHeight);
        for (int64_t k = 0; k < tiles; ++k)
            drawTile(k, tilesX);
        if (ctx->useOutputAsInput && ctx->height > 0) {
            Clock::time_point start = Clock::now();
            commitOutBufferLayer();
            if (timings)
                timings->writeBack += secondsSince(start);
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// Clears, draws and reads back tile k, then writes it into the pass's target.
void GLSLCore::drawTile(int64_t k, int64_t tilesX)
{
    int64_t x0 = (k % tilesX) * fboWidth, y0 = (k / tilesX) * fboHeight;
    Clock::time_point start = Clock::now();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindVertexArray(vao);
    glDrawArrays(GL_TRIANGLES, static_cast<GLint>(6 * k), 6);
    glReadPixels(0, 0, fboWidth, fboHeight, GL_RGBA, GL_FLOAT, readbackBuffer);
    Clock::time_point drawn = Clock::now();
    writeTile(readbackBuffer, x0, std::min<int64_t>(x0 + fboWidth, ctx->width), y0,
              std::min<int64_t>(y0 + fboHeight, ctx->height));
    if (timings) {
        timings->draw += std::chrono::duration<double>(drawn - start).count();
        timings->writeBack += secondsSince(drawn);
    }
}

void GLSLCore::releaseGeometry()
{
    Lock lock(engineMutex());
    glDeleteVertexArrays(1, &vao);
    glDeleteBuffers(1, &vbo);
    vao = vbo = 0;
}

} // namespace qv
