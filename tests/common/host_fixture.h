// A fixture that loads the built plug-in into the host simulator once and
// checks after every test that no handle, memory handle or suite was left over.
#pragma once

#include "testhost/effect/declared_params.h"
#include "testhost/effect/effect.h"
#include "testhost/host/handles.h"
#include "testhost/host/host.h"
#include "testhost/effect/instance.h"
#include "testhost/host/plugin.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

class HostTest : public ::testing::Test {
protected:
    static qvh::Plugin &plugin()
    {
        static qvh::Plugin *p = new qvh::Plugin(QV_PLUGIN_PATH);
        return *p;
    }

    void SetUp() override
    {
        qvh::host().reset();
        handlesAtStart_ = qvh::hostHandles().live();
        memoryAtStart_ = qvh::memoryHandles().live();
        effect_.reset(new qvh::Effect(plugin()));
    }

    void TearDown() override
    {
        if (effect_ && effect_->globalData())
            effect_->globalSetdown();
        effect_.reset();
        EXPECT_EQ(qvh::hostHandles().live(), handlesAtStart_) << "host handles leaked";
        EXPECT_EQ(qvh::memoryHandles().live(), memoryAtStart_) << "memory handles leaked";
        EXPECT_EQ(qvh::host().suites.outstanding(), 0) << "suites left acquired";
        EXPECT_EQ(qvh::host().suites.unbalancedReleases(), 0) << "suites released without acquisition";
        EXPECT_TRUE(qvh::host().misuse().empty()) << qvh::host().misuse().front();
    }

    qvh::Effect &effect() { return *effect_; }

private:
    std::unique_ptr<qvh::Effect> effect_;
    std::size_t handlesAtStart_ = 0;
    std::size_t memoryAtStart_ = 0;
};

// HostTest with the effect set up, its parameters declared and one instance
// made; after every test the instance and the declaration are gone and no
// handle is left locked.
class InstanceTest : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        lockedAtStart_ = qvh::hostHandles().locked() + qvh::memoryHandles().locked();
        prepareHost();
        ASSERT_EQ(effect().globalSetup().err, PF_Err_NONE);
        params_.reset(new qvh::DeclaredParams(effect()));
        ASSERT_EQ(params_->setup().err, PF_Err_NONE);
        instance_ = qvh::Instance::create(*params_);
    }

    void TearDown() override
    {
        instance_.reset();
        params_.reset();
        EXPECT_EQ(qvh::hostHandles().locked() + qvh::memoryHandles().locked(), lockedAtStart_)
            << "handles left locked";
        HostTest::TearDown();
    }

    // Runs before global setup: the place to change what the host reports.
    virtual void prepareHost() {}

    qvh::DeclaredParams &params() { return *params_; }
    qvh::Instance &instance() { return *instance_; }
    std::unique_ptr<qvh::Instance> &instancePtr() { return instance_; }

private:
    std::unique_ptr<qvh::DeclaredParams> params_;
    std::unique_ptr<qvh::Instance> instance_;
    std::size_t lockedAtStart_ = 0;
};
