#include "engine/tiles.h"

#include <glad/gl.h>

#include <cassert>

#include <algorithm>
#include <chrono>
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
    assert(!s.vao && !s.vbo);  /* every pass ends in releasePassObjects, their one release point */
    TileGrid grid = tileGrid(s);
    std::vector<float> vertices(static_cast<size_t>(grid.count() * kFloatsPerTile));
    float *out = vertices.data();
    for (int64_t k = 0; k < grid.count(); ++k)
        putTile(out, tileSpan(k % grid.tilesX, grid.tilesX, s.fboWidth, s.ctx->width),
                tileSpan(k / grid.tilesX, grid.tilesY, s.fboHeight, s.ctx->height));
    uploadVertices(s, vertices);
}

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kPieceSeconds = 0.1;     // aimed-for time between two stop checks
constexpr int64_t kFirstPiecePixels = 8;  // small enough for any shader that can be stopped
constexpr double kMostGrowth = 64.0;     // a cheap region does not promise a cheap next one

// Draws the tile's pixels from row-major index `from`, at most `count` of
// them: whole rows where the count allows, else part of one row. Returns the
// number drawn.
int64_t drawPiece(const TileRect &r, int64_t k, int64_t from, int64_t count)
{
    int64_t w = r.x1 - r.x0, h = r.y1 - r.y0;
    int64_t row = from / w, col = from % w;
    GLsizei pieceW, pieceH;
    if (col == 0 && count >= w) {
        pieceW = static_cast<GLsizei>(w);
        pieceH = static_cast<GLsizei>(std::min(count / w, h - row));
    } else {
        pieceW = static_cast<GLsizei>(std::min(count, w - col));
        pieceH = 1;
    }
    glScissor(static_cast<GLint>(col), static_cast<GLint>(row), pieceW, pieceH);
    glDrawArrays(GL_TRIANGLES, static_cast<GLint>(6 * k), 6);
    return static_cast<int64_t>(pieceW) * pieceH;
}

// The next piece's size, so that one piece takes about kPieceSeconds.
int64_t nextPieceSize(int64_t drawn, double seconds)
{
    double scale = seconds > 0 ? kPieceSeconds / seconds : kMostGrowth;
    double next = static_cast<double>(drawn) * std::min(scale, kMostGrowth);
    return static_cast<int64_t>(std::max(1.0, std::min(next, 1e15)));
}

} // namespace

// Only the tile's used rectangle is cleared and read: the rest of the
// framebuffer never reaches the output. Rows keep the framebuffer's stride.
// The rectangle is drawn in scissored pieces with a stop check between them;
// a scissor changes which pixels are written, never their values.
bool drawTile(EngineState &s, const TileRect &r, int64_t k)
{
    GLsizei w = static_cast<GLsizei>(r.x1 - r.x0), h = static_cast<GLsizei>(r.y1 - r.y0);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, w, h);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindVertexArray(s.vao);
    if (s.piecePixels <= 0)
        s.piecePixels = kFirstPiecePixels;
    int64_t total = static_cast<int64_t>(w) * h;
    for (int64_t done = 0; done < total;) {
        if (s.ctx->stop()) {
            s.stopped = true;
            break;
        }
        Clock::time_point start = Clock::now();
        int64_t drawn = drawPiece(r, k, done, s.piecePixels);
        glFinish();  /* the piece's real cost, and nothing queued past a stop */
        done += drawn;
        s.piecePixels = nextPieceSize(drawn, std::chrono::duration<double>(Clock::now() - start).count());
    }
    glDisable(GL_SCISSOR_TEST);
    if (s.stopped)
        return false;
    glPixelStorei(GL_PACK_ROW_LENGTH, s.fboWidth);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_FLOAT, s.readbackBuffer);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    return true;
}

} // namespace qv
