#include "testhost/qvhost/render_batch.h"

#include "testhost/qvhost/frame_writer.h"
#include "testhost/qvhost/interrupt.h"
#include "testhost/qvhost/plugin_messages.h"
#include "testhost/qvhost/render_progress.h"
#include "testhost/os/terminal_text.h"
#include "testhost/effect/frame_pool.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <cstdio>
#include <mutex>
#include <new>

namespace qvh {
namespace {

// One frame's outcome, reported on one thread at a time.
struct FrameOutcome {
    FrameResult result;
    std::vector<std::string> failures;  // what the plug-in logged about the code
    bool noGl = false;                  // the engine could not make its OpenGL context
    std::string inputError;
    bool outOfMemory = false;
};

class Batch {
public:
    Batch(const Composition &base, const CommandRunner &run, const std::vector<BatchFrame> &frames,
          const BatchSettings &settings, const LayerLoader &load, FrameOutput &output)
        : base_(base), run_(run), frames_(frames), settings_(settings), load_(load), output_(output),
          progress_(frames.size())
    {
    }

    BatchReport run()
    {
        if (!frames_.empty() && firstFrame())
            otherFrames();
        writer_.finish();
        report_.interrupted = interrupted();
        return report_;
    }

private:
    using Job = std::function<void()>;

    bool stopping() const { return interrupted() || (settings_.failFast && failed_); }

    // Renders the first frame alone; false when the frames after it are not
    // to be tried: without an OpenGL context none can render, and code that
    // does not compile fails them all the same way.
    bool firstFrame()
    {
        FrameOutcome outcome = renderOne(frames_[0]);
        if (outcome.noGl && !interrupted()) {
            progress_.interrupt();
            std::fprintf(stderr, "qvhost render: cannot create an OpenGL context: no display; run under a display "
                                 "or xvfb-run\n");
            report_.noGl = true;
            return false;
        }
        bool compileFailed = settings_.compiled && !interrupted() &&
                             std::any_of(outcome.failures.begin(), outcome.failures.end(), isCompileFailure);
        take(0, outcome);
        if (compileFailed && frames_.size() > 1) {
            progress_.interrupt();
            std::fprintf(stderr, "qvhost render: the code does not compile: the remaining %zu frames were not "
                                 "rendered\n", frames_.size() - 1);
        }
        return !compileFailed;
    }

    void otherFrames()
    {
        forEachFrame(1, frames_.size(), settings_.threads,
                     [this](std::size_t i) {
                         FrameOutcome outcome = renderOne(frames_[i]);
                         take(i, outcome);
                     },
                     [this] { return stopping(); });
    }

    // Reports the frame; its file is written on the writer's thread while
    // the next frame renders.
    void take(std::size_t i, FrameOutcome &outcome)
    {
        Job job;
        {
            std::lock_guard<std::mutex> lock(reportMutex_);
            job = finishOrReport(i, outcome);
        }
        writer_.push(std::move(job));
    }

    Job finishOrReport(std::size_t i, FrameOutcome &outcome)
    {
        try {
            return finish(i, outcome);
        } catch (const std::bad_alloc &) {
            say("qvhost render: frame %ld: out of memory%s\n", frames_[i].number, "");
        }
        report_.renderFailed = failed_ = true;
        return [this, i] { leaveBlank(i); };
    }

    FrameOutcome renderOne(const BatchFrame &frame)
    {
        FrameOutcome outcome;
        try {
            Composition comp = base_;
            load_(comp, frame.number);
            DebugLogCapture capture;
            outcome.result = SmartFx(comp, run_).renderFrame(frame.time);
            for (const std::string &line : capture.lines()) {
                outcome.noGl = outcome.noGl || isNoGlMessage(line);
                if (settings_.glsl || isFailureMessage(line) || isNoGlMessage(line))
                    outcome.failures.push_back(line);
            }
        } catch (const std::bad_alloc &) {
            outcome.outOfMemory = true;
        } catch (const std::runtime_error &e) {
            outcome.inputError = e.what();
        }
        return outcome;
    }

    void say(const char *format, long number, const std::string &text)
    {
        progress_.interrupt();
        std::fprintf(stderr, format, number, TerminalText(text).c_str());
    }

