// The code value as the host drives it, with a look inside the records the
// plug-in makes.
#pragma once

#include "common/host_fixture.h"
#include "storage/expression_data.h"
#include "testhost/effect/arbitrary_calls.h"

#include <cstring>
#include <string>

// What one code value holds, read straight from the simulator's tables.
struct Stored {
    std::size_t handleSize = 0;
    uint32_t length = 0;
    std::size_t blockSize = 0;
    std::string text;          // `length` bytes
    bool nulAfterText = false;
};

class StorageTest : public HostTest {
protected:
    static PF_ParamDef codeDef()
    {
        PF_ParamDef def;
        std::memset(&def, 0, sizeof def);
        def.param_type = PF_Param_ARBITRARY_DATA;
        def.u.arb_d.id = qv::kExpressionArbId;
        def.u.arb_d.refconPV = reinterpret_cast<void *>(qv::kExpressionRefcon);
        return def;
    }

    qvh::ArbitraryCalls calls() { return qvh::ArbitraryCalls(effect(), codeDef()); }

    static Stored stored(PF_ArbitraryH h)
    {
        Stored s;
        s.handleSize = qvh::hostHandles().size(h);
        auto *record = static_cast<qv::ExpressionData *>(qvh::hostHandles().lock(h));
        if (!record)
            return s;
        s.length = record->length;
        void **block = reinterpret_cast<void **>(record->text);
        qvh::hostHandles().unlock(h);
        s.blockSize = qvh::memoryHandles().size(block);
        const char *bytes = static_cast<const char *>(qvh::memoryHandles().lock(block));
        if (bytes && s.blockSize > s.length) {
            s.text.assign(bytes, s.length);
            s.nulAfterText = bytes[s.length] == '\0';
        }
        qvh::memoryHandles().unlock(block);
        return s;
    }

    // A value made from flat bytes; fails the test when UNFLATTEN does.
    PF_ArbitraryH fromFlat(const std::string &bytes)
    {
        PF_ArbitraryH h = nullptr;
        EXPECT_EQ(calls().unflatten(bytes, &h).err, PF_Err_NONE);
        return h;
    }

    std::string flat(PF_ArbitraryH h)
    {
        std::string bytes;
        EXPECT_EQ(calls().flattenAll(h, &bytes).err, PF_Err_NONE);
        return bytes;
    }

    void dispose(PF_ArbitraryH h) { EXPECT_EQ(calls().dispose(h).err, PF_Err_NONE); }
};

inline std::string Bytes(const char *text, std::size_t size) { return std::string(text, size); }
