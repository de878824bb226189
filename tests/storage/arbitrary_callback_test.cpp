#include "common/storage_fixture.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

using ArbitraryCallbackTest = StorageTest;

const std::string kDefault = "void main(){\noutColor = getColor(uv);\n}";

TEST_F(ArbitraryCallbackTest, NewStoresTheDefaultTextWithFlatSize40)
{
    PF_ArbitraryH h = nullptr;
    ASSERT_EQ(calls().newValue(&h).err, PF_Err_NONE);
    Stored s = stored(h);
    EXPECT_EQ(s.handleSize, 12u);
    EXPECT_EQ(s.length, 39u);
    EXPECT_EQ(s.text, kDefault);
    EXPECT_TRUE(s.nulAfterText);
    EXPECT_GE(s.blockSize, 40u);
    A_u_long size = 0;
    EXPECT_EQ(calls().flatSize(h, &size).err, PF_Err_NONE);
    EXPECT_EQ(size, 40u);
    dispose(h);
}

struct FlatCase {
    std::string bytes;
    uint32_t length;
    std::string text;
    std::string flatAgain;
};

TEST_F(ArbitraryCallbackTest, FlatBuffersReadBackDroppingOnlyOneTrailingNul)
{
    const FlatCase cases[] = {
        {"abc", 3, "abc", Bytes("abc\0", 4)},
        {Bytes("abc\0", 4), 3, "abc", Bytes("abc\0", 4)},
        {Bytes("abc\0\0", 5), 4, Bytes("abc\0", 4), Bytes("abc\0\0", 5)},
        {Bytes("a\0b", 3), 3, Bytes("a\0b", 3), Bytes("a\0b\0", 4)},
        {Bytes("\0", 1), 0, "", Bytes("\0", 1)},
    };
    for (const FlatCase &c : cases) {
        PF_ArbitraryH h = fromFlat(c.bytes);
        Stored s = stored(h);
        EXPECT_EQ(s.length, c.length) << c.bytes;
        EXPECT_EQ(s.text, c.text) << c.bytes;
        EXPECT_TRUE(s.nulAfterText) << c.bytes;
        EXPECT_EQ(flat(h), c.flatAgain) << c.bytes;
        dispose(h);
    }
}

TEST_F(ArbitraryCallbackTest, ZeroByteBufferIsTheEmptyTextWithoutReadingBeforeIt)
{
    char *buffer = static_cast<char *>(std::malloc(1));  /* a read of buffer[-1] trips the sanitizer */
    buffer[0] = 'x';
    for (const void *bytes : {static_cast<const void *>(buffer), static_cast<const void *>(nullptr)}) {
        PF_ArbitraryH h = nullptr;
        ASSERT_EQ(calls().unflatten(bytes, 0, &h).err, PF_Err_NONE);
        EXPECT_EQ(stored(h).length, 0u);
        EXPECT_EQ(flat(h), Bytes("\0", 1));
        dispose(h);
        ASSERT_EQ(calls().scan(static_cast<const A_char *>(bytes), 0, &h).err, PF_Err_NONE);
        EXPECT_EQ(stored(h).length, 0u);
        dispose(h);
    }
    std::free(buffer);
}

TEST_F(ArbitraryCallbackTest, PrintAndScanAreFlattenAndUnflatten)
{
    PF_ArbitraryH h = nullptr;
    ASSERT_EQ(calls().scan(Bytes("x = 'a'\n\0\0", 10), &h).err, PF_Err_NONE);
    EXPECT_EQ(stored(h).text, Bytes("x = 'a'\n\0", 9));
    A_u_long size = 0;
    EXPECT_EQ(calls().printSize(h, &size).err, PF_Err_NONE);
    EXPECT_EQ(size, 10u);
    std::string text;
    EXPECT_EQ(calls().printAll(h, &text).err, PF_Err_NONE);
    EXPECT_EQ(text, flat(h));
    dispose(h);
}

TEST_F(ArbitraryCallbackTest, FlattenFitsExactlyAndRefusesOneByteLessUntouched)
{
    PF_ArbitraryH h = fromFlat("abc");
    std::string buffer(4, '#');
    EXPECT_EQ(calls().flatten(h, 4, &buffer[0]).err, PF_Err_NONE);
    EXPECT_EQ(buffer, Bytes("abc\0", 4));
    buffer.assign(4, '#');
    EXPECT_EQ(calls().flatten(h, 3, &buffer[0]).err, PF_Err_CANNOT_PARSE_KEYFRAME_TEXT);
    EXPECT_EQ(buffer, "####");
    EXPECT_EQ(calls().print(h, 3, &buffer[0]).err, PF_Err_CANNOT_PARSE_KEYFRAME_TEXT);
    EXPECT_EQ(buffer, "####");
    dispose(h);
}

