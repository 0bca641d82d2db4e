#pragma once
// Every window of the program, opened one after the other as its user opens
// them: the start (splash, error report, wizard), the tray and its menus, the
// preview and its menu, every page of the settings dialog and the dialogs
// they open, the navigation windows, the lock cover and the password
// prompts. Each window that comes up is handed to a sink once its picture
// stands still: the gallery writes it to a file, the picture checks look at
// it. The program runs in the prefix of the calling test program, at the
// size its virtual desktop has.
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "support/screen_shot.h"

namespace e2e {

struct Sight {
    std::string name;    // short and unique, for a file name: "settings-hotkeys"
    std::string title;   // what a person is told: "Settings dialog: hotkeys page"
    DWORD pid = 0;       // the program's process
    HWND window = nullptr;   // the program's window shown (the menu window for a menu)
    RECT area{};         // the part of the screen the picture holds
    ScreenShot shot;     // of the area, once two copies in a row were the same
};

class WindowTour {
public:
    using Sink = std::function<void(const Sight&)>;
    explicit WindowTour(Sink sink) : sink_(std::move(sink)) {}

    // Both runs of the program: the first with nearly every window, the
    // second for the wait window of the desktop icons.
    void Run();
    // What could not be opened or closed, one line each.
    const std::vector<std::string>& Failures() const noexcept { return failures_; }

private:
    Sink sink_;
    std::vector<std::string> failures_;
};

}  // namespace e2e
