// A fixture that loads the built plug-in into the host simulator once and
// checks after every test that no handle, memory handle or suite was left over.
#pragma once

#include "testhost/effect.h"
#include "testhost/handles.h"
#include "testhost/host.h"
#include "testhost/plugin.h"

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
