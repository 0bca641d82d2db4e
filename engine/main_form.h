#pragma once
// TfrmPTessarel: the home of the engine (window table, engine tick, rules,
// hook bridge) and, as a window, the desktop preview. Its methods are spread
// over the engine's files by concern:
//   main_form.cpp      life cycle and exit
//   window_table.cpp   the table, the scan and the window rules
//   desktop_switch.cpp the tick, the switch, hide and show, unify
//   hook_bridge.cpp    the hook library and the program's messages
//   snapshot.cpp       the snapshot file
//   sticky_list.cpp    the sticky list
//   event_log.cpp      the event-log writer and the exception log
//   preview.cpp        the preview: layout, placement, mouse, window moves
//   preview_paint.cpp  the preview's drawing
//   sys_menu.cpp       the entries added to other windows' system menus
//   tray_menus.cpp     the tray icon's handlers, the tray and preview menus
//   input_poll.cpp     the input poll: double taps, screen edges, gestures
#include <windows.h>
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>
#include "engine/input_poll.h"
#include "engine/messages.h"
#include "engine/reg_string_list.h"
#include "engine/snapshot.h"
#include "engine/subsystem_links.h"
#include "engine/tray_icon.h"
#include "engine/window_facts.h"
#include "engine/window_record.h"
#include "framework/form.h"
#include "framework/graphic_control.h"
#include "framework/owned.h"
#include "framework/popup_menu.h"
#include "framework/timer.h"
#include "toolkit/xp_menu.h"

namespace engine {

class TfrmPTessarel final : public framework::Form {
public:
    TfrmPTessarel();
    ~TfrmPTessarel() override;

    // State that other units read in place ----------------------------------
    std::vector<TWindowRecord> FWindowTable;
    uint32_t FScanCounter = 0;
    int FCurrentDesktop = 1;
    int FRequestedDesktop = 1;
    int FPreviousDesktop = 1;
    bool FDesktopUnlocked = true;
    std::array<HWND, 10> FLastActiveWindow{};   // 1..9 per desktop
    int FGridCols = 1;
    int FGridRows = 4;
    HWND FSelectedWindow = nullptr;
    DWORD FSelectedProcessId = 0;
    int FPressedDesktop = 0;
    int FTargetDesktop = 0;
    HWND FOwnPopupWindow = nullptr;
    int FLastEdge = 0;                          // the screen edge the cursor rests on, 0 none
    bool FPreviewSwitch = false;
    std::unique_ptr<TRegStringList> FStickyList;
    std::vector<links::OwnedBubble> FBubbles;
    std::vector<TSnapshotRecord> FSnapshot;

    int DesktopCount() const noexcept { return FGridCols * FGridRows; }
    HWND LastEventWindow() const noexcept { return lastEventWindow_; }

    // Window table and scan --------------------------------------------------
    void ScanWindows();
    // One scan over these handles, the top-level windows in the system's
    // order: what ScanWindows does with the handles it enumerates.
    void ScanWindows(const std::vector<HWND>& handles, bool complete);
    int FindWindowRecord(HWND w);
    bool IsUnmanagedWindow(HWND w, int index);
    int ChooseDesktopForProcess(DWORD processId, HWND w);
    bool IsSticky(HWND w);
    void InvalidateStickyCache() noexcept;   // after the sticky list changed
    bool IsListedWindow(HWND w);
    bool IsListedWindow(HWND w, bool autoFollow);
    std::string GetWindowExeName(HWND w);
    void CompactWindowTable();
    bool IsWindowShown(HWND w) const;
    bool WindowShownOnDesktop(HWND w, int desktop);
    const std::string& ClassNameBuffer() const noexcept { return className_; }

    // Tick and switch ----------------------------------------------------------
    void tScanTimer();
    // The wall-clock seconds spent in the tick so far; with FScanCounter, the
    // ticks run, it tells the pace the program keeps as it runs.
    double TickSeconds() const noexcept { return tickSeconds_; }
    void RequestDesktop(int n);
    // A switch the preview or its menus ask for: FPreviewSwitch marks it only
    // when the request is taken, so a refused one leaves the next switch's
    // focus hand-over alone.
    void RequestPreviewSwitch(int n);
    void HideForeignWindows();
    void ShowDesktopWindows();
    void ShowWindowSafe(HWND w, int cmd);
    // The same with "async" already read, for a pass over many windows.
    void ShowWindowSafe(HWND w, int cmd, bool async);
    // False when the move was refused: a desktop outside the grid, a sticky
    // window or one the table does not hold.
    bool SetWindowDesktop(HWND w, int n, bool noRefresh);
    // The grid the settings apply: windows of desktops beyond the new count
    // go to the last desktop, and a current desktop beyond it is left.
    void FitWindowsIntoGrid(int cols, int rows);
    void miUnifyClick();
    void CheckDesktopAccess();
    // The lock password of this desktop has just been given: the next
    // switch, when it goes there, arrives unlocked, so the cover does not ask
    // again. Any switch takes it back; 0 takes it back now.
    void UnlockOnArrival(int desktop) noexcept { unlockOnArrival_ = desktop; }
    bool HasPrivateWindows();
    // A private desktop other than the current, unlocked one: what lies
    // there is neither shown, drawn, listed nor moved away without the
    // password.
    bool IsLockedDesktop(int desktop) const;
    void SyncIconSwapper();

