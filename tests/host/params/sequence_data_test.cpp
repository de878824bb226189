#include "common/host_fixture.h"

#include <string>

namespace {

using SequenceDataTest = HostTest;

const std::string kZeros(11, '\0');

std::string bytesOf(PF_Handle h)
{
    return std::string(static_cast<const char *>(*h), qvh::hostGetHandleSize(h));
}

PF_Handle handleWith(const std::string &bytes)
{
    PF_Handle h = qvh::hostNewHandle(bytes.size());
    std::copy(bytes.begin(), bytes.end(), static_cast<char *>(*h));
    return h;
}

// Runs a sequence command with `data` as the input's sequence data.
qvh::CommandResult run(qvh::Effect &effect, PF_Cmd cmd, PF_Handle data)
{
    PF_InData in = qvh::makeInData();
    in.sequence_data = data;
    return effect.command(cmd, nullptr, nullptr, nullptr, &in);
}

TEST_F(SequenceDataTest, SetupStoresElevenZeroBytes)
{
    qvh::CommandResult r = run(effect(), PF_Cmd_SEQUENCE_SETUP, nullptr);
    EXPECT_EQ(r.err, PF_Err_NONE);
    ASSERT_NE(r.out.sequence_data, nullptr);
    EXPECT_EQ(bytesOf(r.out.sequence_data), kZeros);
    qvh::hostDisposeHandle(r.out.sequence_data);
}

TEST_F(SequenceDataTest, SetupWithoutAHandleReturns4AndStoresNothing)
{
    qvh::host().faults.failHandleAllocations(1);
    qvh::CommandResult r = run(effect(), PF_Cmd_SEQUENCE_SETUP, nullptr);
    EXPECT_EQ(r.err, PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(r.out.sequence_data, nullptr);
    qvh::host().faults.failFunction("host_lock_handle", 1);
    r = run(effect(), PF_Cmd_SEQUENCE_SETUP, nullptr);
    EXPECT_EQ(r.err, PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(r.out.sequence_data, nullptr);
}

TEST_F(SequenceDataTest, CopiesAreElevenBytesWithTheFirstZeroed)
{
    for (PF_Cmd cmd : {PF_Cmd_SEQUENCE_RESETUP, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA}) {
        PF_Handle source = handleWith("ABCDEFGHIJK");
        qvh::CommandResult r = run(effect(), cmd, source);
        EXPECT_EQ(r.err, PF_Err_NONE) << cmd;
        ASSERT_NE(r.out.sequence_data, nullptr);
        EXPECT_NE(r.out.sequence_data, source);
        EXPECT_EQ(bytesOf(r.out.sequence_data), std::string(1, '\0') + "BCDEFGHIJK") << cmd;
        EXPECT_EQ(bytesOf(source), "ABCDEFGHIJK") << cmd;
        qvh::hostDisposeHandle(r.out.sequence_data);
        qvh::hostDisposeHandle(source);
    }
}

TEST_F(SequenceDataTest, ACopyOfAShortSourceReadsNoFurtherThanItsEnd)
{
    PF_Handle source = handleWith("AB");
    qvh::CommandResult r = run(effect(), PF_Cmd_SEQUENCE_RESETUP, source);
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_EQ(bytesOf(r.out.sequence_data), std::string(1, '\0') + "B" + std::string(9, '\0'));
    qvh::hostDisposeHandle(r.out.sequence_data);
    qvh::hostDisposeHandle(source);
}

TEST_F(SequenceDataTest, ACopyOfNoSourceReturnsZeroAndStoresNothing)
{
    for (PF_Cmd cmd : {PF_Cmd_SEQUENCE_RESETUP, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA, PF_Cmd_SEQUENCE_FLATTEN}) {
        qvh::CommandResult r = run(effect(), cmd, nullptr);
        EXPECT_EQ(r.err, PF_Err_NONE) << cmd;
        EXPECT_EQ(r.out.sequence_data, nullptr) << cmd;
    }
}

TEST_F(SequenceDataTest, FlattenDisposesTheOldHandle)
{
    PF_Handle old = handleWith(kZeros);
    qvh::CommandResult r = run(effect(), PF_Cmd_SEQUENCE_FLATTEN, old);
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_FALSE(qvh::hostHandles().contains(old));
    EXPECT_EQ(bytesOf(r.out.sequence_data), kZeros);
    qvh::hostDisposeHandle(r.out.sequence_data);
}

TEST_F(SequenceDataTest, AFailedLockReturns4StoresTheNewHandleAndKeepsTheOld)
{
    PF_Handle old = handleWith(kZeros);
    qvh::host().faults.failFunction("host_lock_handle", 1);
    qvh::CommandResult r = run(effect(), PF_Cmd_SEQUENCE_FLATTEN, old);
    qvh::host().faults.clear();
    EXPECT_EQ(r.err, PF_Err_OUT_OF_MEMORY);
    EXPECT_TRUE(qvh::hostHandles().contains(old));
    ASSERT_NE(r.out.sequence_data, nullptr);
    EXPECT_NE(r.out.sequence_data, old);
    qvh::hostDisposeHandle(r.out.sequence_data);
    qvh::hostDisposeHandle(old);
}

TEST_F(SequenceDataTest, SetdownDisposesTheHandle)
{
    PF_Handle data = handleWith(kZeros);
    EXPECT_EQ(run(effect(), PF_Cmd_SEQUENCE_SETDOWN, data).err, PF_Err_NONE);
    EXPECT_FALSE(qvh::hostHandles().contains(data));
    EXPECT_EQ(run(effect(), PF_Cmd_SEQUENCE_SETDOWN, nullptr).err, PF_Err_NONE);
}

// ---- through an instance, as the host drives it ----

using InstanceSequenceTest = InstanceTest;

TEST_F(InstanceSequenceTest, EachInstanceGetsItsOwnElevenZeroBytes)
{
    ASSERT_NE(instance().sequenceData(), nullptr);
    EXPECT_EQ(bytesOf(instance().sequenceData()), kZeros);
    EXPECT_EQ(instance().flattenedSequenceData(), kZeros);
    std::unique_ptr<qvh::Instance> copy = instance().duplicate();
    ASSERT_NE(copy->sequenceData(), nullptr);
    EXPECT_NE(copy->sequenceData(), instance().sequenceData());
    EXPECT_EQ(bytesOf(copy->sequenceData()), kZeros);
}

TEST_F(InstanceSequenceTest, FlattenThenResetupGivesLiveDataAgain)
{
    PF_Handle live = instance().sequenceData();
    EXPECT_EQ(instance().flattenSequence().err, PF_Err_NONE);
    EXPECT_TRUE(instance().sequenceFlattened());
    EXPECT_FALSE(qvh::hostHandles().contains(live));
    EXPECT_EQ(instance().resetupSequence().err, PF_Err_NONE);
    EXPECT_FALSE(instance().sequenceFlattened());
    EXPECT_EQ(bytesOf(instance().sequenceData()), kZeros);
}

TEST_F(InstanceSequenceTest, AFailedFlattenKeepsTheLiveData)
{
    PF_Handle live = instance().sequenceData();
    qvh::host().faults.failFunction("host_lock_handle", 1);
    EXPECT_EQ(instance().flattenSequence().err, PF_Err_OUT_OF_MEMORY);
    qvh::host().faults.clear();
    EXPECT_EQ(instance().sequenceData(), live);
    EXPECT_FALSE(instance().sequenceFlattened());
}

TEST_F(InstanceSequenceTest, AnInstanceThatCannotBeMadeLeavesNothing)
{
    std::size_t handles = qvh::hostHandles().live();
    qvh::host().faults.failHandleAllocations(1);
    EXPECT_THROW(qvh::Instance::create(params()), qvh::HostCommandError);
    qvh::host().faults.clear();
    EXPECT_EQ(qvh::hostHandles().live(), handles);
    qvh::host().faults.removeSuite(kAEGPMemorySuite);
    try {
        qvh::Instance::create(params());
        ADD_FAILURE() << "made without a memory suite";
    } catch (const qvh::HostCommandError &e) {
        EXPECT_EQ(e.result.err, 516);
    }
    qvh::host().faults.clear();
    EXPECT_EQ(qvh::hostHandles().live(), handles);
}

} // namespace
