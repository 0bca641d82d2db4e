// The hook library: global hook procedures that run inside other processes
// (the system maps this library into them) and report to the main window by
// posted messages only. They never block, never throw and always leave the
// message to the next hook unless it is a hotkey they used.
#include <windows.h>
#include <atomic>
#include <cstdint>
#include "engine/messages.h"
#include "hooklib/hotkeys.h"

namespace {

// One copy for every process that maps the library: the program writes the
// hook handles and the options in its own process, the hook procedures read
// them wherever they run. The section is marked shared here and in the .def.
// The section outlives the program that wrote it while any other process
// keeps the library mapped, so it names its owner: the process id and the
// process's creation time, which tells a reused id from the owner.
struct SharedState {
    std::atomic<int32_t> callWndHook{0};
    std::atomic<int32_t> keyboardHook{0};
    std::atomic<int32_t> getMessageHook{0};
    std::atomic<int32_t> mode{0};
    std::atomic<int32_t> applist{0};
    std::atomic<int32_t> deskprev{0};
    std::atomic<int32_t> mainmenu{0};
    std::atomic<uint32_t> ownerProcess{0};
    std::atomic<int64_t> ownerCreated{0};
};
static_assert(std::atomic<int32_t>::is_always_lock_free, "the shared values are plain memory");
static_assert(std::atomic<int64_t>::is_always_lock_free, "the shared values are plain memory");

SharedState g_shared __attribute__((section(".shr"), shared));

// Per process: the key whose key-up belongs to a hotkey already used, and the
// key stroke reported while it was only peeked at, so that its removal is not
// reported a second time.
unsigned g_swallowKeyUp = 0;
struct PeekedKey {
    unsigned vk = 0;
    LPARAM flags = 0;
};
PeekedKey g_peeked;

// Per process: the modifiers the thread that last received keys here has
// seen go down and not yet come up (see hooklib::HeldForStroke).
struct SeenModifiers {
    DWORD thread = 0;
    unsigned down = 0;
};
SeenModifiers g_seen;

// Per process: this is the program's own process. The program sets the hook
// handles here, in its own process, and messages its own controls all the
// time (every setting is read from its control); its own windows are never
// reported, so those messages leave at once instead of asking the window
// server who the main window is.
bool g_programProcess = false;

int32_t Load(const std::atomic<int32_t>& v) noexcept { return v.load(std::memory_order_relaxed); }

// Owner of the shared values ---------------------------------------------------------
// Under Wine a global hook is not removed when the process that set it ends
// without removing it (killed from Task Manager, or crashed): it stays set,
// keeps loading the library into every process and runs on. The values in
// the section stay too. A start after such an end removes what was left, and
// until then no key is swallowed for a program that no longer runs.

struct Owner {
    DWORD process = 0;
    int64_t created = 0;
    bool operator==(const Owner&) const = default;
};

int64_t CreationTime(HANDLE process) noexcept {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return static_cast<int64_t>((static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime);
}

Owner ThisProcess() noexcept {
    static const Owner self{::GetCurrentProcessId(), CreationTime(::GetCurrentProcess())};
    return self;
}

Owner RecordedOwner() noexcept {
    return {g_shared.ownerProcess.load(), g_shared.ownerCreated.load()};
}

// Whether the process that wrote the values still runs. A process this one
// may not even query is taken as running: its values are left alone.
bool Running(const Owner& owner) noexcept {
    if (owner.process == 0) return false;
    if (owner == ThisProcess()) return true;
    HANDLE p = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, owner.process);
    if (!p) return ::GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = ::WaitForSingleObject(p, 0) == WAIT_TIMEOUT && CreationTime(p) == owner.created;
    ::CloseHandle(p);
    return running;
}

// The hooks an owner that has gone left set, and its options, go.
void RemoveLeftOvers() noexcept {
    for (auto* slot : {&g_shared.callWndHook, &g_shared.keyboardHook, &g_shared.getMessageHook})
        if (int32_t h = slot->exchange(0)) ::UnhookWindowsHookEx(reinterpret_cast<HHOOK>(static_cast<intptr_t>(h)));
    for (auto* option : {&g_shared.mode, &g_shared.applist, &g_shared.deskprev, &g_shared.mainmenu}) option->store(0);
}

// Every setter runs this first: the program that sets a value owns them all.
void TakeOwnership() noexcept {
    const Owner self = ThisProcess();
    const Owner recorded = RecordedOwner();
    if (recorded == self) return;
    if (!Running(recorded)) RemoveLeftOvers();
    g_shared.ownerCreated.store(self.created);
    g_shared.ownerProcess.store(self.process);
}

HHOOK HookOf(const std::atomic<int32_t>& id) noexcept {
    return reinterpret_cast<HHOOK>(static_cast<intptr_t>(Load(id)));
}

hooklib::Options CurrentOptions() noexcept {
    return {Load(g_shared.mode), Load(g_shared.applist), Load(g_shared.deskprev), Load(g_shared.mainmenu)};
}

HWND MainWindow() noexcept { return ::FindWindowA(engine::kMainClassName, nullptr); }

WPARAM AsWParam(HWND w) noexcept { return static_cast<WPARAM>(reinterpret_cast<uintptr_t>(w)); }

bool IsTopLevel(HWND w) noexcept { return w && ::GetAncestor(w, GA_PARENT) == ::GetDesktopWindow(); }

// Activity of a top-level window. The program's own windows are never
// managed, so their activity is not reported at all.
void ReportWindow(UINT message, HWND w) noexcept {
    if (g_programProcess || !IsTopLevel(w)) return;
    HWND main = MainWindow();
    if (!main) return;
    DWORD mainProcess = 0;
    ::GetWindowThreadProcessId(main, &mainProcess);
    if (mainProcess == ::GetCurrentProcessId()) return;
    ::PostMessageA(main, message, AsWParam(w), 1);
}

// A pick of one of the added system-menu items, reported for the top-level
// window whose menu it was.
void ReportSysCommand(HWND w, WPARAM id) noexcept {
    if (!w || !hooklib::IsDesktopMenuCommand(id)) return;
    HWND main = MainWindow();
    if (!main) return;
    HWND root = ::GetAncestor(w, GA_ROOT);
    ::PostMessageA(main, engine::WM_HOOK_SYSMENU, AsWParam(root ? root : w), static_cast<LPARAM>(id));
}

// Taking the focus back ---------------------------------------------------------------
// Under Wine the keys go to the window that holds the X server's input focus,
// and a thread asks the X server for it stamped with the time of the last
// message it read. When one of the program's windows took the focus in front
// of this window and went, the system makes this window active again, but
// its thread asks with a time older than the program's request: the X server
// ignores it, and the keys go to the desktop window while this window looks
// active. Asked again here, right after reading the program's message, the
// request carries that message's time and is granted. The focus must change
// for the thread to ask at all, so it leaves and comes back.
void TakeFocusAgain(HWND w) noexcept {
    HWND root = ::GetAncestor(w, GA_ROOT);
    if (!root || !::IsWindowVisible(root)) return;
    if (::GetForegroundWindow() != root) ::SetForegroundWindow(root);
    HWND focus = ::GetFocus();
    if (!focus || ::GetAncestor(focus, GA_ROOT) != root) focus = root;
    ::SetFocus(nullptr);
    ::SetFocus(focus);
}

bool DownForThread(int vk) noexcept { return (::GetKeyState(vk) & 0x8000) != 0; }
bool DownOnKeyboard(int vk) noexcept { return (::GetAsyncKeyState(vk) & 0x8000) != 0; }

// The modifiers down in one of the two key states.
unsigned ModifiersDown(bool (*down)(int) noexcept) noexcept {
    using namespace hooklib;
    struct Key {
        int vk;
        unsigned bit;
    };
    constexpr Key kKeys[] = {
        {VK_LCONTROL, kLeftCtrl}, {VK_RCONTROL, kRightCtrl}, {VK_LMENU, kLeftAlt}, {VK_RMENU, kRightAlt},
        {VK_LSHIFT, kLeftShift},  {VK_RSHIFT, kRightShift},  {VK_LWIN, kLeftWin},  {VK_RWIN, kRightWin},
    };
    unsigned mods = 0;
    for (const Key& k : kKeys)
        if (down(k.vk)) mods |= k.bit;
    return mods;
}

// Follows the modifiers through the key strokes of the receiving thread.
void SeeStroke(unsigned vk, LPARAM flags) noexcept {
    const DWORD thread = ::GetCurrentThreadId();
    if (g_seen.thread != thread) g_seen = {thread, 0};
    g_seen.down = hooklib::TrackModifiers(g_seen.down, vk, static_cast<uint32_t>(flags));
}

unsigned HeldModifiers() noexcept {
    const unsigned threadState = ModifiersDown(DownForThread);
    // The keyboard is asked only when the thread's state lacks a modifier
    // this thread saw go down.
    if ((g_seen.down & ~threadState) == 0) return threadState;
    return hooklib::HeldForStroke(threadState, g_seen.down, ModifiersDown(DownOnKeyboard));
}

// The key of the character chord in the layout of the thread that receives
// the key.
hooklib::LayoutKeys CurrentLayoutKeys() noexcept {
    return {hooklib::CharKeyFromScan(::VkKeyScanExA('`', ::GetKeyboardLayout(0)))};
}

constexpr LPARAM kKeyUpFlag = LPARAM{1} << 31;
constexpr LPARAM kWasDownFlag = LPARAM{1} << 30;
constexpr LPARAM kAltDownFlag = LPARAM{1} << 29;

// A key that no program acts on (the code is unassigned) and that types
// nothing.
constexpr WPARAM kMaskKey = 0xE8;

// The window that receives this thread's keys saw Alt go down but will never
// see the hotkey's own key. Released without another key in between, Alt
// opens that window's menu, and the menu takes the user's next key. A mask
// key stroke in between keeps the release plain; it is posted, so the window
// reads it before the key-up still waiting in the input queue.
void MaskAltRelease() noexcept {
    HWND target = ::GetFocus();
    if (!target) target = ::GetActiveWindow();
    if (!target) return;
    ::PostMessageA(target, WM_SYSKEYDOWN, kMaskKey, kAltDownFlag | 1);
    ::PostMessageA(target, WM_SYSKEYUP, kMaskKey, kKeyUpFlag | kWasDownFlag | kAltDownFlag | 1);
}

// Answers whether the key stroke was a hotkey: then it is reported once (not
// for auto-repeats) and swallowed, its key-up included.
bool HandleKey(int code, unsigned vk, LPARAM flags) noexcept {
    SeeStroke(vk, flags);
    if (flags & kKeyUpFlag) {
        if (vk != g_swallowKeyUp) return false;
        g_swallowKeyUp = 0;
        g_peeked = {};
        return true;
    }
    hooklib::Options options = CurrentOptions();
    if (!hooklib::CatchesKeys(options)) return false;
    unsigned mods = HeldModifiers();
    hooklib::LayoutKeys layout = hooklib::NeedsLayout(options, mods) ? CurrentLayoutKeys() : hooklib::LayoutKeys{};
    int command = hooklib::HotkeyCommand(options, vk, mods, layout);
    if (command == hooklib::kNoCommand) return false;
    // A hook left behind by a program that has gone swallows nothing.
    if (!Running(RecordedOwner())) return false;
    bool reportedWhilePeeked = g_peeked.vk == vk && g_peeked.flags == flags;
    g_peeked = code == HC_NOREMOVE ? PeekedKey{vk, flags} : PeekedKey{};
    g_swallowKeyUp = vk;
    if (!(flags & kWasDownFlag) && !reportedWhilePeeked) {
        if (HWND main = MainWindow()) ::PostMessageA(main, engine::WM_HOOK_HOTKEY, static_cast<WPARAM>(command), 0);
        if (mods & hooklib::kAnyAlt) MaskAltRelease();
    }
    return true;
}

}  // namespace

