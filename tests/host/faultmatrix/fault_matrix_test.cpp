// The fault matrix: every command the host sends is run once to learn which
// suites, host functions and allocations it reaches, then once per fault in
// each of them (suite missing, error code, exception, a null where the host
// may hand one back, failed handle or memory allocation). Each row must end
// in an error the host can show or in a fallback, with nothing leaked, no
// suite, lock, checkout, effect, stream or undo group held, and the stored
// code intact.
#include "common/host_fixture.h"
#include "base/language.h"
#include "base/param_indices.h"
#include "testhost/host/aegp_refs.h"
#include "testhost/images/composition.h"
#include "testhost/scripting/script_engine.h"
#include "testhost/effect/smartfx.h"

#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const char kCode[] = "void main(){ outColor = vec4(0.25, 0.5, 0.75, 1.0); }";
const char kOtherCode[] = "void main(){ outColor = vec4(1.0); }";
const char kCancel[] = "function (d, u) { u.click(u.find('button', 'Cancel')); }";
const char kTypeOther[] =
    "function (d, u) { u.type(u.find('edittext'), 'void main(){ outColor = vec4(1.0); }'); "
    "u.click(u.find('button', 'Ok')); }";

// What a command ended in.
struct Outcome {
    PF_Err err = PF_Err_NONE;
    std::string message;
};

Outcome of(const qvh::CommandResult &r) { return {r.err, r.message()}; }

// One fault to inject, applied after a clean run showed the command reaches it.
struct Fault {
    enum Kind { kSuiteMissing, kFails, kThrows, kNull, kAllocation };
    Kind kind;
    std::string name;     // the suite or host function
    std::string row;      // what the row injects
    std::function<void()> apply;
};

// Pseudo-functions that make a host function hand back null instead of failing.
bool isNullFault(const std::string &name) { return name == qvh::kWithholdScriptResult || name == qvh::kNoLayerPixels; }

// Host functions that give something back. The host has done so when they
// report a failure, as a host reporting late would.
bool isRelease(const std::string &name)
{
    return name == "AEGP_UnlockMemHandle" || name == "AEGP_FreeMemHandle" || name == "host_dispose_handle";
}

std::vector<Fault> faultsFor(const qvh::Faults::Consulted &reached)
{
    auto &f = qvh::host().faults;
    std::vector<Fault> faults;
    for (const std::string &suite : reached.suites)
        faults.push_back({Fault::kSuiteMissing, suite, "suite " + suite + " missing", [&f, suite] { f.removeSuite(suite); }});
    std::set<std::string> throwing;  /* "F 3" is F for one index: a throw is the same for every index */
    for (const std::string &fn : reached.functions) {
        if (isNullFault(fn)) {
            faults.push_back({Fault::kNull, fn, fn + " null", [&f, fn] { f.failFunction(fn, 1); }});
            continue;
        }
        if (fn != "host_dispose_handle")  /* returns nothing: it can only throw */
            faults.push_back({Fault::kFails, fn, fn + " fails", [&f, fn] { f.failFunction(fn, PF_Err_INTERNAL_STRUCT_DAMAGED); }});
        if (throwing.insert(fn.substr(0, fn.find(' '))).second)
            faults.push_back({Fault::kThrows, fn, fn + " throws", [&f, fn] { f.throwFrom(fn); }});
    }
    auto allocations = [&](int reachedCount, const char *what, void (qvh::Faults::*fail)(int)) {
        if (reachedCount > 0)
            faults.push_back({Fault::kAllocation, what, std::string("first ") + what + " allocation fails",
                              [&f, fail] { (f.*fail)(1); }});
        if (reachedCount > 1)
            faults.push_back({Fault::kAllocation, what, std::string("every ") + what + " allocation fails",
                              [&f, fail] { (f.*fail)(1 << 20); }});
    };
    allocations(reached.handleAllocations, "handle", &qvh::Faults::failHandleAllocations);
    allocations(reached.memoryAllocations, "memory", &qvh::Faults::failMemoryAllocations);
    return faults;
}

// Error codes the host knows how to show: its own (PF_Err) and the AEGP
// suites' (A_Err), which the plug-in may pass on.
bool hostShows(PF_Err err)
{
    return (err >= A_Err_GENERIC && err <= A_Err_CONST_PROJECT_MODIFICATION) || err == A_Err_MISSING_SUITE ||
           (err >= PF_Err_INTERNAL_STRUCT_DAMAGED && err <= PF_Err_CANNOT_PARSE_KEYFRAME_TEXT);
}