struct CompareCase {
    std::string a, b;
    PF_ArbCompareResult result;
};

TEST_F(ArbitraryCallbackTest, CompareSaysEqualOrNotEqualUpToTheFirstNul)
{
    const CompareCase cases[] = {
        {"same", "same", PF_ArbCompare_EQUAL},
        {"a", "ab", PF_ArbCompare_NOT_EQUAL},
        {"ab", "a", PF_ArbCompare_NOT_EQUAL},
        {"b", "a", PF_ArbCompare_NOT_EQUAL},
        {Bytes("x\0one", 5), Bytes("x\0two", 5), PF_ArbCompare_EQUAL},
        {"", Bytes("\0", 1), PF_ArbCompare_EQUAL},
    };
    for (const CompareCase &c : cases) {
        PF_ArbitraryH a = fromFlat(c.a), b = fromFlat(c.b);
        PF_ArbCompareResult result = -1;
        EXPECT_EQ(calls().compare(a, b, &result).err, PF_Err_NONE);
        EXPECT_EQ(result, c.result) << c.a << " vs " << c.b;
        dispose(a);
        dispose(b);
    }
}

TEST_F(ArbitraryCallbackTest, InterpTakesTheLeftValueUntilTReachesOne)
{
    PF_ArbitraryH left = fromFlat("left"), right = fromFlat("right");
    const std::pair<double, std::string> cases[] = {
        {0.0, "left"}, {0.999, "left"}, {-5.0, "left"}, {1.0, "right"}, {1.5, "right"},
        {std::numeric_limits<double>::quiet_NaN(), "right"},
    };
    for (const auto &c : cases) {
        PF_ArbitraryH out = nullptr;
        EXPECT_EQ(calls().interp(left, right, c.first, &out).err, PF_Err_NONE);
        EXPECT_EQ(stored(out).text, c.second) << c.first;
        EXPECT_NE(out, left);
        EXPECT_NE(out, right);
        dispose(out);
    }
    PF_ArbitraryH out = nullptr;
    EXPECT_EQ(calls().interp(nullptr, right, 0.5, &out).err, PF_Err_NONE);
    EXPECT_EQ(stored(out).text, kDefault);
    dispose(out);
    dispose(left);
    dispose(right);
}

TEST_F(ArbitraryCallbackTest, CopyIsDeepAndANullSourceGivesTheDefault)
{
    PF_ArbitraryH source = fromFlat(Bytes("a\0b", 3));
    PF_ArbitraryH copy = nullptr;
    ASSERT_EQ(calls().copy(source, &copy).err, PF_Err_NONE);
    EXPECT_EQ(stored(copy).text, Bytes("a\0b", 3));
    dispose(source);
    EXPECT_EQ(stored(copy).text, Bytes("a\0b", 3));  /* the copy owns its own block */
    dispose(copy);
    ASSERT_EQ(calls().copy(nullptr, &copy).err, PF_Err_NONE);
    EXPECT_EQ(stored(copy).text, kDefault);
    dispose(copy);
}

TEST_F(ArbitraryCallbackTest, DisposeClearsTheHandleArgument)
{
    PF_ArbitraryH h = fromFlat("gone");
    PF_ArbParamsExtra x;
    std::memset(&x, 0, sizeof x);
    x.which_function = PF_Arbitrary_DISPOSE_FUNC;
    x.u.dispose_func_params.refconPV = reinterpret_cast<void *>(qv::kExpressionRefcon);
    x.u.dispose_func_params.arbH = h;
    EXPECT_EQ(calls().send(x).err, PF_Err_NONE);
    EXPECT_EQ(x.u.dispose_func_params.arbH, nullptr);
    EXPECT_FALSE(qvh::hostHandles().contains(h));
}

TEST_F(ArbitraryCallbackTest, NullHandlesGive514AndChangeNothing)
{
    A_u_long size = 77;
    PF_ArbCompareResult result = 77;
    PF_ArbitraryH h = fromFlat("x");
    char buffer[8] = "#######";
    EXPECT_EQ(calls().dispose(nullptr).err, PF_Err_UNRECOGNIZED_PARAM_TYPE);
    EXPECT_EQ(calls().flatSize(nullptr, &size).err, PF_Err_UNRECOGNIZED_PARAM_TYPE);
    EXPECT_EQ(calls().printSize(nullptr, &size).err, PF_Err_UNRECOGNIZED_PARAM_TYPE);
    EXPECT_EQ(calls().flatten(nullptr, sizeof buffer, buffer).err, PF_Err_UNRECOGNIZED_PARAM_TYPE);
    EXPECT_EQ(calls().compare(nullptr, h, &result).err, PF_Err_UNRECOGNIZED_PARAM_TYPE);
    EXPECT_EQ(calls().compare(h, nullptr, &result).err, PF_Err_UNRECOGNIZED_PARAM_TYPE);
    EXPECT_EQ(size, 77u);
    EXPECT_EQ(result, 77);
    EXPECT_STREQ(buffer, "#######");
    dispose(h);
}

