// The effect and stream references that the AEGP suites hand out. Each names
// an effect instance (a stream also one of its parameters) and lives until it
// is disposed; the live ones are counted so tests see leaks.
#pragma once

#include "sdk/ae_sdk.h"

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>

namespace qvh {

class Instance;

class AegpRefs {
public:
    struct Stream {
        Instance *instance;
        PF_ParamIndex index;
    };

    AEGP_EffectRefH newEffect(Instance *instance);
    Instance *effect(AEGP_EffectRefH ref) const;  // null for an unknown reference
    bool disposeEffect(AEGP_EffectRefH ref);

    AEGP_StreamRefH newStream(Instance *instance, PF_ParamIndex index);
    bool stream(AEGP_StreamRefH ref, Stream &out) const;
    bool disposeStream(AEGP_StreamRefH ref);

    std::size_t liveEffects() const;
    std::size_t liveStreams() const;

private:
    mutable std::mutex mutex_;
    std::map<const void *, std::unique_ptr<Instance *>> effects_;
    std::map<const void *, std::unique_ptr<Stream>> streams_;
};

AegpRefs &aegpRefs();

} // namespace qvh