    // Snapshot and sticky list -------------------------------------------------
    void SaveSnapshot();
    void LoadSnapshot();
    TSnapshotRecord FindSnapshotRecord(HWND w, DWORD processId);
    void SetSticky(std::string_view name, bool add);
    // The whole list, as the settings dialog's sticky page holds it.
    void ReplaceStickyList(const std::vector<std::string>& entries);
    void SaveStickyList();

    // Event log ------------------------------------------------------------------
    void LogEvent(std::string_view text, HWND w, bool flagged);
    void LogException(const std::string& message);
    void RegisterBubble(navigation::TfrmBubble* bubble);

    // System-menu entries -------------------------------------------------------
    void AddSysMenuItems(HWND w);
    void RemoveSysMenuItems(HWND w);
    void RemoveAllSysMenuItems();

    // Preview and moves ---------------------------------------------------------
    // "Send application to" and "Move single window to" FSelectedWindow:
    // without a sender to FTargetDesktop, else to the menu item's Tag.
    void miA1Click();
    void miA1Click(int target);
    void miS1Click();
    void miS1Click(int target);
    void ShowPreview(int origin);   // preview::kOriginMouse or preview::kOriginTaskbar
    void HidePreview();
    // The preview's opacity for a "transparency" value (0 to 75).
    void ApplyPreviewTransparency(int transparency);
    void TogglePreview();           // hotkey, gesture, double tap: at the mouse
    void ShowPreviewFromTray();     // tray click, click window: next to the taskbar
    void RepaintPreview() { RefreshPreview(); }
    void RefreshPreview();
    void LayoutPreview(int cellWidth, int cellHeight);
    void PlacePreviewAtTaskbar();
    void PlacePreviewAtMouse();
    void HideOtherLabels(const framework::GraphicLabel* sender);
    void DrawDesktopThumb(int desktop, framework::Image& image);
    int PreviewOrigin() const noexcept { return previewOrigin_; }

    // The preview's controls and their handlers.
    enum class MouseButton { Left, Right, Middle };
    framework::Image* Thumbnail(int desktop);           // the Image with this Tag
    framework::GraphicLabel* DesktopLabel(int desktop); // the Label with this Tag
    const framework::Image& LockedPicture() const noexcept { return imLocked; }
    void Image1MouseDown(framework::Image& image, MouseButton button, int x, int y);
    void Image1MouseMove(framework::Image& image, WPARAM keys, int x, int y);
    void Image1Click(framework::Image& image);
    void Label1Click(framework::GraphicLabel& label);
    void SpeedButton1Click();

    // Exit --------------------------------------------------------------------
    void Exit1Click();
    void Exit2Click();

    // Hook library -------------------------------------------------------------
    bool HookLibraryLoaded() const noexcept { return static_cast<bool>(hookLib_); }
    void CallHookOption(const char* setter, int value);   // SetMethod, SetMethodA, ...
    bool IsHungWindow(HWND w) const;

    // Tray icon and menus ------------------------------------------------------
    TRxTrayIcon rxti{false};            // stored inactive; the settings switch it on
    framework::PopupMenu PopupMenu1;    // the tray menu (also the main menu)
    framework::PopupMenu PopupMenu2;    // the preview's window menu
    toolkit::TXPMenu xpm{*this};        // paints both menus flat; after them, so it goes first
    void CreateTrayMenus();             // the menus' items and the icon's handlers
    // The captions of "Send application to" and "Move single window to",
    // desktop 1 first.
    void SetDesktopMenuCaptions(const std::vector<std::string>& captions);
    void rxtiClick();
    void rxtiDblClick();
    void rxtiMouseMove();
    void SetTrayIconForDesktop(int n);
    void PopupMenu1Popup();
    void BuildAppMenu();
    void AppWindowItemClick(HWND w);
    void StickyAppWindowItemClick(HWND w);
    void PopupMenu2Popup();
    void miSelClick();
    void miDrag2CurrentClick();
    void miDragW2CurrentClick();
    void About1Click();
    void btnHelpClick();
    void Manual1Click();
    void FormKeyUp(WORD key);
    void Sendmeafeedback1Click();
    void Requestanewfeature2Click();
    void Searchknowledgebase2Click();
    void Subscribetomynewsletter1Click();
    void Subscribetomynewsletter2Click();
    void Lostwindows1Click();
    void Showlog1Click();
    void Configure1Click();
    void PopupMainMenu();               // at the cursor; returns when it closes