// Every selector, with arguments that would be used if the call were ours.
std::vector<PF_ArbParamsExtra> everySelector(void *refcon, PF_ArbitraryH h, PF_ArbitraryH *out, A_u_long *size,
                                             char *buffer)
{
    std::vector<PF_ArbParamsExtra> all;
    for (PF_FunctionSelector which = -1; which <= 12; ++which) {
        PF_ArbParamsExtra x;
        std::memset(&x, 0, sizeof x);
        x.which_function = which;
        auto &u = x.u;
        u.new_func_params.refconPV = refcon;
        switch (which) {
        case PF_Arbitrary_NEW_FUNC: u.new_func_params.arbPH = out; break;
        case PF_Arbitrary_DISPOSE_FUNC: u.dispose_func_params.arbH = h; break;
        case PF_Arbitrary_COPY_FUNC: u.copy_func_params.src_arbH = h; u.copy_func_params.dst_arbPH = out; break;
        case PF_Arbitrary_FLAT_SIZE_FUNC: u.flat_size_func_params.arbH = h; u.flat_size_func_params.flat_data_sizePLu = size; break;
        case PF_Arbitrary_FLATTEN_FUNC: u.flatten_func_params = {refcon, h, 8, buffer}; break;
        case PF_Arbitrary_UNFLATTEN_FUNC: u.unflatten_func_params = {refcon, 3, "abc", out}; break;
        case PF_Arbitrary_INTERP_FUNC: u.interp_func_params = {refcon, h, h, 0.5, out}; break;
        case PF_Arbitrary_COMPARE_FUNC: u.compare_func_params = {refcon, h, h, reinterpret_cast<PF_ArbCompareResult *>(size)}; break;
        case PF_Arbitrary_PRINT_SIZE_FUNC: u.print_size_func_params = {refcon, h, size}; break;
        case PF_Arbitrary_PRINT_FUNC: u.print_func_params = {refcon, 0, h, 8, buffer}; break;
        case PF_Arbitrary_SCAN_FUNC: u.scan_func_params = {refcon, "abc", 3, out}; break;
        default: u.new_func_params.arbPH = out; break;
        }
        all.push_back(x);
    }
    return all;
}

TEST_F(ArbitraryCallbackTest, ForeignReferenceConstantOrUnknownSelectorIsAnsweredWithZeroAndNoAction)
{
    PF_ArbitraryH h = fromFlat("mine");
    std::size_t live = qvh::hostHandles().live();
    PF_ArbitraryH out = nullptr;
    A_u_long size = 77;
    char buffer[8] = "#######";
    for (void *refcon : {static_cast<void *>(nullptr), reinterpret_cast<void *>(std::uintptr_t(0xC001E1F5))}) {
        for (PF_ArbParamsExtra x : everySelector(refcon, h, &out, &size, buffer)) {
            PF_ArbParamsExtra before = x;
            EXPECT_EQ(calls().send(x).err, PF_Err_NONE) << x.which_function;
            EXPECT_EQ(std::memcmp(&x, &before, sizeof x), 0) << x.which_function;
        }
    }
    void *ours = reinterpret_cast<void *>(qv::kExpressionRefcon);
    for (PF_ArbParamsExtra x : everySelector(ours, h, &out, &size, buffer)) {
        if (x.which_function >= 0 && x.which_function <= 10)
            continue;
        EXPECT_EQ(calls().send(x).err, PF_Err_NONE) << x.which_function;
    }
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(size, 77u);
    EXPECT_STREQ(buffer, "#######");
    EXPECT_EQ(qvh::hostHandles().live(), live);
    EXPECT_EQ(stored(h).text, "mine");
    dispose(h);
}

// ---- host faults: no handle is handed out and nothing leaks ----

enum class Fault { HandleAlloc, HandleLock, MemoryAlloc, MemoryLock, NoMemorySuite, NoHandleSuite };

struct FaultCase {
    Fault fault;
    PF_Err err;
};