// What a row may end in: success (the fallback), or a code the host shows
// with the message the dispatcher gives thrown codes (a missing suite) and
// exceptions. A release that throws may end in success: where the plug-in
// releases on leaving a scope it does not use the result.
void expectShowable(const Fault &fault, const Outcome &o)
{
    if (o.err == PF_Err_NONE) {
        if (fault.kind == Fault::kThrows) {
            EXPECT_TRUE(isRelease(fault.name)) << "exception lost";
        }
        return;
    }
    EXPECT_TRUE(hostShows(o.err)) << "error " << o.err << " the host cannot show: " << o.message;
    if (fault.kind == Fault::kThrows) {
        EXPECT_EQ(o.err, PF_Err_INTERNAL_STRUCT_DAMAGED);
        EXPECT_EQ(o.message, "QUORVEL::INNER_ERROR: injected fault in " + fault.name);
    }
    if (fault.kind == Fault::kSuiteMissing && fault.name != kPFEffectUISuite) {  /* global setup says it its own way */
        EXPECT_EQ(o.err, PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_EQ(o.message, "Error Id : 516");
    }
}

class FaultMatrixTest : public InstanceTest {
protected:
    void prepareHost() override
    {
        char pattern[] = "/tmp/qv-faults-XXXXXX";
        app_ = mkdtemp(pattern);
        mkdir((app_ + "/Plug-ins").c_str(), 0755);
        mkdir((app_ + "/Plug-ins/Tessmar").c_str(), 0755);
        qvh::host().appPath = std::u16string(app_.begin(), app_.end());
        qvh::host().allowScriptAccess = true;  /* the Lua row's qv.js reaches the host's engine */
        qvh::installScriptEngine();
        qvh::scriptEngine().setUser(kCancel);
    }
    void SetUp() override
    {
        InstanceTest::SetUp();
        instance().setArbitraryText(qv::kCodeParam, kCode);
    }
    void TearDown() override
    {
        qvh::host().faults.clear();
        InstanceTest::TearDown();
        EXPECT_EQ(qvh::aegpRefs().liveEffects(), 0u) << "effect references left over";
        EXPECT_EQ(qvh::aegpRefs().liveStreams(), 0u) << "streams left over";
        std::system(("rm -rf '" + app_ + "'").c_str());
        std::printf("[ matrix   ] %d rows\n", rows_);
    }

    // Runs `command` clean, then once per fault it reaches. `prepare` runs
    // before every run (fault-free), `restore` after it. A row may leave the
    // code as it was or as the clean run left it, nothing else; `check` adds
    // what a row of this command must end in. Returns what the clean run
    // reached.
    using RowCheck = std::function<void(const Fault &, const Outcome &)>;
    qvh::Faults::Consulted matrix(const std::string &command, const std::function<Outcome()> &run,
                                  const std::function<void()> &prepare = {},
                                  const std::function<void()> &restore = {}, const RowCheck &check = {})
    {
        auto &faults = qvh::host().faults;
        if (prepare)
            prepare();
        faults.takeConsulted();
        Outcome clean = guarded(run);
        qvh::Faults::Consulted reached = faults.takeConsulted();
        EXPECT_EQ(clean.err, PF_Err_NONE) << command << " fails without a fault: " << clean.message;
        if (clean.err)
            return reached;
        if (restore)
            restore();
        const std::string cleanCode = instance().arbitraryText(qv::kCodeParam);
        instance().setArbitraryText(qv::kCodeParam, kCode);

        for (const Fault &fault : faultsFor(reached)) {
            SCOPED_TRACE(command + ", " + fault.row);
            ++rows_;
            if (prepare)
                prepare();
            std::size_t handles = qvh::hostHandles().live();
            std::size_t memory = qvh::memoryHandles().live();
            std::size_t locked = qvh::hostHandles().locked() + qvh::memoryHandles().locked();
            int undoGroups = qvh::host().openUndoGroups;
            fault.apply();
            Outcome o = guarded(run);
            faults.clear();
            if (restore)
                restore();
            // Fewer is allowed: the host drops sequence data whose re-setup failed.
            EXPECT_LE(qvh::hostHandles().live(), handles) << "host handles leaked";
            EXPECT_LE(qvh::memoryHandles().live(), memory) << "memory handles leaked";
            EXPECT_EQ(qvh::hostHandles().locked() + qvh::memoryHandles().locked(), locked) << "handles left locked";
            expectNothingHeld();
            if (fault.name != "AEGP_EndUndoGroup") {  /* a close that failed leaves the group to the host */
                EXPECT_EQ(qvh::host().openUndoGroups, undoGroups) << "undo group left open";
            }
            qvh::host().openUndoGroups = undoGroups;
            expectShowable(fault, o);
            if (check)
                check(fault, o);
            std::string code = instance().arbitraryText(qv::kCodeParam);
            if (code != cleanCode) {
                EXPECT_EQ(code, kCode) << "stored code lost or altered";
            }
            instance().setArbitraryText(qv::kCodeParam, kCode);
        }
        return reached;
    }

    // What no command may keep once it returned, whatever failed in it.
    void expectNothingHeld()
    {
        EXPECT_EQ(qvh::host().suites.outstanding(), 0) << "suites left acquired";
        EXPECT_EQ(qvh::aegpRefs().liveEffects(), 0u) << "effect references left over";
        EXPECT_EQ(qvh::aegpRefs().liveStreams(), 0u) << "streams left over";
        EXPECT_EQ(instance().outstandingCheckouts(), 0) << "parameters left checked out";
        EXPECT_TRUE(qvh::host().misuse().empty()) << qvh::host().misuse().front();
    }

    // A command's outcome; a host command the simulator saw fail counts as an
    // error, anything else thrown out of the plug-in is a fault of its own.
    static Outcome guarded(const std::function<Outcome()> &run)
    {
        try {
            return run();
        } catch (const qvh::HostCommandError &e) {
            return of(e.result);
        } catch (const std::exception &e) {
            ADD_FAILURE() << "exception escaped to the host: " << e.what();
            return {PF_Err_INTERNAL_STRUCT_DAMAGED, e.what()};
        }
    }

    Outcome userChanged(PF_ParamIndex index) { return of(instance().userChangedParam(index)); }

    std::string app_;
    int rows_ = 0;
};

TEST_F(FaultMatrixTest, SequenceCommands)
{
    matrix("new instance (NEW, SEQUENCE_SETUP, SETDOWN, DISPOSE)", [&] {
        auto made = qvh::Instance::create(params());
        return Outcome{};
    });
    matrix("duplicate (COPY, GET_FLATTENED_SEQUENCE_DATA, RESETUP)", [&] {
        auto copy = instance().duplicate();
        EXPECT_EQ(copy->arbitraryText(qv::kCodeParam), kCode);
        return Outcome{};
    });
    matrix("GET_FLATTENED_SEQUENCE_DATA", [&] {
        instance().flattenedSequenceData();
        return Outcome{};
    });
    matrix("SEQUENCE_FLATTEN", [&] { return of(instance().flattenSequence()); }, {}, [&] {
        if (instance().sequenceFlattened())
            instance().resetupSequence();
    });
    // A failed re-setup drops the sequence data: every row re-sets up a new copy.
    std::unique_ptr<qvh::Instance> copy;
    matrix("SEQUENCE_RESETUP", [&] { return of(copy->resetupSequence()); }, [&] {
        copy.reset();
        copy = instance().duplicate();
        ASSERT_EQ(copy->flattenSequence().err, PF_Err_NONE);
    });
    copy.reset();
}

TEST_F(FaultMatrixTest, ArbitraryCallbacks)
{
    matrix("FLAT_SIZE and FLATTEN", [&] {
        EXPECT_EQ(instance().arbitraryBytes(qv::kCodeParam), std::string(kCode) + '\0');
        return Outcome{};
    });
    matrix("UNFLATTEN and COMPARE", [&] {
        instance().setArbitraryBytes(qv::kCodeParam, std::string(kOtherCode) + '\0');
        return Outcome{};
    });
    matrix("PRINT_SIZE and PRINT", [&] {
        instance().copyArbitraryAsText(qv::kCodeParam);
        return Outcome{};
    });
    matrix("SCAN and COMPARE", [&] {
        instance().pasteArbitraryText(qv::kCodeParam, kOtherCode);
        return Outcome{};
    });
    matrix("INTERP", [&] {
        qvh::ArbitraryCalls calls = instance().arbitrary(qv::kCodeParam);
        PF_ArbitraryH h = instance().arbitraryHandle(qv::kCodeParam);
        PF_ArbitraryH mid = nullptr;
        qvh::CommandResult r = calls.interp(h, h, 0.5, &mid);
        if (mid)
            calls.dispose(mid);
        return of(r);
    });
    matrix("project save and load", [&] {
        qvh::Project p = instance().toProject();
        instance().loadProject(p);
        return Outcome{};
    });
}

TEST_F(FaultMatrixTest, ParameterUi)
{
    matrix("UPDATE_PARAMS_UI", [&] { return of(instance().updateParamsUI()); });
    // An editor run that failed or gave no text back says so and keeps the code.
    auto editorFailed = [&](const Fault &fault, const Outcome &o) {
        if ((fault.name == "AEGP_ExecuteScript" && fault.kind == Fault::kFails) ||
            fault.name == qvh::kWithholdScriptResult) {
            EXPECT_EQ(o.message, "The code editor failed and the code is unchanged: the host returned no text.");
            EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), kCode);
        }
    };
    matrix("edit, cancelled", [&] { return userChanged(qv::kEditButtonParam); }, {}, {}, editorFailed);
    matrix("edit, new code typed", [&] { return userChanged(qv::kEditButtonParam); },
           [&] { qvh::scriptEngine().setUser(kTypeOther); }, [&] { qvh::scriptEngine().setUser(kCancel); },
           editorFailed);
    matrix("debug", [&] { return userChanged(qv::kDebugParam); });
    matrix("language switch", [&] { return userChanged(qv::kLanguageParam); },
           [&] { instance().setPopup(qv::kLanguageParam, qv::PopupValueOf(qv::Language::Shadertoy)); },
           [&] { instance().setPopup(qv::kLanguageParam, qv::PopupValueOf(qv::Language::Glsl)); });
    matrix("reset all", [&] { return userChanged(qv::kResetAllParam); });
    matrix("reset sliders", [&] { return userChanged(qv::kResetSlidersParam); });
    matrix("reset angles", [&] { return userChanged(qv::kResetAnglesParam); });
    matrix("reset points", [&] { return userChanged(qv::kResetPointsParam); });
    matrix("reset 3D points", [&] { return userChanged(qv::kResetPoints3DParam); });
    matrix("ABOUT", [&] { return of(instance().command(PF_Cmd_ABOUT)); });
    matrix("DO_DIALOG", [&] { return of(instance().command(PF_Cmd_DO_DIALOG)); });
}

