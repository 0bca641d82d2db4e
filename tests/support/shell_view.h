#pragma once
// The shell's desktop list view, built by the helper shellview.exe with one
// icon per item at a position of the test's choice; asked to quit (and
// ended if it does not) when it goes.
#include <windows.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include "shell/icon_positions.h"
#include "support/e2e.h"

namespace e2e {

struct ShellViewItem {
    std::string text;
    int x, y;
};

class ShellView {
public:
    static constexpr UINT kQuit = WM_APP + 4;
    // Answers once the items hold their positions, or false.
    bool Start(const std::vector<ShellViewItem>& items) {
        std::string args;
        for (const auto& i : items) args += " --item \"" + i.text + "\" " + std::to_string(i.x) + " " + std::to_string(i.y);
        process_ = std::make_unique<ChildProcess>(BinDir() + "shellview.exe", args);
        return WaitForWindow("shellview ready", {}, process_->Pid(), 10000) != nullptr;
    }
    // Asks the helper to quit; true once the list view is gone.
    bool Quit() {
        if (process_) {
            if (HWND progman = ::FindWindowA("Progman", "Program Manager")) ::PostMessageA(progman, kQuit, 0, 0);
            if (process_->Wait(5000) < 0) process_->Kill();
            process_.reset();
        }
        return WaitUntil([] { return shell::FindDesktopListView() == nullptr; });
    }
    ~ShellView() { Quit(); }
    // Where the list view shows the first item of this text.
    static bool ItemAt(const std::string& text, int x, int y) {
        std::vector<shell::TIconItem> items = shell::ReadDesktopListItems();
        const shell::TIconItem* item = shell::FindIconItem(items, text);
        return item && item->X == x && item->Y == y;
    }
private:
    std::unique_ptr<ChildProcess> process_;
};

}  // namespace e2e
