#include "testhost/host/aegp_refs.h"

namespace qvh {

AEGP_EffectRefH AegpRefs::newEffect(Instance *instance)
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::unique_ptr<Instance *> slot(new Instance *(instance));
    const void *key = slot.get();
    effects_[key] = std::move(slot);
    return reinterpret_cast<AEGP_EffectRefH>(const_cast<void *>(key));
}

Instance *AegpRefs::effect(AEGP_EffectRefH ref) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = effects_.find(ref);
    return it == effects_.end() ? nullptr : *it->second;
}

bool AegpRefs::disposeEffect(AEGP_EffectRefH ref)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return effects_.erase(ref) == 1;
}

AEGP_StreamRefH AegpRefs::newStream(Instance *instance, PF_ParamIndex index)
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::unique_ptr<Stream> stream(new Stream{instance, index});
    const void *key = stream.get();
    streams_[key] = std::move(stream);
    return reinterpret_cast<AEGP_StreamRefH>(const_cast<void *>(key));
}

bool AegpRefs::stream(AEGP_StreamRefH ref, Stream &out) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = streams_.find(ref);
    if (it == streams_.end())
        return false;
    out = *it->second;
    return true;
}

bool AegpRefs::disposeStream(AEGP_StreamRefH ref)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return streams_.erase(ref) == 1;
}

std::size_t AegpRefs::liveEffects() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return effects_.size();
}

std::size_t AegpRefs::liveStreams() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return streams_.size();
}

AegpRefs &aegpRefs()
{
    static AegpRefs *refs = new AegpRefs;  /* as long as the host */
    return *refs;
}

} // namespace qvh