extern "C" {

// WH_CALLWNDPROC: messages sent to windows of the hooked thread.
LRESULT CALLBACK HookProc(int code, WPARAM w, LPARAM l) noexcept {
    if (code == HC_ACTION && l) {
        const auto& m = *reinterpret_cast<const CWPSTRUCT*>(l);
        switch (m.message) {
        case WM_ACTIVATE:
            if (LOWORD(m.wParam) != WA_INACTIVE) ReportWindow(engine::WM_HOOK_ACTIVATE, m.hwnd);
            break;
        case WM_CREATE:
            ReportWindow(engine::WM_HOOK_WINDOWSHOWN, m.hwnd);
            break;
        case WM_WINDOWPOSCHANGED:
            // Every way of showing a window (ShowWindow, SetWindowPos,
            // creation with WS_VISIBLE) ends here with this flag.
            if (m.lParam && (reinterpret_cast<const WINDOWPOS*>(m.lParam)->flags & SWP_SHOWWINDOW))
                ReportWindow(engine::WM_HOOK_WINDOWSHOWN, m.hwnd);
            break;
        case WM_SYSCOMMAND:
            ReportSysCommand(m.hwnd, m.wParam);
            break;
        default:
            break;
        }
    }
    return ::CallNextHookEx(HookOf(g_shared.callWndHook), code, w, l);
}

// WH_KEYBOARD: key strokes about to be read by the hooked thread. A stroke
// that is only peeked at (HC_NOREMOVE) and swallowed is dropped from the
// queue by the system, so it is reported at the first sight.
LRESULT CALLBACK KHookProc(int code, WPARAM w, LPARAM l) noexcept {
    if ((code == HC_ACTION || code == HC_NOREMOVE) && HandleKey(code, static_cast<unsigned>(w), l)) return 1;
    return ::CallNextHookEx(HookOf(g_shared.keyboardHook), code, w, l);
}

// WH_GETMESSAGE: posted messages as the hooked thread removes them. A pick
// from a system menu arrives as a posted WM_SYSCOMMAND; the program's request
// to take the keyboard focus again is read here and never reaches the window.
LRESULT CALLBACK MHookProc(int code, WPARAM w, LPARAM l) noexcept {
    if (code == HC_ACTION && w == PM_REMOVE && l) {
        auto& m = *reinterpret_cast<MSG*>(l);
        if (m.message == WM_SYSCOMMAND) ReportSysCommand(m.hwnd, m.wParam);
        if (m.message == engine::TakeFocusMessage()) {
            if (!g_programProcess && Running(RecordedOwner())) TakeFocusAgain(m.hwnd);
            m.message = WM_NULL;
        }
    }
    return ::CallNextHookEx(HookOf(g_shared.getMessageHook), code, w, l);
}

void WINAPI SetHookID(int id) noexcept {
    TakeOwnership();
    g_shared.callWndHook.store(id);
    g_programProcess = true;
}
void WINAPI SetKHookID(int id) noexcept { TakeOwnership(); g_shared.keyboardHook.store(id); }
void WINAPI SetMHookID(int id) noexcept { TakeOwnership(); g_shared.getMessageHook.store(id); }
void WINAPI SetMethod(int v) noexcept { TakeOwnership(); g_shared.mode.store(v); }
void WINAPI SetMethodA(int v) noexcept { TakeOwnership(); g_shared.applist.store(v); }
void WINAPI SetMethodD(int v) noexcept { TakeOwnership(); g_shared.deskprev.store(v); }
void WINAPI SetMethodM(int v) noexcept { TakeOwnership(); g_shared.mainmenu.store(v); }

}  // extern "C"
