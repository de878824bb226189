// GLSLCore: one GLSL fragment pass over the output frame in a hidden GLFW
// window's OpenGL 3.3 core context. Errors are queued,
// never thrown; callers drain them with hasError/popError after render.
#pragma once

#include "engine/pass_frame.h"
#include "sdk/ae_sdk.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

struct GLFWwindow;

namespace qv {

// Serialises every GLSLCore operation and every GL call in the process.
std::recursive_mutex &engineMutex();

// Wall-clock seconds of one pass's stages, filled when a sink is set.
struct PassTimings {
    double compile = 0;    // compile and link
    double convert = 0;    // host pixels to float (copyToBuffer)
    double upload = 0;     // texture definitions, uniforms
    double draw = 0;       // clear, draw and read-back of every tile
    double writeBack = 0;  // writeTile and the outBufferLayer commit
};

class GLSLCore {
public:
    static constexpr int kTextureUnits = 12;  // input, output, ten layers

    GLSLCore();
    ~GLSLCore();
    GLSLCore(const GLSLCore &) = delete;
    GLSLCore &operator=(const GLSLCore &) = delete;

    // One pass: 0 when it ran its course, -1 when it refused to start.
    int render(const std::string &code, PassFrame *pcData, bool wrap);
    bool hasError();
    std::string popError();  // oldest first; "" when empty

    // Context and lifecycle
    int initContext();
    bool isInitialised() const { return initialised; }
    int fboWidthPixels() const { return fboWidth; }
    int fboHeightPixels() const { return fboHeight; }
    GLFWwindow *windowHandle() const { return window; }

    // Shader assembly
    std::string makeFragmentSource(const std::string &code, int version);
    int compileProgram();
    const std::string &fragmentText() const { return fragmentSource; }

    // Uniforms and textures
    void loadParameters();

    // Pixel conversion; they read the pass's context, set by render or setContext.
    void setContext(PassFrame *pcData) { ctx = pcData; }
    void copyToBuffer(const PF_EffectWorld *world, float *dest);
    void writeTile(const float *readback, int64_t x0, int64_t x1, int64_t y0, int64_t y1);
    int ensureStaging(uint64_t bytes);
    void prepareOutBufferLayer();
    void commitOutBufferLayer();
    float *staging() const { return stagingBuffer; }
    uint64_t stagingBytes() const { return stagingCapacity; }
    const PF_EffectWorld *outBuffer() const { return outBufferLayer; }

    void setPassTimings(PassTimings *sink) { timings = sink; }

private:
    void queueError(std::string message);
    void releaseContext();
    void forgetStaleContext();
    void makeCurrent();
    void releaseCurrent();
    bool readyFor(const PassFrame *pcData);
    void loadTexture(int unit, const PF_EffectWorld *source, float *layerResolution);
    void runStages();
    void buildTiles();
    void drawTiles();
    void releaseGeometry();
    void releasePassObjects();
    void drawTile(int64_t k, int64_t tilesX);
    bool passFailed() const;  // a message was queued since the pass began

    PassFrame *ctx = nullptr;
    bool initialised = false;
    std::string fragmentSource;
    std::string vertexSource;
    std::deque<std::string> errorQueue;
    GLFWwindow *window = nullptr;
    unsigned program = 0;
    unsigned vbo = 0;
    unsigned vao = 0;
    unsigned fbo = 0;
    unsigned fboTexture = 0;
    unsigned layerTextures[kTextureUnits] = {};
    PF_EffectWorld *outBufferLayer = nullptr;
    float *stagingBuffer = nullptr;
    float *readbackBuffer = nullptr;
    uint64_t stagingCapacity = 0;
    int fboWidth = 0;
    int fboHeight = 0;

    unsigned glfwGeneration = 0;  // the GLFW session this engine's context belongs to
    size_t passErrorMark = 0;     // queue length when the pass began
    PassTimings *timings = nullptr;
};

// The thread's engines, one per calling site, each made on first
// use in the thread and destroyed when the thread ends.
GLSLCore &driverEngine();
GLSLCore &luaGlslEngine();
GLSLCore &luaFullGlslEngine();

} // namespace qv
