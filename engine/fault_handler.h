#pragma once
// The last resort of a native fault (an access violation, an illegal
// instruction, a stack overflow, on any thread) and of std::terminate: no
// C++ handler can go on safely after one, so the program writes the fault to
// "errorlog.log", shows every window it had hidden, takes its hooks and its
// application bar away and ends, without ever handing over to a debugger
// (which under Wine freezes the program with every hidden window lost).
//
// The fault may strike while the main thread is half-way through changing
// the window table, or on another thread while the main thread goes on, so
// the handler never reads the table: the engine publishes the windows to
// rescue into a fixed array of atomics that the handler reads without a lock
// and without allocating.
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace engine::fault {

// The most windows the rescue list holds; a table beyond it is rescued in part.
inline constexpr size_t kRescueCapacity = 16384;
inline constexpr size_t kHookSlots = 3;

// Sets the unhandled-exception filter, the terminate handler and the
// vectored handler that catches the faults the system would otherwise
// swallow inside timer callbacks. The error log's path is taken now: the
// handler cannot ask the shell for it.
void InstallFaultHandlers(const std::string& errorLogPath) noexcept;

// The windows a fault shows again: every managed window whose record counts
// it as shown on its desktop. Replaces the list.
void PublishRescueWindows(std::span<const HWND> windows) noexcept;
// A window about to be hidden joins the list at once (until the next publish).
void AddRescueWindow(HWND w) noexcept;
size_t RescueWindowCount() noexcept;

// The global hooks (slot 0..2) and the application bar the handler removes.
void SetRescueHook(size_t slot, HHOOK hook) noexcept;
void SetRescueAppBar(HWND bar) noexcept;

// The error-log line of a fault, written into out without allocating:
// "yyyy-mm-dd hh:nn:ss >> " + the fault's message. Answers the length
// written (cut to the buffer, never beyond it).
size_t FormatFaultLine(std::span<char> out, const SYSTEMTIME& t, DWORD code, uintptr_t address) noexcept;
// The message alone, e.g. "Access violation (exception C0000005) at address 0000000000000001".
std::string FaultMessage(DWORD code, uintptr_t address);

// Whether an exception code is a fault the program cannot go on after.
bool IsFatalCode(DWORD code) noexcept;

// Where a fault's instruction lies: in the program's own image, in a system
// library's image, or where no code is loaded at all.
enum class FaultPlace { ProgramCode, SystemCode, NoCode };
// Whether a fatal fault ends the program at once, before the system's
// handlers (which swallow faults inside callbacks) can see it.
bool IsProgramFault(FaultPlace place, bool insideTimer) noexcept;

}  // namespace engine::fault
