#include "engine/tiles.h"

#include <glad/gl.h>

#include <algorithm>
#include <vector>

namespace qv {

namespace {

constexpr int kFloatsPerVertex = 6;  // position x, y, z and texture u, v, w
constexpr int kFloatsPerTile = 6 * kFloatsPerVertex;
constexpr int kTileMargin = 2;       // pixels drawn past the frame's last column and row

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

void putTile(float *&out, const TileSpan &sx, const TileSpan &sy)
{
    float xL = -1.0f, yB = -1.0f, xR = sx.clipFar, yT = sy.clipFar;
    putVertex(out, xR, yB, sx.texFar, sy.texNear);
    putVertex(out, xL, yB, sx.texNear, sy.texNear);
    putVertex(out, xR, yT, sx.texFar, sy.texFar);
    putVertex(out, xL, yT, sx.texNear, sy.texFar);
    putVertex(out, xL, yB, sx.texNear, sy.texNear);
    putVertex(out, xR, yT, sx.texFar, sy.texFar);
}

void uploadVertices(EngineState &s, const std::vector<float> &vertices)
{
    glGenVertexArrays(1, &s.vao);
    glGenBuffers(1, &s.vbo);
    glBindVertexArray(s.vao);
    glBindBuffer(GL_ARRAY_BUFFER, s.vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(float)),
                 vertices.data(), GL_STATIC_DRAW);
    const GLsizei stride = kFloatsPerVertex * sizeof(float);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void *>(0));
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void *>(3 * sizeof(float)));
    glEnableVertexAttribArray(1);
}

} // namespace

TileGrid tileGrid(const EngineState &s)
{
    TileGrid grid;
    grid.tilesX = ceilDiv(s.ctx->width, s.fboWidth);
    grid.tilesY = ceilDiv(s.ctx->height, s.fboHeight);
    return grid;
}

TileRect tileRect(const EngineState &s, const TileGrid &grid, int64_t k)
{
    int64_t x0 = (k % grid.tilesX) * s.fboWidth, y0 = (k / grid.tilesX) * s.fboHeight;
    return TileRect{x0, std::min<int64_t>(x0 + s.fboWidth, s.ctx->width), y0,
                    std::min<int64_t>(y0 + s.fboHeight, s.ctx->height)};
}

void buildTiles(EngineState &s)
{
    if (s.vao || s.vbo) {  /* left from an earlier pass */
        glDeleteVertexArrays(1, &s.vao);
        glDeleteBuffers(1, &s.vbo);
        s.vao = s.vbo = 0;
    }
    TileGrid grid = tileGrid(s);
    std::vector<float> vertices(static_cast<size_t>(grid.count() * kFloatsPerTile));
    float *out = vertices.data();
    for (int64_t k = 0; k < grid.count(); ++k)
        putTile(out, tileSpan(k % grid.tilesX, grid.tilesX, s.fboWidth, s.ctx->width),
                tileSpan(k / grid.tilesX, grid.tilesY, s.fboHeight, s.ctx->height));
    uploadVertices(s, vertices);
}

// Only the tile's used rectangle is cleared and read: the rest of the
// framebuffer never reaches the output. Rows keep the framebuffer's stride.
void drawTile(EngineState &s, const TileRect &r, int64_t k)
{
    GLsizei w = static_cast<GLsizei>(r.x1 - r.x0), h = static_cast<GLsizei>(r.y1 - r.y0);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, w, h);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindVertexArray(s.vao);
    glDrawArrays(GL_TRIANGLES, static_cast<GLint>(6 * k), 6);
    glDisable(GL_SCISSOR_TEST);
    glPixelStorei(GL_PACK_ROW_LENGTH, s.fboWidth);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_FLOAT, s.readbackBuffer);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
}

} // namespace qv
