#pragma once
// A log window and a main form (never given a window) in the test process,
// as the bubbles and the log window expect them.
#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include "engine/main_form.h"
#include "framework/application.h"
#include "navigation/bubble.h"
#include "navigation/event_log_window.h"
#include "support/bubble_forms.h"
#include "support/registry_values.h"

namespace logtest {

// Clears the log's registry values for the test and puts back what was there.
class LogSettingsScope : public e2e::RegistryValuesScope {
public:
    LogSettingsScope() : RegistryValuesScope({navigation::kBubbleLevelValue, navigation::kInactNotifyValue}) {}
    static void Write(int level, bool inact) {
        SetInt(navigation::kBubbleLevelValue, level);
        SetInt(navigation::kInactNotifyValue, inact ? 1 : 0);
    }
};

struct LogFixture : ::testing::Test {
    LogSettingsScope settings;
    std::unique_ptr<engine::TfrmPTessarel> main;

    void SetUp() override {
        CreateLog();
        main = std::make_unique<engine::TfrmPTessarel>();
        engine::frmPTessarel = main.get();
    }
    void TearDown() override {
        engine::frmPTessarel = nullptr;
        main.reset();
        FreeLog();
        navigation::FreeBubbles();
    }
    static void CreateLog() {
        auto& app = framework::App();
        framework::Form* before = app.MainForm();
        app.CreateForm(navigation::frmLog);
        app.SetMainForm(before);   // closing the log must not end the test program
    }
    static void FreeLog() {
        if (navigation::frmLog) framework::App().FreeForm(navigation::frmLog);
    }
    navigation::TfrmLog& Log() { return *navigation::frmLog; }
};

using e2e::BubbleForms;
using e2e::OnlyBubble;

inline BYTE AlphaOf(HWND w) {
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    ::GetLayeredWindowAttributes(w, &key, &alpha, &flags);
    return alpha;
}

}  // namespace logtest
