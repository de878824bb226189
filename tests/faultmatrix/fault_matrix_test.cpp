// The fault matrix: every command the host sends is run once to learn which
// suites, host functions and allocations it reaches, then once per fault in
// each of them (suite missing, error code, exception, failed handle or memory
// allocation). Each row must end in an error the host can show or in a
// fallback, with nothing leaked, no suite held and the stored code intact.
#include "common/host_fixture.h"
#include "host/param_indices.h"
#include "testhost/aegp_refs.h"
#include "testhost/script_engine.h"

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
    std::string name;
    std::function<void()> apply;
};

std::vector<Fault> faultsFor(const qvh::Faults::Consulted &reached)
{
    auto &f = qvh::host().faults;
    std::vector<Fault> faults;
    for (const std::string &suite : reached.suites)
        faults.push_back({"suite " + suite + " missing", [&f, suite] { f.removeSuite(suite); }});
    for (const std::string &fn : reached.functions) {
        faults.push_back({fn + " fails", [&f, fn] { f.failFunction(fn, PF_Err_INTERNAL_STRUCT_DAMAGED); }});
    }
    if (reached.handleAllocations > 0) {
        faults.push_back({"first handle allocation fails", [&f] { f.failHandleAllocations(1); }});
        if (reached.handleAllocations > 1)
            faults.push_back({"every handle allocation fails", [&f] { f.failHandleAllocations(1 << 20); }});
    }
    if (reached.memoryAllocations > 0) {
        faults.push_back({"first memory allocation fails", [&f] { f.failMemoryAllocations(1); }});
        if (reached.memoryAllocations > 1)
            faults.push_back({"every memory allocation fails", [&f] { f.failMemoryAllocations(1 << 20); }});
    }
    return faults;
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
        qvh::installScriptEngine();
        qvh::scriptEngine().setUser(kCancel);
    }
    void SetUp() override
    {
        InstanceTest::SetUp();
        instance().setCode(kCode);
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
    // code as it was or as the clean run left it, nothing else.
    void matrix(const std::string &command, const std::function<Outcome()> &run,
                const std::function<void()> &prepare = {}, const std::function<void()> &restore = {})
    {
        auto &faults = qvh::host().faults;
        if (prepare)
            prepare();
        faults.takeConsulted();
        Outcome clean = guarded(run);
        qvh::Faults::Consulted reached = faults.takeConsulted();
        ASSERT_EQ(clean.err, PF_Err_NONE) << command << " fails without a fault: " << clean.message;
        if (restore)
            restore();
        const std::string cleanCode = instance().code();
        instance().setCode(kCode);

        for (const Fault &fault : faultsFor(reached)) {
            SCOPED_TRACE(command + ", " + fault.name);
            ++rows_;
            if (prepare)
                prepare();
            std::size_t handles = qvh::hostHandles().live();
            std::size_t memory = qvh::memoryHandles().live();
            std::size_t locked = qvh::hostHandles().locked() + qvh::memoryHandles().locked();
            fault.apply();
            Outcome o = guarded(run);
            faults.clear();
            if (restore)
                restore();
            // Fewer is allowed: the host drops sequence data whose re-setup failed.
            EXPECT_LE(qvh::hostHandles().live(), handles) << "host handles leaked";
            EXPECT_LE(qvh::memoryHandles().live(), memory) << "memory handles leaked";
            EXPECT_EQ(qvh::hostHandles().locked() + qvh::memoryHandles().locked(), locked) << "handles left locked";
            EXPECT_EQ(qvh::host().suites.outstanding(), 0) << "suites left acquired";
            EXPECT_TRUE(qvh::host().misuse().empty()) << qvh::host().misuse().front();
            std::string code = instance().code();
            if (code != cleanCode) {
                EXPECT_EQ(code, kCode) << "stored code lost or altered";
            }
            instance().setCode(kCode);
        }
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
        EXPECT_EQ(copy->code(), kCode);
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
    matrix("SEQUENCE_RESETUP", [&] { return of(instance().resetupSequence()); },
           [&] { instance().flattenSequence(); },
           [&] {
               if (instance().sequenceFlattened())
                   instance().resetupSequence();
           });
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
        instance().copyCodeAsText();
        return Outcome{};
    });
    matrix("SCAN and COMPARE", [&] {
        instance().pasteCodeText(kOtherCode);
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
    matrix("edit, cancelled", [&] { return userChanged(qv::kEditButtonParam); });
    matrix("edit, new code typed", [&] { return userChanged(qv::kEditButtonParam); },
           [&] { qvh::scriptEngine().setUser(kTypeOther); }, [&] { qvh::scriptEngine().setUser(kCancel); });
    matrix("debug", [&] { return userChanged(qv::kDebugParam); });
    matrix("language switch", [&] { return userChanged(qv::kLanguageParam); },
           [&] { instance().setPopup(qv::kLanguageParam, 2); },
           [&] { instance().setPopup(qv::kLanguageParam, 1); });
    matrix("reset all", [&] { return userChanged(qv::kResetAllParam); });
    matrix("reset sliders", [&] { return userChanged(qv::kResetSlidersParam); });
    matrix("reset angles", [&] { return userChanged(qv::kResetAnglesParam); });
    matrix("reset points", [&] { return userChanged(qv::kResetPointsParam); });
    matrix("reset 3D points", [&] { return userChanged(qv::kResetPoints3DParam); });
    matrix("ABOUT", [&] { return of(instance().command(PF_Cmd_ABOUT)); });
    matrix("DO_DIALOG", [&] { return of(instance().command(PF_Cmd_DO_DIALOG)); });
}

// Global and parameter setup run before any instance exists: a fresh effect
// for each row.
class SetupFaultTest : public HostTest {};

TEST_F(SetupFaultTest, GlobalAndParamsSetup)
{
    auto &faults = qvh::host().faults;
    int rows = 0;
    for (int stage = 0; stage < 2; ++stage) {
        const char *command = stage == 0 ? "GLOBAL_SETUP" : "PARAMS_SETUP";
        auto runStage = [&](qvh::Effect &effect, std::unique_ptr<qvh::DeclaredParams> &params) {
            if (stage == 0)
                return of(effect.globalSetup());
            params.reset(new qvh::DeclaredParams(effect));
            return of(params->setup());
        };
        qvh::Effect clean(effect().plugin());
        std::unique_ptr<qvh::DeclaredParams> params;
        if (stage == 1) {
            ASSERT_EQ(clean.globalSetup().err, PF_Err_NONE);
        }
        faults.takeConsulted();
        ASSERT_EQ(runStage(clean, params).err, PF_Err_NONE);
        qvh::Faults::Consulted reached = faults.takeConsulted();
        params.reset();
        clean.globalSetdown();

        for (const Fault &fault : faultsFor(reached)) {
            SCOPED_TRACE(std::string(command) + ", " + fault.name);
            ++rows;
            std::size_t handles = qvh::hostHandles().live();
            std::size_t memory = qvh::memoryHandles().live();
            {
                qvh::Effect fresh(effect().plugin());
                if (stage == 1) {
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
                if (stage == 0 && fault.name == std::string("suite ") + kPFEffectUISuite + " missing") {
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
