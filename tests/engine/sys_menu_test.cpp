// The entries added to system menus, on windows of this process (Wine gives
// no system menu of another process's window).
#include <gtest/gtest.h>
#include <map>
#include "engine/main_form.h"
#include "settings/settings_access.h"
#include "support/fake_settings.h"

using namespace engine;

namespace {

std::string ItemText(HMENU m, int pos) {
    char buf[256] = {};
    ::GetMenuStringA(m, static_cast<UINT>(pos), buf, sizeof buf, MF_BYPOSITION);
    return buf;
}

class SysMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings::SetLiveSource(&source_);
        form_ = std::make_unique<TfrmPTessarel>();
        form_->FGridCols = 1;
        form_->FGridRows = 4;
        WNDCLASSA wc{};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "TessSysMenuTarget";
        ::RegisterClassA(&wc);
        wnd_ = ::CreateWindowExA(0, "TessSysMenuTarget", "target", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        originalCount_ = ::GetMenuItemCount(::GetSystemMenu(wnd_, FALSE));
    }
    void TearDown() override {
        ::DestroyWindow(wnd_);
        form_.reset();
        settings::SetLiveSource(nullptr);
    }
    HMENU Menu() const { return ::GetSystemMenu(wnd_, FALSE); }
    e2e::FakeSettings source_;
    std::unique_ptr<TfrmPTessarel> form_;
    HWND wnd_ = nullptr;
    int originalCount_ = 0;
};

}  // namespace

TEST_F(SysMenuTest, EntriesAreAddedOnceWithOneItemPerDesktop) {
    ASSERT_GT(originalCount_, 0);
    source_.names[2] = "Mail";
    form_->AddSysMenuItems(wnd_);
    form_->AddSysMenuItems(wnd_);   // a second activation adds nothing
    HMENU m = Menu();
    ASSERT_EQ(::GetMenuItemCount(m), originalCount_ + 3);
    EXPECT_EQ(::GetMenuItemID(m, originalCount_), IDM_SEPARATOR);
    struct Sub { int pos; UINT first; const char* caption; } subs[] = {
        {originalCount_ + 1, IDM_SEND_APP, "Send application to"},
        {originalCount_ + 2, IDM_SEND_WINDOW, "Send this window to"},
    };
    for (const auto& s : subs) {
        EXPECT_EQ(ItemText(m, s.pos), s.caption);
        HMENU sub = ::GetSubMenu(m, s.pos);
        ASSERT_NE(sub, nullptr);
        ASSERT_EQ(::GetMenuItemCount(sub), 4);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(::GetMenuItemID(sub, k), s.first + static_cast<UINT>(k));
        EXPECT_EQ(ItemText(sub, 0), "desktop 1");
        EXPECT_EQ(ItemText(sub, 1), "#2: Mail");
    }
}

TEST_F(SysMenuTest, RemovalPutsTheMenuBackAndFreesTheSubmenus) {
    form_->AddSysMenuItems(wnd_);
    HMENU app = ::GetSubMenu(Menu(), originalCount_ + 1);
    HMENU win = ::GetSubMenu(Menu(), originalCount_ + 2);
    form_->RemoveAllSysMenuItems();
    EXPECT_EQ(::GetMenuItemCount(Menu()), originalCount_);
    EXPECT_FALSE(::IsMenu(app));
    EXPECT_FALSE(::IsMenu(win));
    // Back again after a removal, as on the next activation.
    form_->AddSysMenuItems(wnd_);
    EXPECT_EQ(::GetMenuItemCount(Menu()), originalCount_ + 3);
    form_->RemoveSysMenuItems(wnd_);
    EXPECT_EQ(::GetMenuItemCount(Menu()), originalCount_);
}

TEST_F(SysMenuTest, NothingIsAddedWhileTheOptionIsOffOrWithoutSettings) {
    source_.Set("sysmenui", 0);
    form_->AddSysMenuItems(wnd_);
    EXPECT_EQ(::GetMenuItemCount(Menu()), originalCount_);
    source_.Set("sysmenui", 1);
    settings::SetLiveSource(nullptr);
    form_->AddSysMenuItems(wnd_);
    EXPECT_EQ(::GetMenuItemCount(Menu()), originalCount_);
}
