// The simulated host: one per process, as the real host is. Its services live
// in files of their own; this is the state they share.
#pragma once

#include "sdk/ae_sdk.h"
#include "testhost/host/faults.h"
#include "testhost/host/suite_registry.h"

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace qvh {

// Answers AEGP_ExecuteScript: returns 0 and fills `result`, or a host error
// code and fills `error`.
using ScriptRunner = std::function<A_Err(const std::string &script, std::string &result, std::string &error)>;

struct Host {
    Faults &faults = hostFaults();
    SuiteRegistry &suites = hostSuites();

    // What AEGP_GetPluginPaths reports for the application folder.
    std::u16string appPath = u"/opt/Tessmar Host/Support Files";
    // 'FXTC' is After Effects; 'PrMr' is Premiere Pro.
    A_long applId = 0x46585443;

    ScriptRunner scriptRunner;  // null: scripts are recorded and answered empty
    // The preference "Allow Scripts to Write Files and Access Network", which
    // the script engine's app.preferences reports; off, as in a fresh host.
    std::atomic<bool> allowScriptAccess{false};
    // The scripts run, for tests: the newest kRecordedScripts of them, so a
    // long render or soak does not grow the record without end.
    static constexpr std::size_t kRecordedScripts = 256;
    std::vector<std::string> scripts() const;
    std::size_t scriptCount() const;  // every script run since the last reset
    void recordScript(const std::string &script);

    // AEGP registrations, in order; IDs start at 1.
    AEGP_PluginID registerPlugin(const std::string &name);
    std::vector<std::string> registeredNames() const;

    std::string optionsButtonName;
    std::vector<std::string> undoGroups;  // names of finished undo groups
    int openUndoGroups = 0;

    // Misuse of a host service (an unknown handle disposed, ...), for tests.
    void reportMisuse(const std::string &what);
    std::vector<std::string> misuse() const;

    // Forgets everything but the suite tables: a host freshly started.
    void reset();

    mutable std::mutex mutex;

private:
    std::deque<std::string> scripts_;
    std::size_t scriptCount_ = 0;
    std::vector<std::string> registered_;
};

Host &host();

// The ANSI suite's functions, also wired into PF_UtilCallbacks.
int (*ansiSuiteSprintf())(A_char *, const A_char *, ...);
A_char *(*ansiSuiteStrcpy())(A_char *, const A_char *);

// The abort callback (abort.cpp): answers PF_Interrupt_CANCEL once `seconds`
// from the call to abortAfter have passed; resetAbort makes it never answer so.
PF_Err abortCallback(PF_ProgPtr effect_ref);
void abortAfter(double seconds);
// From now on the abort callback answers PF_Interrupt_CANCEL; async-signal-safe.
void abortNow();
void resetAbort();
int abortAsks();  // calls since the last reset
// Whether the abort callback would answer PF_Interrupt_CANCEL now; not counted as a call.
bool abortDue();

// Builds a PF_InData wired to the simulator's callbacks, for one command.
PF_InData makeInData();

} // namespace qvh
