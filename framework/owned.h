#pragma once
// One owner for every Win32 handle: released exactly once, in one place.
#include <windows.h>
#include <cstdint>
#include <utility>

namespace framework {

template <typename H>
constexpr bool IsValidHandle(H h) noexcept {
    if constexpr (std::is_pointer_v<H>)
        return h != nullptr && reinterpret_cast<std::intptr_t>(h) != -1;
    else
        return h != H{};
}

template <typename H, auto Release>
class Owned {
public:
    Owned() noexcept = default;
    explicit Owned(H h) noexcept : h_(h) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& o) noexcept : h_(o.release()) {}
    Owned& operator=(Owned&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~Owned() { reset(); }

    H get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return IsValidHandle(h_); }
    H release() noexcept { return std::exchange(h_, H{}); }
    void reset(H h = H{}) noexcept {
        H old = std::exchange(h_, h);
        if (IsValidHandle(old)) Release(old);
    }

private:
    H h_{};
};

namespace detail {
inline void CloseHandleIgnoringResult(HANDLE h) noexcept { ::CloseHandle(h); }
inline void DeleteGdiObject(HGDIOBJ h) noexcept { ::DeleteObject(h); }
inline void DestroyMenuHandle(HMENU h) noexcept { ::DestroyMenu(h); }
inline void DestroyIconHandle(HICON h) noexcept { ::DestroyIcon(h); }
inline void DestroyWindowHandle(HWND h) noexcept { ::DestroyWindow(h); }
inline void CloseRegKey(HKEY h) noexcept { ::RegCloseKey(h); }
inline void FindCloseHandle(HANDLE h) noexcept { ::FindClose(h); }
inline void ReleaseLibrary(HMODULE h) noexcept { ::FreeLibrary(h); }
inline void DeleteDcHandle(HDC h) noexcept { ::DeleteDC(h); }
inline void UnhookHandle(HHOOK h) noexcept { ::UnhookWindowsHookEx(h); }
inline void DeleteRegion(HRGN h) noexcept { ::DeleteObject(h); }
}  // namespace detail

using Handle    = Owned<HANDLE, detail::CloseHandleIgnoringResult>;
using Process   = Owned<HANDLE, detail::CloseHandleIgnoringResult>;
using GdiObj    = Owned<HGDIOBJ, detail::DeleteGdiObject>;
using Bitmap    = Owned<HBITMAP, detail::DeleteGdiObject>;
using Brush     = Owned<HBRUSH, detail::DeleteGdiObject>;
using Pen       = Owned<HPEN, detail::DeleteGdiObject>;
using Font      = Owned<HFONT, detail::DeleteGdiObject>;
using Region    = Owned<HRGN, detail::DeleteRegion>;
using Menu      = Owned<HMENU, detail::DestroyMenuHandle>;
using Icon      = Owned<HICON, detail::DestroyIconHandle>;
using Window    = Owned<HWND, detail::DestroyWindowHandle>;
using RegKey    = Owned<HKEY, detail::CloseRegKey>;
using FindFile  = Owned<HANDLE, detail::FindCloseHandle>;
using Library   = Owned<HMODULE, detail::ReleaseLibrary>;
using MemoryDc  = Owned<HDC, detail::DeleteDcHandle>;
using Hook      = Owned<HHOOK, detail::UnhookHandle>;

// An entry of a library loaded at run time, or null when it has none.
template <typename Fn>
Fn EntryPoint(HMODULE module, const char* name) noexcept {
    // void (*)() is the generic function pointer that casts without a warning.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// A window's device context, released to its window.
class WindowDc {
public:
    explicit WindowDc(HWND w) noexcept : w_(w), dc_(::GetDC(w)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { if (dc_) ::ReleaseDC(w_, dc_); }
    HDC get() const noexcept { return dc_; }
private:
    HWND w_;
    HDC dc_;
};

// An object selected into a DC for as long as the owner lives (or until
// reset): the DC's previous object goes back in before either is deleted.
class Selection {
public:
    Selection() noexcept = default;
    Selection(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(::SelectObject(dc, obj)) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    Selection(Selection&& o) noexcept : dc_(std::exchange(o.dc_, nullptr)), old_(std::exchange(o.old_, nullptr)) {}
    Selection& operator=(Selection&& o) noexcept {
        if (this != &o) {
            reset();
            dc_ = std::exchange(o.dc_, nullptr);
            old_ = std::exchange(o.old_, nullptr);
        }
        return *this;
    }
    ~Selection() { reset(); }
    void reset() noexcept {
        if (dc_ && old_) ::SelectObject(dc_, old_);
        dc_ = nullptr;
        old_ = nullptr;
    }

private:
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// Selects an object into a DC for one scope and puts the old one back.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(::SelectObject(dc, obj)) {}
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    ~SelectScope() { if (old_) ::SelectObject(dc_, old_); }
private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace framework