// A frame in each language, through PF_Cmd_SMART_PRE_RENDER and
// PF_Cmd_SMART_RENDER (PF_Cmd_RENDER does nothing: all rendering is SmartFX):
// GLSL drawing from the input and a loaded layer, Shadertoy code that does not
// compile (its errors go to the log window), Lua drawing, asking the host's
// script engine and leaving a message for the log. Besides what every row
// checks, the request handed over in the pre-render must reach the host's
// disposal; the render's runtime and texts are left to the sanitizers.
struct RenderCase {
    const char *language;
    qv::Language popup;
    const char *code;
    bool loadLayer;
    bool logs;
};

const RenderCase kRenderCases[] = {
    {"GLSL", qv::Language::Glsl, "void main(){ outColor = getColor(uv) + getColor(0, uv); }", true, false},
    {"Shadertoy", qv::Language::Shadertoy, "void mainImage(out vec4 fragColor, in vec2 fragCoord) { fragColor = broken; }", false, true},
    {"Lua", qv::Language::Lua, "qv.setColor(0, 0, 1, 1, 0, 0)\nreturn 'from Lua: ' .. qv.js('1 + 1')", false, true},
};

TEST_F(FaultMatrixTest, SmartRender)
{
    instance().setCheckbox(qv::kDebugParam, true);
    ASSERT_EQ(instance().userChangedParam(qv::kDebugParam).err, PF_Err_NONE);  /* opens the log window */
    qvh::CommandRunner runner = [this](PF_Cmd cmd, void *extra, PF_InData &in) {
        return instance().command(cmd, extra, in);
    };
    for (const RenderCase &c : kRenderCases) {
        qvh::Composition comp;
        comp.width = 16, comp.height = 8;
        if (c.loadLayer) {
            comp.setLayer(0, qvh::testPattern(12, 6));
            instance().setCheckbox(qv::kFirstLoadLayerParam, true);
        }
        auto frame = [&] {
            qvh::SmartFx fx(comp, runner);
            qvh::FrameResult r = fx.renderFrame(qvh::secondsTime(0.5, comp.fps));
            EXPECT_TRUE(!r.preRenderOutput.pre_render_data || r.preRenderDataDisposed) << "request never disposed";
            return Outcome{r.err(), r.message};
        };
        qvh::Faults::Consulted reached = matrix(std::string(c.language) + " frame", frame, [&] {
            instance().setPopup(qv::kLanguageParam, qv::PopupValueOf(c.popup));
            instance().setArbitraryText(qv::kCodeParam, c.code);
        });
        EXPECT_EQ(reached.functions.count("AEGP_ExecuteScript"), c.logs ? 1u : 0u) << c.language;
        std::string firstLayerPixels = "checkout_layer_pixels " + std::to_string(qv::kFirstLayerParam);
        EXPECT_EQ(reached.functions.count(firstLayerPixels), c.loadLayer ? 1u : 0u) << c.language;
        instance().setCheckbox(qv::kFirstLoadLayerParam, false);
    }
}

