#include "engine/fault_handler.h"
#include <shellapi.h>
#include <array>
#include <atomic>
#include <exception>
#include "framework/guard.h"
#include "framework/timer.h"

namespace engine::fault {
namespace {

// Everything the handler reads: fixed storage, atomics, no heap.
std::array<std::atomic<HWND>, kRescueCapacity> g_rescue{};
std::atomic<size_t> g_rescueCount{0};
std::array<std::atomic<HHOOK>, kHookSlots> g_hooks{};
std::atomic<HWND> g_appBar{nullptr};
char g_errorLogPath[MAX_PATH * 2] = {};
std::atomic<DWORD> g_endingThread{0};

constexpr std::string_view kSeparator = " >> ";
constexpr UINT kTerminateExitCode = 3;

struct CodeName {
    DWORD code;
    std::string_view name;
};
constexpr CodeName kCodeNames[] = {
    {EXCEPTION_ACCESS_VIOLATION, "Access violation"},
    {EXCEPTION_ILLEGAL_INSTRUCTION, "Illegal instruction"},
    {EXCEPTION_STACK_OVERFLOW, "Stack overflow"},
    {EXCEPTION_INT_DIVIDE_BY_ZERO, "Integer division by zero"},
    {EXCEPTION_INT_OVERFLOW, "Integer overflow"},
    {EXCEPTION_PRIV_INSTRUCTION, "Privileged instruction"},
    {EXCEPTION_IN_PAGE_ERROR, "In-page error"},
    {EXCEPTION_ARRAY_BOUNDS_EXCEEDED, "Array bounds exceeded"},
    {EXCEPTION_DATATYPE_MISALIGNMENT, "Datatype misalignment"},
    {EXCEPTION_NONCONTINUABLE_EXCEPTION, "Noncontinuable exception"},
    {EXCEPTION_INVALID_DISPOSITION, "Invalid disposition"},
    {EXCEPTION_FLT_DIVIDE_BY_ZERO, "Floating-point division by zero"},
    {EXCEPTION_FLT_INVALID_OPERATION, "Invalid floating-point operation"},
    {EXCEPTION_FLT_OVERFLOW, "Floating-point overflow"},
    {EXCEPTION_FLT_UNDERFLOW, "Floating-point underflow"},
    {EXCEPTION_FLT_STACK_CHECK, "Floating-point stack check"},
    {EXCEPTION_FLT_DENORMAL_OPERAND, "Denormal floating-point operand"},
    {EXCEPTION_FLT_INEXACT_RESULT, "Inexact floating-point result"},
    {static_cast<DWORD>(0xC0000374L), "Heap corruption"},
};

// Appends to a fixed buffer, cutting what does not fit.
class Writer {
public:
    explicit Writer(std::span<char> out) noexcept : out_(out) {}
    Writer& Text(std::string_view s) noexcept {
        for (char c : s) Put(c);
        return *this;
    }
    Writer& Hex(uint64_t v, int digits) noexcept {
        for (int i = digits - 1; i >= 0; --i) Put("0123456789ABCDEF"[(v >> (4 * i)) & 0xF]);
        return *this;
    }
    Writer& Dec(unsigned v, int digits) noexcept {
        char d[10];
        for (int i = digits - 1; i >= 0; --i, v /= 10) d[i] = static_cast<char>('0' + v % 10);
        return Text(std::string_view(d, static_cast<size_t>(digits)));
    }
    size_t Length() const noexcept { return at_; }

private:
    void Put(char c) noexcept {
        if (at_ < out_.size()) out_[at_++] = c;
    }
    std::span<char> out_;
    size_t at_ = 0;
};

std::string_view CodeNameOf(DWORD code) noexcept {
    for (const auto& c : kCodeNames)
        if (c.code == code) return c.name;
    return "Exception";
}

void WriteFaultMessage(Writer& w, DWORD code, uintptr_t address) noexcept {
    w.Text(CodeNameOf(code)).Text(" (exception ").Hex(code, 8).Text(") at address ").Hex(address, 16);
}

void WriteStamp(Writer& w, const SYSTEMTIME& t) noexcept {
    w.Dec(t.wYear, 4).Text("-").Dec(t.wMonth, 2).Text("-").Dec(t.wDay, 2).Text(" ");
    w.Dec(t.wHour, 2).Text(":").Dec(t.wMinute, 2).Text(":").Dec(t.wSecond, 2).Text(kSeparator);
}

// Every window that was shown on its desktop is shown again. Asynchronous:
// a hung window must not hold up the end.
void ShowRescuedWindows() noexcept {
    const size_t n = g_rescueCount.load();
    for (size_t i = 0; i < n && i < kRescueCapacity; ++i)
        if (HWND w = g_rescue[i].load()) ::ShowWindowAsync(w, SW_SHOWNA);
}

void AppendToErrorLog(const char* line, size_t length) noexcept {
    if (!g_errorLogPath[0]) return;
    HANDLE f = ::CreateFileA(g_errorLogPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(f, line, static_cast<DWORD>(length), &written, nullptr);
    ::CloseHandle(f);
}

void RemoveHooksAndAppBar() noexcept {
    for (auto& h : g_hooks)
        if (HHOOK hook = h.exchange(nullptr)) ::UnhookWindowsHookEx(hook);
    if (HWND bar = g_appBar.exchange(nullptr)) {
        APPBARDATA abd{};
        abd.cbSize = sizeof abd;
        abd.hWnd = bar;
        ::SHAppBarMessage(ABM_REMOVE, &abd);
        ::ShowWindowAsync(bar, SW_HIDE);
    }
}

// The one way out after a fault. A second fault on another thread waits for
// the first to end the process; one inside this routine ends it at once.
[[noreturn]] void EndAfterFault(std::string_view messageOrEmpty, DWORD code, uintptr_t address, UINT exitCode) noexcept {
    const DWORD self = ::GetCurrentThreadId();
    DWORD none = 0;
    if (!g_endingThread.compare_exchange_strong(none, self)) {
        if (none != self)
            for (;;) ::Sleep(INFINITE);
        ::TerminateProcess(::GetCurrentProcess(), exitCode);
    }
    ShowRescuedWindows();
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char line[512];
    Writer w(std::span<char>(line, sizeof line - 2));
    WriteStamp(w, now);
    if (messageOrEmpty.empty())
        WriteFaultMessage(w, code, address);
    else
        w.Text(messageOrEmpty);
    size_t n = w.Length();
    line[n++] = '\r';
    line[n++] = '\n';
    AppendToErrorLog(line, n);
    RemoveHooksAndAppBar();
    ::TerminateProcess(::GetCurrentProcess(), exitCode);
    for (;;) ::Sleep(INFINITE);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) noexcept {
    const EXCEPTION_RECORD* rec = info ? info->ExceptionRecord : nullptr;
    const DWORD code = rec ? rec->ExceptionCode : 0;
    EndAfterFault({}, code, rec ? reinterpret_cast<uintptr_t>(rec->ExceptionAddress) : 0, code ? code : 1);
}

// The program's own code, from its image's first byte to its last.
std::atomic<uintptr_t> g_imageStart{0}, g_imageEnd{0};

void NoteProgramImage() noexcept {
    auto base = reinterpret_cast<uintptr_t>(::GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + static_cast<uintptr_t>(dos->e_lfanew));
    if (nt->Signature != IMAGE_NT_SIGNATURE) return;
    g_imageStart.store(base);
    g_imageEnd.store(base + nt->OptionalHeader.SizeOfImage);
}

FaultPlace PlaceOf(const void* address) noexcept {
    const auto a = reinterpret_cast<uintptr_t>(address);
    if (a >= g_imageStart.load() && a < g_imageEnd.load()) return FaultPlace::ProgramCode;
    MEMORY_BASIC_INFORMATION m{};
    if (::VirtualQuery(address, &m, sizeof m) == 0 || m.State != MEM_COMMIT || m.Type != MEM_IMAGE)
        return FaultPlace::NoCode;
    return FaultPlace::SystemCode;
}

// The system swallows a fault inside a timer callback, and under Wine inside
// any window procedure or hook it calls back into, and goes on as if the
// call had ended: the engine's state (a switch half done, the tick's timer
// stopped, windows hidden) would be left as the fault found it. So a fatal
// fault is caught before any handler of the system sees it, wherever the
// program cannot have meant it (see IsProgramFault).
LONG CALLBACK OnFaultInProgram(EXCEPTION_POINTERS* info) noexcept {
    const EXCEPTION_RECORD* rec = info ? info->ExceptionRecord : nullptr;
    if (!rec || !IsFatalCode(rec->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
    if (!IsProgramFault(PlaceOf(rec->ExceptionAddress), framework::InsideTimerCallback()))
        return EXCEPTION_CONTINUE_SEARCH;
    EndAfterFault({}, rec->ExceptionCode, reinterpret_cast<uintptr_t>(rec->ExceptionAddress), rec->ExceptionCode);
}

void OnTerminate() noexcept {
    char message[400];
    Writer w(std::span<char>(message, sizeof message));
    w.Text("Program terminated");
    if (std::exception_ptr e = std::current_exception()) {
        // The message of the exception that nobody caught, when it has one.
        std::string text = framework::ExceptionMessage(e);
        w.Text(": unhandled exception: ").Text(text);
    }
    EndAfterFault(std::string_view(message, w.Length()), 0, 0, kTerminateExitCode);
}

}  // namespace

void InstallFaultHandlers(const std::string& errorLogPath) noexcept {
    size_t n = errorLogPath.size() < sizeof g_errorLogPath ? errorLogPath.size() : 0;
    errorLogPath.copy(g_errorLogPath, n);
    g_errorLogPath[n] = '\0';
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    NoteProgramImage();
    ::SetUnhandledExceptionFilter(&OnUnhandledException);
    ::AddVectoredExceptionHandler(1, &OnFaultInProgram);
    std::set_terminate(&OnTerminate);
}

void PublishRescueWindows(std::span<const HWND> windows) noexcept {
    const size_t n = windows.size() < kRescueCapacity ? windows.size() : kRescueCapacity;
    // Entries first, then the count: a handler reading meanwhile meets
    // window handles only, old or new.
    for (size_t i = 0; i < n; ++i) g_rescue[i].store(windows[i]);
    g_rescueCount.store(n);
}

void AddRescueWindow(HWND w) noexcept {
    const size_t n = g_rescueCount.load();
    for (size_t i = 0; i < n; ++i)
        if (g_rescue[i].load() == w) return;
    if (n >= kRescueCapacity) return;
    g_rescue[n].store(w);
    g_rescueCount.store(n + 1);
}

size_t RescueWindowCount() noexcept { return g_rescueCount.load(); }

void SetRescueHook(size_t slot, HHOOK hook) noexcept {
    if (slot < kHookSlots) g_hooks[slot].store(hook);
}

void SetRescueAppBar(HWND bar) noexcept { g_appBar.store(bar); }

size_t FormatFaultLine(std::span<char> out, const SYSTEMTIME& t, DWORD code, uintptr_t address) noexcept {
    Writer w(out);
    WriteStamp(w, t);
    WriteFaultMessage(w, code, address);
    return w.Length();
}

std::string FaultMessage(DWORD code, uintptr_t address) {
    char buf[128];
    Writer w(std::span<char>(buf, sizeof buf));
    WriteFaultMessage(w, code, address);
    return std::string(buf, w.Length());
}

bool IsProgramFault(FaultPlace place, bool insideTimer) noexcept {
    // The program's own code never faults on purpose, and a jump to where no
    // code lies is never meant; a system library may fault and catch it
    // itself, except inside a timer, where nothing the program calls does.
    return place != FaultPlace::SystemCode || insideTimer;
}

bool IsFatalCode(DWORD code) noexcept {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case static_cast<DWORD>(0xC0000374L):
        return true;
    default:
        return false;
    }
}

}  // namespace engine::fault
