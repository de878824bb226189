// Fault injection: makes host services fail on purpose so tests can reach the
// plug-in's failure paths.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>

namespace qvh {

// failFunction(kWithholdScriptResult, 1): AEGP_ExecuteScript hands back no
// result handle, as after a script that produced nothing.
constexpr const char *kWithholdScriptResult = "AEGP_ExecuteScript result";
// failFunction(kNoLayerPixels, 1): checkout_layer_pixels succeeds and hands
// back no world, as for a layer with nothing inside the requested rectangle.
constexpr const char *kNoLayerPixels = "checkout_layer_pixels world";

class Faults {
public:
    // The named suite (any version) cannot be acquired.
    void removeSuite(const std::string &name);
    bool suiteMissing(const std::string &name) const;

    // The named host function (e.g. "AEGP_GetPluginPaths") returns `err`.
    void failFunction(const std::string &name, int err);
    // The named host function throws std::runtime_error("injected fault in
    // NAME"), as a host written in C++ might let slip.
    void throwFrom(const std::string &name);
    // 0, or the error the named function must return now; throws for
    // functions given to throwFrom.
    int check(const std::string &name) const;

    // The next `count` host handle / memory handle allocations fail.
    void failHandleAllocations(int count);
    void failMemoryAllocations(int count);
    bool takeHandleFailure();
    bool takeMemoryFailure();

    void clear();
    // Some fault is injected now.
    bool active() const;

    // What the plug-in asked of the host since the last call: the suites it
    // tried to acquire, the functions that consulted their faults, and how
    // many handle / memory allocations it attempted. Lets tests inject faults
    // only where a command reaches.
    struct Consulted {
        std::set<std::string> suites;
        std::set<std::string> functions;
        int handleAllocations = 0;
        int memoryAllocations = 0;
    };
    Consulted takeConsulted();

private:
    mutable std::mutex mutex_;
    std::set<std::string> missingSuites_;
    std::map<std::string, int> failing_;
    std::set<std::string> throwing_;
    int handleFailures_ = 0;
    int memoryFailures_ = 0;
    mutable Consulted consulted_;
};

// The process's faults, which every host service consults.
Faults &hostFaults();

} // namespace qvh