    // Input poll ------------------------------------------------------------------
    void tGestureTimer();
    bool AnyKeyDown() const;
    void CheckEdge(int edge, bool inside, TPollTime now, TEdgeMode mode);
    void RunGestureAction(int action);
    // The poll runs from creation to exit; off, it reads nothing (a
    // benchmark compares the program with and without it).
    void EnableInputPoll(bool on);

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_CLIPCHILDREN; }
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_TOPMOST; }
    void CreateControls() override;
    void FormCreate() override;
    void FormShow() override;
    bool FormCloseQuery() override;
    void FormClose() override;
    void FormDestroy() override;
    void Paint(HDC dc, const RECT& client) override;

    void PopupPreviewMenu();   // the window menu for FSelectedWindow, at the cursor
    // The double-tap and chord commands: what "hotkeyapplist", "hotkeydeskprev"
    // and "hotkeymainmenu" set to this trigger item open; previewLog (when
    // not empty) is logged with the preview.
    void RunTriggerCommands(int item, std::string_view previewLog);
    void TogglePreviewFor(std::string_view log);   // the preview toggled by a trigger, with its log line

private:
    friend BOOL CALLBACK ScanWindowProc(HWND w, LPARAM) noexcept;
    static constexpr UINT kResponseProbeMs = 150;
    bool Responds(HWND w) const;
    void Refocus();
    // The windows a native fault shows again before the program ends.
    void PublishRescueWindows();
    void AutoHidePreview();
    void FreeFinishedBubbles();
    void WaitForDesktopIcons();
    void RefreshDesktopIndicators();   // after a switch: name panel, desk bar, edge window, preview place
    void KeepWindowsInGrid();
    void ScanWindow(HWND w);
    void SwitchDesktop();
    bool LoadHookLibrary();
    void SetHooks();
    void RemoveHooks();
    void RegisterMessages();
    bool AcceptingMessages() const;
    void WMHookActivate(WPARAM w, LPARAM l);
    void WMHookHotkey(WPARAM w, LPARAM l);
    void WMHookSysMenu(WPARAM w, LPARAM l);
    void WMHookWindowShown(WPARAM w, LPARAM l);
    void WMSwitchDesktop(WPARAM w, LPARAM l);
    void WMKillInstance(WPARAM w, LPARAM l);
    void WMShowPoll(WPARAM w, LPARAM l);
    void ReleaseOtherWindows();
    void DrawWindowThumb(HWND w);
    bool PreviewHitTest(HWND w);
    // Some of these windows would leave a desktop they may leave only with
    // the password.
    bool MoveNeedsPassword(const std::vector<HWND>& windows, int target);
    bool SendAppWindow(HWND w, int target);
    void ShowDesktopMenuItems();   // "Send application to", "Move single window to": the desktops of the grid
    void RegisterPreviewMouse();
    framework::GraphicControl* PreviewControlAt(POINT p);
    void PreviewMouseDown(MouseButton button, LPARAM at);
    void PreviewMouseUp(WPARAM keys, LPARAM at);
    void PreviewMouseMove(WPARAM keys, LPARAM at);
    void PaintPreviewBar(HDC dc, const RECT& client);
    void CreateHint();
    static void DrawPadlock(HDC dc, int size);
    SIZE ThumbSize() const;
    void UnifyOnScreen() noexcept;   // every window shown on its desktop, shown again
    HMENU NewDesktopSubmenu(UINT firstId);
    void DestroySubmenu(HMENU sub);

    // The facts of a window the scan keeps while its handle lives; null
    // when the handle names no window.
    const TWindowFacts* FactsOf(HWND w);
    bool IsUnmanagedWindow(HWND w, int index, const TWindowFacts* facts);
    std::string UpperClassOf(HWND w);
    std::string UpperExePathOf(DWORD processId);
    std::string WindowUpperExePath(HWND w);
    // Handles a complete enumeration did not meet have lost their windows.
    void ForgetEndedWindows(const std::vector<HWND>& alive);
    void DetachRecord(int index) noexcept;   // its handle now names another window

    // The settings a scan reads per window, read once per scan.
    struct TScanSettings {
        bool AutoFollow = false;
    };

    // The scan's context (enumeration callbacks are not re-entrant).
    TScanSettings scanSettings_;
    struct TScannedWindow {
        HWND wnd = nullptr;
        const TWindowFacts* facts = nullptr;
    };
    TScannedWindow scanned_;   // the window being scanned, its facts checked
    // While it lives, the facts of one window are asked of the system once:
    // the rules that look at it again take them from scanned_.
    class TFactsKnown {
    public:
        TFactsKnown(TScannedWindow& slot, TScannedWindow now) : slot_(slot), saved_(slot) { slot_ = now; }
        ~TFactsKnown() { slot_ = saved_; }
        TFactsKnown(const TFactsKnown&) = delete;
        TFactsKnown& operator=(const TFactsKnown&) = delete;

    private:
        TScannedWindow& slot_;
        TScannedWindow saved_;
    };
    TFactsKnown FactsKnownOf(HWND w) { return TFactsKnown(scanned_, {w, FactsOf(w)}); }
    DWORD ProcessOf(HWND w);
    TWindowFactsCache windowFacts_;
    TProcessExeCache processExes_;
    std::string className_;
    // Record index per window handle; an entry is trusted only while its
    // record still holds that handle, since the table is also changed in place.
    std::unordered_map<uint32_t, int> recordIndex_;
    void IndexRecords();
    HWND stickyWnd_ = nullptr;
    bool stickyAnswer_ = false;
    bool stopFlag_ = false;

    HWND lastForeignForeground_ = nullptr;
    bool refocusDone_ = true;
    int unlockOnArrival_ = 0;
    DWORD switchTick_ = 0;
    int previewIdleTicks_ = 0;
    int previewOrigin_ = 0;
    HWND frontBeforePreview_ = nullptr;   // gets the keys back when the preview goes
    bool previewDragging_ = false;
    bool exiting_ = false;
    bool unified_ = false;
    HWND lastEventWindow_ = nullptr;
    uint16_t savedFpuWord_ = 0;

    // The preview's controls and its state.
    std::array<std::unique_ptr<framework::Image>, 9> images_;     // Image1..Image9
    std::array<std::unique_ptr<framework::GraphicLabel>, 9> labels_;   // Label1..Label9
    framework::Image imLocked{"imLocked", 0};
    RECT speedButton1_{};
    RECT btnHelp_{};
    HWND hintWindow_ = nullptr;    // dies with the form's window, its owner
    POINT pressPoint_{};           // the press, scaled to the screen
    POINT dragOffset_{};           // from the picked window's top-left corner to the press
    int paintDesktop_ = 0;         // the thumbnail being drawn
    framework::Image* paintImage_ = nullptr;
    const framework::GraphicControl* pressedControl_ = nullptr;
    bool speedButtonPressed_ = false;
    bool helpButtonPressed_ = false;
    bool dragRefused_ = false;     // the password was refused: this press drags no more
    const framework::GraphicControl* hoveredControl_ = nullptr;

    framework::Library hookLib_;
    FARPROC hookEntries_[10]{};
    framework::Hook hooks_[3];
    using IsHungAppWindowFn = BOOL(WINAPI*)(HWND);
    IsHungAppWindowFn isHungAppWindow_ = nullptr;
    std::vector<framework::Menu> sysMenuPopups_;

    static constexpr UINT kScanIntervalMs = 250;
    static constexpr UINT kSwitchTickMs = USER_TIMER_MINIMUM;   // a requested switch
    void TickSoon();
    framework::Timer tScan_;
    double tickSeconds_ = 0;

    // The input poll's state (input_poll.cpp).
    void StartInputPoll();
    void StopInputPoll() noexcept;
    void ReadPollSettings();
    bool PollDoubleTaps(TPollTime now);   // answers whether Ctrl is down
    void PollScreenEdges(TPollTime now);
    void PollGesture(bool ctrlDown);
    TPollSettings pollSettings_;
    int pollsToSettings_ = 0;
    const void* pollSettingsSource_ = nullptr;
    TDoubleTaps doubleTaps_;
    TEdgeDwell edgeDwell_;
    bool gestureInProgress_ = false;
    framework::Timer tGesture_{kPollIntervalMs, [this] { tGestureTimer(); }, false};
};

inline TfrmPTessarel* frmPTessarel = nullptr;

}  // namespace engine