    // Reports the frame; the job that writes its file (or keeps its place
    // in a raw stream when it failed).
    Job finish(std::size_t i, FrameOutcome &o)
    {
        long number = frames_[i].number;
        if (interrupted())
            return [this, i] { skip(i); };  /* the frame was asked to stop: nothing of it is kept */
        bool ok = check(number, o);
        failed_ = failed_ || !ok;
        progress_.frameDone();
        if (!ok)
            return [this, i] { leaveBlank(i); };  /* a failed frame must not replace a good file */
        const World &world = *o.result.output;
        auto image = std::make_shared<Image>(world.toImage());
        std::string size = std::to_string(world.width()) + "x" + std::to_string(world.height()) + ", " +
                           std::to_string(world.depth()) + " bits" +
                           (settings_.depthReason.empty() ? "" : ": " + settings_.depthReason);
        return [this, i, number, image, size] { writeFrame(i, number, *image, size); };
    }

    // Reports what went wrong in the frame; false when anything did.
    bool check(long number, const FrameOutcome &o)
    {
        if (!o.inputError.empty()) {
            say("qvhost render: frame %ld: %s\n", number, o.inputError);
            report_.inputFailed = true;
            return false;
        }
        if (o.outOfMemory) {
            say("qvhost render: frame %ld: out of memory\n", number, "");
            report_.renderFailed = true;
            return false;
        }
        const FrameResult &r = o.result;
        if (r.err() || !r.output) {
            say("qvhost render: frame %ld failed with error %s\n", number,
                std::to_string(r.err()) + (r.message.empty() ? "" : ": " + r.message));
        }
        for (const std::string &line : o.failures)
            say("qvhost render: frame %ld: %s\n", number, line);
        bool ok = !r.err() && r.output && o.failures.empty();
        if (!ok && !hinted_ && settings_.glsl && !settings_.code.empty()) {
            std::string hint = languageHint(settings_.code);
            if (!hint.empty())
                std::fprintf(stderr, "qvhost render: %s\n", TerminalText(hint).c_str());
            hinted_ = true;
        }
        report_.renderFailed = report_.renderFailed || !ok;
        return ok;
    }

    // On the writer's thread, the only one that touches output_.
    void writeFrame(std::size_t i, long number, const Image &image, const std::string &size)
    {
        std::string problem;
        try {
            std::string name = output_.write(i, number, image);
            std::lock_guard<std::mutex> lock(reportMutex_);
            ++report_.written;
            if (!settings_.quiet)
                std::fprintf(output_.toStdout() ? stderr : stdout, "wrote %s (%s)\n", TerminalText(name).c_str(), size.c_str());
            return;
        } catch (const std::bad_alloc &) {
            problem = "out of memory writing the frame";
        } catch (const std::runtime_error &e) {
            problem = e.what();
        }
        std::lock_guard<std::mutex> lock(reportMutex_);
        say("qvhost render: frame %ld: %s\n", number, problem);
        report_.renderFailed = failed_ = true;
    }

    // The failed frame's place in a raw stream: transparent, of the size of
    // the sequence (its first frame's input).
    void leaveBlank(std::size_t i)
    {
        const World *first = base_.input.get();
        int width = first ? first->width() : base_.width, height = first ? first->height() : base_.height;
        guarded(i, [&] { output_.leaveBlank(i, width, height); });
    }

    void skip(std::size_t i)
    {
        guarded(i, [&] { output_.skip(i); });
    }

    template <typename Step>
    void guarded(std::size_t i, const Step &step)
    {
        try {
            step();
        } catch (const std::exception &e) {  /* frames held for standard output could not go out */
            std::lock_guard<std::mutex> lock(reportMutex_);
            say("qvhost render: frame %ld: %s\n", frames_[i].number, e.what());
            report_.renderFailed = failed_ = true;
        }
    }

    const Composition &base_;
    const CommandRunner &run_;
    const std::vector<BatchFrame> &frames_;
    const BatchSettings &settings_;
    const LayerLoader &load_;
    FrameOutput &output_;
    RenderProgress progress_;
    std::atomic<bool> failed_{false};
    std::mutex reportMutex_;
    BatchReport report_;
    bool hinted_ = false;
    FrameWriter writer_{2};  // last: its thread uses the members above
};

} // namespace

BatchReport renderBatch(const Composition &base, const CommandRunner &run, const std::vector<BatchFrame> &frames,
                        const BatchSettings &settings, const LayerLoader &loadLayers, FrameOutput &output)
{
    return Batch(base, run, frames, settings, loadLayers, output).run();
}

} // namespace qvh
