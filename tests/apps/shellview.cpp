// Test helper: the shell's desktop list view, as a program that reads and
// moves desktop icons finds it: "Progman" "Program Manager" >
// "SHELLDLL_DefView" > "SysListView32" (Wine has no such window).
//   --item TEXT X Y   one icon-mode item at (X, Y), in order; repeatable
// The positions are set once the list view has been painted (it arranges
// its items on its grid until then) and set again until they hold through
// three checks in a row; then a top-level window titled "shellview ready"
// appears. Control messages to the Progman window:
// WM_APP+1 stops pumping (a top-level window "shellview hung" appears
// first), WM_APP+4 quits.
#include <windows.h>
#include <commctrl.h>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr UINT kHang = WM_APP + 1;
constexpr UINT kQuit = WM_APP + 4;
constexpr UINT kPlaceItems = WM_APP + 20;
constexpr UINT_PTR kCheckTimer = 1;
constexpr int kStableChecks = 3;

struct Item {
    std::string text;
    int x, y;
};
std::vector<Item> items;
HWND listView = nullptr;
int stableChecks = 0;
bool ready = false;

void PlaceItems() {
    ::UpdateWindow(listView);
    for (size_t i = 0; i < items.size(); ++i)
        ::SendMessageA(listView, LVM_SETITEMPOSITION, i, MAKELPARAM(items[i].x, items[i].y));
    ::UpdateWindow(listView);
}

bool ItemsInPlace() {
    for (size_t i = 0; i < items.size(); ++i) {
        POINT p{};
        ::SendMessageA(listView, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&p));
        if (p.x != items[i].x || p.y != items[i].y) return false;
    }
    return true;
}

void Marker(const char* title) {
    ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", title, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                      ::GetModuleHandleA(nullptr), nullptr);
}

LRESULT CALLBACK ProgmanProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
    case kPlaceItems:
        PlaceItems();
        ::SetTimer(w, kCheckTimer, 50, nullptr);
        return 0;
    case WM_TIMER:
        if (ready) return 0;
        if (!ItemsInPlace()) {
            stableChecks = 0;
            PlaceItems();
        } else if (++stableChecks == kStableChecks) {
            ready = true;
            ::KillTimer(w, kCheckTimer);
            Marker("shellview ready");
        }
        return 0;
    case kHang:
        Marker("shellview hung");
        for (;;) ::Sleep(1000);
    case kQuit:
    case WM_CLOSE:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(w, m, wp, lp);
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--item" && i + 3 < argc) {
            items.push_back({argv[i + 1], std::atoi(argv[i + 2]), std::atoi(argv[i + 3])});
            i += 3;
        }
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = ProgmanProc;
    wc.hInstance = instance;
    wc.lpszClassName = "Progman";
    ::RegisterClassA(&wc);
    WNDCLASSA view{};
    view.lpfnWndProc = ::DefWindowProcA;
    view.hInstance = instance;
    view.lpszClassName = "SHELLDLL_DefView";
    ::RegisterClassA(&view);

    HWND progman = ::CreateWindowExA(WS_EX_TOOLWINDOW, "Progman", "Program Manager", WS_POPUP | WS_VISIBLE, 0, 0, 800,
                                     600, nullptr, nullptr, instance, nullptr);
    HWND defView = ::CreateWindowExA(0, "SHELLDLL_DefView", "", WS_CHILD | WS_VISIBLE, 0, 0, 800, 600, progman, nullptr,
                                     instance, nullptr);
    listView = ::CreateWindowExA(0, WC_LISTVIEWA, "FolderView", WS_CHILD | WS_VISIBLE | LVS_ICON, 0, 0, 800, 600,
                                 defView, nullptr, instance, nullptr);
    for (size_t i = 0; i < items.size(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = items[i].text.data();
        ::SendMessageA(listView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    ::PostMessageA(progman, kPlaceItems, 0, 0);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