const FaultCase kMakeFaults[] = {
    {Fault::HandleAlloc, PF_Err_OUT_OF_MEMORY},
    {Fault::HandleLock, PF_Err_OUT_OF_MEMORY},
    {Fault::MemoryAlloc, A_Err_ALLOC},
    {Fault::MemoryLock, 77},
    {Fault::NoMemorySuite, 516},
    {Fault::NoHandleSuite, 516},
};

void inject(Fault f)
{
    qvh::Faults &faults = qvh::host().faults;
    switch (f) {
    case Fault::HandleAlloc: faults.failHandleAllocations(1); break;
    case Fault::HandleLock: faults.failFunction("host_lock_handle", 1); break;
    case Fault::MemoryAlloc: faults.failMemoryAllocations(1); break;
    case Fault::MemoryLock: faults.failFunction("AEGP_LockMemHandle", 77); break;
    case Fault::NoMemorySuite: faults.removeSuite(kAEGPMemorySuite); break;
    case Fault::NoHandleSuite: faults.removeSuite(kPFHandleSuite); break;
    }
}

// Runs `make` under each fault: it must fail with the fault's error, leave
// `out` null and leave no handle or block behind.
template <class Make> void expectCleanFailures(Make make)
{
    std::size_t handles = qvh::hostHandles().live(), blocks = qvh::memoryHandles().live();
    for (const FaultCase &c : kMakeFaults) {
        inject(c.fault);
        PF_ArbitraryH out = nullptr;
        EXPECT_EQ(make(&out).err, c.err) << int(c.fault);
        qvh::host().faults.clear();
        EXPECT_EQ(out, nullptr) << int(c.fault);
        EXPECT_EQ(qvh::hostHandles().live(), handles) << int(c.fault);
        EXPECT_EQ(qvh::memoryHandles().live(), blocks) << int(c.fault);
    }
}

TEST_F(ArbitraryCallbackTest, FailedNewHandsOutNothingAndLeaksNothing)
{
    expectCleanFailures([&](PF_ArbitraryH *out) { return calls().newValue(out); });
}

TEST_F(ArbitraryCallbackTest, FailedCopyAndInterpHandOutNothingAndLeakNothing)
{
    PF_ArbitraryH source = fromFlat("source");
    expectCleanFailures([&](PF_ArbitraryH *out) { return calls().copy(source, out); });
    expectCleanFailures([&](PF_ArbitraryH *out) { return calls().copy(nullptr, out); });
    expectCleanFailures([&](PF_ArbitraryH *out) { return calls().interp(source, source, 0.0, out); });
    EXPECT_EQ(stored(source).text, "source");
    dispose(source);
}

TEST_F(ArbitraryCallbackTest, FailedUnflattenAndScanHandOutNothingAndLeakNothing)
{
    expectCleanFailures([&](PF_ArbitraryH *out) { return calls().unflatten(std::string("abc"), out); });
    expectCleanFailures([&](PF_ArbitraryH *out) { return calls().scan(std::string("abc"), out); });
}

TEST_F(ArbitraryCallbackTest, MemorySuiteErrorsPassBackUnchanged)
{
    PF_ArbitraryH a = fromFlat("a"), b = fromFlat("b");
    qvh::host().faults.failFunction("AEGP_LockMemHandle", 1234);
    char buffer[8] = "#######";
    PF_ArbCompareResult result = -1;
    EXPECT_EQ(calls().flatten(a, sizeof buffer, buffer).err, 1234);
    EXPECT_EQ(calls().compare(a, b, &result).err, 1234);
    EXPECT_EQ(result, PF_ArbCompare_NOT_EQUAL);
    qvh::host().faults.clear();
    dispose(a);
    dispose(b);
}

TEST_F(ArbitraryCallbackTest, UnlockableHandlesGive4AndStayWhole)
{
    PF_ArbitraryH h = fromFlat("kept");
    qvh::host().faults.failFunction("host_lock_handle", 1);
    A_u_long size = 0;
    EXPECT_EQ(calls().flatSize(h, &size).err, PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(calls().dispose(h).err, PF_Err_OUT_OF_MEMORY);
    qvh::host().faults.clear();
    EXPECT_EQ(stored(h).text, "kept");
    dispose(h);
}

TEST_F(ArbitraryCallbackTest, MissingMemorySuiteIsReportedAsErrorId516)
{
    qvh::host().faults.removeSuite(kAEGPMemorySuite);
    PF_ArbitraryH out = nullptr;
    qvh::CommandResult r = calls().newValue(&out);
    EXPECT_EQ(r.err, 516);
    EXPECT_EQ(r.message(), "Error Id : 516");
}

} // namespace