// Global and parameter setup and global setdown run with no instance: a
// fresh effect for each row.
class SetupFaultTest : public HostTest {};

TEST_F(SetupFaultTest, GlobalAndParamsSetupAndSetdown)
{
    enum Stage { kGlobalSetup, kParamsSetup, kGlobalSetdown };
    auto &faults = qvh::host().faults;
    int rows = 0;
    for (Stage stage : {kGlobalSetup, kParamsSetup, kGlobalSetdown}) {
        const char *command = stage == kGlobalSetup ? "GLOBAL_SETUP"
                              : stage == kParamsSetup ? "PARAMS_SETUP"
                                                      : "GLOBAL_SETDOWN";
        auto runStage = [&](qvh::Effect &effect, std::unique_ptr<qvh::DeclaredParams> &params) {
            if (stage == kGlobalSetup)
                return of(effect.globalSetup());
            if (stage == kGlobalSetdown)
                return of(effect.globalSetdown());
            params.reset(new qvh::DeclaredParams(effect));
            return of(params->setup());
        };
        qvh::Effect clean(effect().plugin());
        std::unique_ptr<qvh::DeclaredParams> params;
        if (stage != kGlobalSetup) {
            ASSERT_EQ(clean.globalSetup().err, PF_Err_NONE);
        }
        faults.takeConsulted();
        ASSERT_EQ(runStage(clean, params).err, PF_Err_NONE);
        qvh::Faults::Consulted reached = faults.takeConsulted();
        params.reset();
        if (clean.globalData())
            clean.globalSetdown();

        for (const Fault &fault : faultsFor(reached)) {
            SCOPED_TRACE(std::string(command) + ", " + fault.row);
            ++rows;
            std::size_t handles = qvh::hostHandles().live();
            std::size_t memory = qvh::memoryHandles().live();
            {
                qvh::Effect fresh(effect().plugin());
                if (stage != kGlobalSetup) {
                    ASSERT_EQ(fresh.globalSetup().err, PF_Err_NONE);
                }
                fault.apply();
                Outcome o;
                try {
                    o = runStage(fresh, params);
                } catch (const std::exception &e) {
                    ADD_FAILURE() << "exception escaped to the host: " << e.what();
                }
                faults.clear();
                expectShowable(fault, o);
                if (stage == kGlobalSetup && fault.kind == Fault::kSuiteMissing && fault.name == kPFEffectUISuite) {
                    EXPECT_NE(o.err, PF_Err_NONE);
                    EXPECT_EQ(o.message, "Not able to acquire AEFX Suite.");
                }
                params.reset();
                if (fresh.globalData())
                    fresh.globalSetdown();
            }
            EXPECT_EQ(qvh::hostHandles().live(), handles) << "host handles leaked";
            EXPECT_EQ(qvh::memoryHandles().live(), memory) << "memory handles leaked";
            EXPECT_EQ(qvh::host().suites.outstanding(), 0) << "suites left acquired";
            EXPECT_TRUE(qvh::host().misuse().empty()) << qvh::host().misuse().front();
        }
    }
    EXPECT_GT(rows, 0);
    std::printf("[ matrix   ] %d rows\n", rows);
}

} // namespace
