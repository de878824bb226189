// qvhost render: renders frames of the plug-in to image files, the way the
// host renders a composition with the effect applied to its layer. The
// options set the values of one effect instance, new or loaded from a
// project, as the user sets them in the effect's controls.
#include "base/language.h"
#include "base/param_indices.h"
#include "base/popup_codes.h"
#include "testhost/qvhost/cli.h"
#include "testhost/qvhost/cli_errors.h"
#include "testhost/qvhost/cli_support.h"
#include "testhost/images/composition.h"
#include "testhost/qvhost/frame_output.h"
#include "testhost/images/frame_pattern.h"
#include "testhost/host/host.h"
#include "testhost/images/image_io.h"
#include "testhost/effect/instance.h"
#include "testhost/qvhost/interrupt.h"
#include "testhost/os/os.h"
#include "testhost/qvhost/plugin_messages.h"
#include "testhost/qvhost/render_batch.h"
#include "testhost/scripting/script_engine.h"
#include "testhost/effect/smartfx.h"
#include "testhost/os/terminal_text.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace qvh {
namespace {

// The render's bits per channel and, when the data chose them, why.
struct DepthChoice {
    int depth;
    std::string reason;
};

struct RenderOptions {
    std::string plugin, code, language, input, size, out;  // size: the test pattern's, 1920x1080 when not given
    std::string time, frames, project, saveProject;
    std::string wrapU, wrapV, mag, min;
    std::vector<std::string> layers, sliders, angles, checkboxes, points, points3d, colors;
    int depth = 0;  // 0: follows the data (chooseDepth)
    double fps = 24.0;
    int threads = 1;
    bool debug = false, failFast = false, exrHalf = false;
    double abortAfter = -1;  // seconds; negative: the host never asks to stop
    bool allowScriptAccess = false;  // the host's preference for scripts' files and network
};

double number(const std::string &text, const std::string &what)
{
    std::size_t used = 0;
    double v = 0;
    try {
        v = std::stod(text, &used);
    } catch (const std::exception &) {
        used = 0;
    }
    if (used == 0 || used != text.size() || !std::isfinite(v))
        throw UsageError(what + ": '" + text + "' is not a number");
    return v;
}

long integer(const std::string &text, const std::string &what)
{
    double v = number(text, what);
    if (v != std::floor(v) || std::fabs(v) > 1e9)
        throw UsageError(what + ": '" + text + "' is not a whole number");
    return static_cast<long>(v);
}

std::vector<double> numberList(const std::string &text, const std::string &what)
{
    std::vector<double> values;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');)
        values.push_back(number(item, what));
    return values;
}

// "N=VALUE" with N from 0 to 9: the bank member and the value text.
std::pair<int, std::string> member(const std::string &text, const char *option)
{
    std::size_t eq = text.find('=');
    std::string what = std::string(option) + " " + text;
    if (eq == std::string::npos)
        throw UsageError(what + ": expected N=VALUE");
    long n = integer(text.substr(0, eq), what);
    if (n < 0 || n > 9)
        throw UsageError(what + ": N must be 0 to 9");
    return {static_cast<int>(n), text.substr(eq + 1)};
}

std::vector<double> values(const std::string &text, const char *option, std::size_t least, std::size_t most)
{
    std::vector<double> v = numberList(text, option);
    if (v.size() < least || v.size() > most)
        throw UsageError(std::string(option) + " " + text + ": expected " + std::to_string(least) +
                         (least == most ? "" : " or " + std::to_string(most)) + " numbers");
    return v;
}

PF_Fixed fixed(double v) { return static_cast<PF_Fixed>(std::lround(v * 65536.0)); }

void setBank(Instance &instance, const RenderOptions &o)
{
    using namespace qv;
    for (const std::string &s : o.sliders) {
        auto m = member(s, "--slider");
        instance.setFloat(kFirstSliderParam + m.first, values(m.second, "--slider", 1, 1)[0]);
    }
    for (const std::string &s : o.angles) {
        auto m = member(s, "--angle");
        instance.setAngle(kFirstAngleParam + m.first, fixed(values(m.second, "--angle", 1, 1)[0]));
    }
    for (const std::string &s : o.checkboxes) {
        auto m = member(s, "--checkbox");
        if (m.second != "0" && m.second != "1")
            throw UsageError("--checkbox " + s + ": the value must be 0 or 1");
        instance.setCheckbox(kFirstCheckboxParam + m.first, m.second == "1");
    }
    for (const std::string &s : o.points) {
        auto m = member(s, "--point");
        std::vector<double> v = values(m.second, "--point", 2, 2);
        instance.setPoint(kFirstPointParam + m.first, fixed(v[0]), fixed(v[1]));
    }
    for (const std::string &s : o.points3d) {
        auto m = member(s, "--point3d");
        std::vector<double> v = values(m.second, "--point3d", 3, 3);
        instance.setPoint3D(kFirstPoint3DParam + m.first, v[0], v[1], v[2]);
    }
    for (const std::string &s : o.colors) {
        auto m = member(s, "--color");
        std::vector<double> v = values(m.second, "--color", 3, 4);
        for (double c : v)
            if (c < 0 || c > 1)
                throw UsageError("--color " + s + ": channels go from 0 to 1");
        auto byte = [](double c) { return static_cast<A_u_char>(std::lround(c * 255)); };
        instance.setColor(kFirstColorParam + m.first, {byte(v.size() == 4 ? v[3] : 1.0), byte(v[0]), byte(v[1]), byte(v[2])});
    }
}

// The code and the sampler popups; the language comes after (chooseLanguage).
void setSettings(Instance &instance, const RenderOptions &o)
{
    if (!o.code.empty())
        instance.setArbitraryText(qv::kCodeParam, readFile(o.code));
    if (!o.wrapU.empty())
        instance.setPopup(qv::kWrapUParam, PopupChoice(o.wrapU, "--wrap-u", kWrapNames));
    if (!o.wrapV.empty())
        instance.setPopup(qv::kWrapVParam, PopupChoice(o.wrapV, "--wrap-v", kWrapNames));
    if (!o.mag.empty())
        instance.setPopup(qv::kMagFilterParam, PopupChoice(o.mag, "--mag", kFilterNames));
    if (!o.min.empty())
        instance.setPopup(qv::kMinFilterParam, PopupChoice(o.min, "--min", kFilterNames));
}

// Throws when the plug-in fails a change the user made.
void userChanged(Instance &instance, PF_ParamIndex index, const char *what)
{
    CommandResult r = instance.userChangedParam(index);
    if (r.err)
        throw RunError(std::string(what) + " failed with error " + std::to_string(r.err) + ": " +
                                 r.message());
}

// The language named on the command line, when one is.
void chooseLanguage(Instance &instance, const RenderOptions &o)
{
    if (o.language.empty())
        return;
    ChooseLanguage(instance, o.language);
}

// A layer's source: a file, a frame pattern read anew for every frame, or
// (for layers) the input layer itself.
struct LayerSource {
    int index;  // -1: the input layer
    std::string name;
    bool isInput() const { return name == "input" && index >= 0; }
    bool perFrame() const { return !isInput() && isFramePattern(name); }
};

// Out of memory while reading an image whose declared size was checked
// counts as an unusable input too.
Image readInput(const std::string &path)
{
    try {
        return readImage(path);
    } catch (const std::bad_alloc &) {
        throw InputError(path + ": out of memory reading the image");
    } catch (const std::runtime_error &e) {
        throw InputError(e.what());
    }
}

std::vector<LayerSource> layerSources(const RenderOptions &o)
{
    std::vector<LayerSource> sources;
    if (!o.input.empty())
        sources.push_back({-1, o.input});
    for (const std::string &l : o.layers) {
        auto m = member(l, "--layer");
        sources.push_back({m.first, m.second});
    }
    return sources;
}

// A sequence has one frame size, its first frame's: a later input frame of
// another size fails its frame instead of making an output of another size.
void checkSequenceSize(const Composition &comp, const Image &image, const std::string &file)
{
    if (image.width != comp.width || image.height != comp.height)
        throw std::runtime_error(file + ": " + std::to_string(image.width) + "x" + std::to_string(image.height) +
                                 ", but the sequence's frames are " + std::to_string(comp.width) + "x" +
                                 std::to_string(comp.height) + " (its first frame's size)");
}

// Sets the composition's layers for frame `number`: every pattern's file of
// that frame, then the layers that are the input layer itself. The first
// frame (`everything`) sets the sequence's size from the input.
void loadLayers(Composition &comp, const std::vector<LayerSource> &sources, long number, bool everything)
{
    for (const LayerSource &s : sources) {
        if (s.isInput() || !(everything || s.perFrame()))
            continue;
        std::string file = frameFileName(s.name, number);
        Image image = readInput(file);
        if (s.index < 0 && everything)
            comp.width = image.width, comp.height = image.height;
        else if (s.index < 0)
            checkSequenceSize(comp, image, file);
        comp.setLayer(s.index, image);
    }
    for (const LayerSource &s : sources)
        if (s.isInput())
            comp.layers[s.index] = comp.sharedInput();
}

// The test pattern's size: --size, or 1920x1080.
void setPatternSize(Composition &comp, const RenderOptions &o)
{
    if (!o.size.empty() && !o.input.empty())
        throw UsageError("--size " + o.size + ": the frame has the size of the --input images; scale them "
                         "beforehand, or leave --size out");
    std::string size = o.size.empty() ? "1920x1080" : o.size;
    long w = 0, h = 0;
    std::size_t x = size.find('x');
    if (x != std::string::npos) {
        w = integer(size.substr(0, x), "--size " + size);
        h = integer(size.substr(x + 1), "--size " + size);
    }
    if (x == std::string::npos || w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide ||
        w * h > kMaxImagePixels)
        throw UsageError("--size " + size + ": expected WxH, each 1 to " + std::to_string(kMaxImageSide) + ", " +
                         std::to_string(kMaxImagePixels / 1000000) + " million pixels at most");
    comp.width = w, comp.height = h;
}

// Whether the output type holds floats at any depth (OpenEXR, for one).
bool floatOutput(const std::string &out)
{
    if (out == "-")
        return false;
    SampleType sample = sampleTypeFor(out, 8, false);
    return sample == SampleType::Half || sample == SampleType::Float;
}

// The render's depth: --depth, or one that follows the data: 32 bits where
// the output type or the input holds floats, 16 for a 16-bit input, else 8.
DepthChoice chooseDepth(const RenderOptions &o, long firstFrame)
{
    if (o.depth != 0 && o.depth != 8 && o.depth != 16 && o.depth != 32)
        throw UsageError("--depth must be 8, 16 or 32");
    if (o.depth == 8 && floatOutput(o.out))
        std::fprintf(stderr, "qvhost render: warning: --depth 8 puts 8-bit steps in a float file and clips values "
                             "above 1; leave --depth out or give --depth 32\n");
    if (o.depth != 0)
        return {o.depth, ""};
    if (floatOutput(o.out))
        return {32, "the output type holds floats"};
    int bits = 8;
    if (!o.input.empty()) {
        std::string file = frameFileName(o.input, firstFrame);
        try {
            bits = storedBits(file);
        } catch (const std::runtime_error &e) {
            throw InputError(e.what());
        }
    }
    if (bits == 32)
        return {32, "the input holds floats"};
    if (bits == 16)
        return {16, "the input holds 16 bits"};
    return {8, ""};
}

void setComposition(Composition &comp, Instance &instance, const RenderOptions &o, long firstFrame)
{
    if (o.fps <= 0 || !std::isfinite(o.fps))
        throw UsageError("--fps must be above 0");
    comp.fps = o.fps;
    setPatternSize(comp, o);
    std::vector<LayerSource> sources = layerSources(o);
    for (const LayerSource &s : sources)
        if (s.index >= 0)
            instance.setCheckbox(qv::kFirstLoadLayerParam + s.index, true);
    loadLayers(comp, sources, firstFrame, true);  /* every file checked before the first frame */
    comp.sharedInput();  /* the test pattern made once, shared by every frame */
}

std::vector<BatchFrame> frames(const RenderOptions &o)
{
    if (!o.time.empty() && !o.frames.empty())
        throw UsageError("--time and --frames exclude each other");
    std::vector<BatchFrame> list;
    if (!o.frames.empty()) {
        std::vector<long> numbers;
        try {
            numbers = parseFrameList(o.frames);
        } catch (const std::invalid_argument &e) {
            throw UsageError(e.what());
        }
        for (long n : numbers)
            list.push_back({n, frameTime(n, o.fps)});
    } else {
        double seconds = o.time.empty() ? 0.0 : number(o.time, "--time");
        list.push_back({std::lround(seconds * o.fps), secondsTime(seconds, o.fps)});
    }
    if (list.size() > 1 && o.out != "-" && !isFramePattern(o.out))
        throw UsageError("--frames needs an output name holding #### or %04d for the frame number");
    if (o.out == "-" && os::isTerminal(1))
        throw UsageError("--out -: standard output is a terminal; pipe it into an encoder or a file");
    if (o.out != "-") {
        try {
            checkOutputName(o.out);
        } catch (const std::runtime_error &e) {
            throw UsageError(std::string("--out ") + e.what());
        }
    }
    if (o.threads < 1 || o.threads > 64)
        throw UsageError("--threads must be 1 to 64");
    return list;
}

// Ticks "Debug" as the user does: PF_Cmd_USER_CHANGED_PARAM, and the plug-in
// opens its log window in the host's script engine.
void tickDebug(Instance &instance)
{
    instance.setCheckbox(qv::kDebugParam, true);
    userChanged(instance, qv::kDebugParam, "ticking Debug");
}

// The log window's lines as the user reads them, newest on top.
void printDebugLog()
{
    std::vector<std::string> lines = scriptEngine().strings("typeof __QUORVEL_DEBUG === 'object' ? __QUORVEL_DEBUG.logs : []");
    std::fprintf(stderr, "debug log (%zu entries, newest first):\n", lines.size());
    for (const std::string &line : lines)
        std::fprintf(stderr, "%s\n", TerminalText(line).c_str());
}

bool rendersAsGlsl(Instance &instance)
{
    return instance.param(qv::kLanguageParam).u.pd.value == qv::PopupValueOf(qv::Language::Glsl);
}

// GLSL or Shadertoy: the code compiles, or fails to, alike on every frame
// (a Lua script's errors may depend on the frame).
bool rendersCompiledCode(Instance &instance)
{
    qv::Language language = qv::LanguageOfPopup(instance.param(qv::kLanguageParam).u.pd.value);
    return language == qv::Language::Glsl || language == qv::Language::Shadertoy;
}

// The status of a batch: what ended it, else the worst of its frames.
int batchStatus(const BatchReport &report)
{
    if (report.noGl)
        return kExitBadInput;  /* nothing rendered: the machine, not the code, is at fault */
    if (report.interrupted)
        return interruptStatus();
    return report.inputFailed ? kExitBadInput : report.renderFailed ? kExitFailed : kExitDone;
}

int renderAll(Instance &instance, Composition &comp, const RenderOptions &o, const std::vector<BatchFrame> &list,
              const DepthChoice &depth, FrameOutput &output)
{
    CommandRunner run = [&](PF_Cmd cmd, void *extra, PF_InData &in) { return instance.command(cmd, extra, in); };
    std::vector<LayerSource> sources = layerSources(o);
    LayerLoader load = [&](Composition &c, long number) { loadLayers(c, sources, number, false); };
    BatchSettings settings;
    settings.threads = o.threads;
    settings.failFast = o.failFast;
    settings.glsl = rendersAsGlsl(instance);
    settings.compiled = rendersCompiledCode(instance);
    settings.code = instance.arbitraryText(qv::kCodeParam);
    settings.quiet = !o.frames.empty();
    settings.depthReason = depth.reason;
    installInterruptAbort();
    if (o.abortAfter >= 0)
        abortAfter(o.abortAfter);  /* counted from the first frame's start */
    BatchReport report = renderBatch(comp, run, list, settings, load, output);
    if (!report.noGl && (!o.frames.empty() || report.interrupted))
        std::fprintf(output.toStdout() ? stderr : stdout, "wrote %zu frame%s%s%s (%d bits%s%s)\n", report.written,
                     report.written == 1 ? "" : "s", output.toStdout() ? "" : " to ",
                     output.toStdout() ? " to standard output" : o.out.c_str(), comp.depth,
                     depth.reason.empty() ? "" : ": ", depth.reason.c_str());
    if (o.debug)
        printDebugLog();
    if (report.interrupted && !report.noGl)
        std::fprintf(stderr, "qvhost render: interrupted\n");
    return batchStatus(report);
}

std::unique_ptr<Instance> makeInstance(CliSession &session, const RenderOptions &o)
{
    return o.project.empty() ? Instance::create(session.params()) : session.loadProject(o.project);
}

// The instance as the options make it: the project's (or a new one), then the
// values, the code, the layers, the language and "Debug", in the order a user
// would set them; saved when asked before any frame is rendered. Then, for
// the render only, "Debug" is ticked so that the plug-in's messages reach the
// host's log window, where qvhost learns of failures.
std::unique_ptr<Instance> buildInstance(CliSession &session, Composition &comp, const RenderOptions &o, long firstFrame)
{
    host().allowScriptAccess = o.allowScriptAccess;
    if (o.allowScriptAccess)
        installScriptEngine();  /* the engine answers the plug-in's question for the preference */
    std::unique_ptr<Instance> instance = makeInstance(session, o);
    setSettings(*instance, o);
    setBank(*instance, o);
    setComposition(comp, *instance, o, firstFrame);
    installScriptEngine();
    chooseLanguage(*instance, o);
    if (o.debug)
        tickDebug(*instance);
    if (!o.saveProject.empty())
        SaveProject(o.saveProject, *instance);
    listenToDebugLog();
    if (!o.debug)
        tickDebug(*instance);
    return instance;
}

// Global setup and parameter setup, the instance, the frames; the instance
// goes before the session's parameter declaration and global setdown.
int renderSession(const RenderOptions &o, const std::vector<BatchFrame> &list, const DepthChoice &depth,
                  FrameOutput &output)
{
    std::unique_ptr<CliSession> session = CliSession::open(o.plugin.empty() ? defaultPluginPath() : o.plugin);
    Composition comp;
    comp.depth = depth.depth;
    std::unique_ptr<Instance> instance = buildInstance(*session, comp, o, list.front().number);
    return renderAll(*instance, comp, o, list, depth, output);
}

// The output is set up before the plug-in loads, so that nothing it prints
// reaches the frames on standard output.
int runRender(const RenderOptions &o)
{
    std::vector<BatchFrame> list = frames(o);
    DepthChoice depth = chooseDepth(o, list.front().number);
    FrameOutput output(o.out, depth.depth, o.exrHalf);
    return renderSession(o, list, depth, output);
}

} // namespace

