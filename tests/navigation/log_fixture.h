#pragma once
// A log window and a main form (never given a window) in the test process,
// as the bubbles and the log window expect them.
#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include "engine/main_form.h"
#include "framework/application.h"
#include "framework/registry.h"
#include "navigation/bubble.h"
#include "navigation/event_log_window.h"

namespace logtest {

// Clears the log's registry values for the test and puts back what was there.
class LogSettingsScope {
public:
    LogSettingsScope() {
        framework::Registry reg;
        if (reg.OpenKeyReadOnly(navigation::kSettingsKey)) {
            level_ = reg.TryReadInteger(navigation::kBubbleLevelValue);
            inact_ = reg.TryReadInteger(navigation::kInactNotifyValue);
        }
        Clear();
    }
    ~LogSettingsScope() {
        Clear();
        framework::Registry reg;
        if (!reg.OpenKey(navigation::kSettingsKey, true)) return;
        if (level_) reg.WriteInteger(navigation::kBubbleLevelValue, *level_);
        if (inact_) reg.WriteInteger(navigation::kInactNotifyValue, *inact_);
    }
    static void Clear() {
        framework::Registry reg;
        if (!reg.OpenKey(navigation::kSettingsKey, false)) return;
        reg.DeleteValue(navigation::kBubbleLevelValue);
        reg.DeleteValue(navigation::kInactNotifyValue);
    }
    static void Write(int level, bool inact) {
        framework::Registry reg;
        ASSERT_TRUE(reg.OpenKey(navigation::kSettingsKey, true));
        reg.WriteInteger(navigation::kBubbleLevelValue, level);
        reg.WriteBool(navigation::kInactNotifyValue, inact);
    }
private:
    std::optional<int> level_, inact_;
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

inline std::vector<navigation::TfrmBubble*> BubbleForms() {
    std::vector<navigation::TfrmBubble*> out;
    ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND w, LPARAM l) -> BOOL {
        if (auto* b = dynamic_cast<navigation::TfrmBubble*>(framework::Form::FromHandle(w)))
            reinterpret_cast<std::vector<navigation::TfrmBubble*>*>(l)->push_back(b);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&out));
    return out;
}

inline navigation::TfrmBubble* OnlyBubble() {
    auto all = BubbleForms();
    return all.size() == 1 ? all[0] : nullptr;
}

inline BYTE AlphaOf(HWND w) {
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    ::GetLayeredWindowAttributes(w, &key, &alpha, &flags);
    return alpha;
}

}  // namespace logtest
