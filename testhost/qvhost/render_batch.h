// The frames of one qvhost render: each on one of several threads, with its
// own copy of the composition (its layers may come from a file per frame),
// what the plug-in logged while rendering it, and its output written or
// reported. The first frame renders alone: when it shows that no frame can
// render (no OpenGL context, code that does not compile) the batch ends
// there. Stops taking frames on Ctrl-C and, when asked, at the first failure.
// A failed frame leaves no file.
#pragma once

#include "testhost/images/composition.h"
#include "testhost/qvhost/frame_output.h"
#include "testhost/effect/smartfx.h"

#include <functional>
#include <string>
#include <vector>

namespace qvh {

struct BatchFrame {
    long number;     // in file names and messages
    FrameTime time;
};

struct BatchSettings {
    int threads = 1;
    bool failFast = false;
    bool glsl = false;  // the instance's language is GLSL: every log line is a failure
    bool compiled = false;  // GLSL or Shadertoy: a compile error is the same on every frame
    std::string code;   // for the Shadertoy hint
    bool quiet = false; // no "wrote" line per frame (frame ranges, standard output)
    std::string depthReason;  // why the depth is what it is, when the data chose it
};

// Gives frame `number` its layers; throws std::runtime_error when a file of
// the frame cannot be read.
using LayerLoader = std::function<void(Composition &comp, long number)>;

struct BatchReport {
    std::size_t written = 0;
    bool renderFailed = false;  // a frame failed, or an output could not be written
    bool inputFailed = false;   // a frame's layer file could not be read
    bool noGl = false;          // no OpenGL context could be made: nothing was rendered
    bool interrupted = false;
};

BatchReport renderBatch(const Composition &base, const CommandRunner &run, const std::vector<BatchFrame> &frames,
                        const BatchSettings &settings, const LayerLoader &loadLayers, FrameOutput &output);

} // namespace qvh