void addRenderCommand(CLI::App &app, int &status)
{
    auto o = std::make_shared<RenderOptions>();
    CLI::App *cmd = app.add_subcommand("render", "Render frames of the effect to image files");
    cmd->add_option("--plugin", o->plugin, "Plug-in library (default: Quorvel.aex beside qvhost)");
    cmd->add_option("--code", o->code, "File holding the code (default: the stored default code)");
    cmd->add_option("--language", o->language, NameList(kLanguageNames) + ", as the Language popup");
    cmd->add_option("--input", o->input, "Input layer: an image file (PNG, TIFF, EXR, JPEG, DPX, ...) or a frame pattern");
    cmd->add_option("--size", o->size, "WxH of the built-in test pattern, without --input (default 1920x1080)");
    cmd->add_option("--layer", o->layers, "N=FILE, N=PATTERN or N=input: layer N, with its Load layer switch on");
    cmd->add_option("--depth", o->depth, "Bits per channel: 8, 16 or 32 (default: follows the input and output types)");
    cmd->add_option("--time", o->time, "Time of the frame in seconds (default 0)");
    cmd->add_option("--frames", o->frames, "N, A-B or A-B:STEP: frames at --fps, output name with #### or %04d");
    cmd->add_option("--fps", o->fps, "Composition frame rate (default 24)");
    cmd->add_option("--slider", o->sliders, "N=V");
    cmd->add_option("--angle", o->angles, "N=DEGREES");
    cmd->add_option("--checkbox", o->checkboxes, "N=0|1");
    cmd->add_option("--point", o->points, "N=X,Y (pixels)");
    cmd->add_option("--point3d", o->points3d, "N=X,Y,Z");
    cmd->add_option("--color", o->colors, "N=R,G,B[,A] (0 to 1)");
    cmd->add_option("--wrap-u", o->wrapU, NameList(kWrapNames));
    cmd->add_option("--wrap-v", o->wrapV, NameList(kWrapNames));
    cmd->add_option("--mag", o->mag, NameList(kFilterNames));
    cmd->add_option("--min", o->min, NameList(kFilterNames));
    cmd->add_option("--project", o->project, "Render the instance saved in FILE");
    cmd->add_option("--save-project", o->saveProject, "Save the instance built from the options");
    cmd->add_flag("--debug", o->debug, "Tick Debug (the log window opens) and print the log to standard error");
    cmd->add_option("--threads", o->threads, "Render frames on N threads (default 1)");
    cmd->add_option("--abort-after", o->abortAfter, "SECONDS: the host asks the render to stop after that time");
    cmd->add_flag("--allow-script-access", o->allowScriptAccess,
                  "Turn on the host's preference that lets scripts write files and access the network");
    cmd->add_flag("--fail-fast", o->failFast, "Stop at the first frame that fails");
    cmd->add_flag("--exr-half", o->exrHalf, "Write .exr files with half floats (default: 32-bit floats)");
    cmd->add_option("--out", o->out, "Output: image file by extension, frame pattern, or - for raw RGBA on standard output")->required();
    cmd->callback([o, &status] { status = runRender(*o); });
}

} // namespace qvh
