#pragma once

#include <gtest/gtest.h>
#include <memory>

#include "RulerSession.hpp"
#include "support/X11Env.hpp"

namespace spanlet::test {

/// A fresh session per test, from default preferences.
class RulerHarness {
protected:
    void startSession() {
        forgetPreferences();
        session_ = std::make_unique<RulerSession>();
    }
    void endSession() {
        session_.reset();
        settle();
    }

    RulerSession& session() { return *session_; }
    Mensor& model() { return session_->model(); }
    [[nodiscard]] const Preferences& prefs() { return *session_->model().prefs(); }

private:
    std::unique_ptr<RulerSession> session_;
};

class RulerWindow : public ::testing::Test, protected RulerHarness {
protected:
    void SetUp() override { startSession(); }
    void TearDown() override { endSession(); }
};

template <class Param>
class RulerWindowWith : public ::testing::TestWithParam<Param>, protected RulerHarness {
protected:
    void SetUp() override { startSession(); }
    void TearDown() override { endSession(); }
};

} // namespace spanlet::test
