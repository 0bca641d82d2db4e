#include <gtest/gtest.h>
#include <string>
#include "engine/fault_handler.h"

using namespace engine::fault;

TEST(FaultHandler, TheLogLineHasTheStampTheCodeAndTheAddress) {
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 3;
    t.wDay = 7;
    t.wHour = 9;
    t.wMinute = 5;
    t.wSecond = 1;
    char buf[200];
    size_t n = FormatFaultLine(buf, t, EXCEPTION_ACCESS_VIOLATION, 1);
    EXPECT_EQ(std::string(buf, n),
              "2026-03-07 09:05:01 >> Access violation (exception C0000005) at address 0000000000000001");
    EXPECT_EQ(FaultMessage(0xE0001234, 0x7FF612345678), "Exception (exception E0001234) at address 00007FF612345678");
    EXPECT_EQ(FaultMessage(EXCEPTION_STACK_OVERFLOW, 0x10).substr(0, 14), "Stack overflow");
}

TEST(FaultHandler, AShortBufferIsFilledAndNeverPassed) {
    SYSTEMTIME t{};
    char buf[12] = {};
    buf[10] = 'x';
    buf[11] = 'y';
    size_t n = FormatFaultLine(std::span<char>(buf, 10), t, EXCEPTION_ACCESS_VIOLATION, 1);
    EXPECT_EQ(n, 10u);
    EXPECT_EQ(buf[10], 'x');
    EXPECT_EQ(buf[11], 'y');
}

TEST(FaultHandler, OnlyFaultsThatLeaveNoWayOnAreFatal) {
    for (DWORD code : {EXCEPTION_ACCESS_VIOLATION, EXCEPTION_ILLEGAL_INSTRUCTION, EXCEPTION_STACK_OVERFLOW,
                       EXCEPTION_INT_DIVIDE_BY_ZERO, EXCEPTION_PRIV_INSTRUCTION, EXCEPTION_IN_PAGE_ERROR})
        EXPECT_TRUE(IsFatalCode(code)) << std::hex << code;
    // Breakpoints, debugger output, guard pages and C++ exceptions are the
    // ordinary traffic of a running program.
    for (DWORD code : {static_cast<DWORD>(EXCEPTION_BREAKPOINT), static_cast<DWORD>(0x40010006),
                       static_cast<DWORD>(EXCEPTION_GUARD_PAGE), static_cast<DWORD>(0x20474343),
                       static_cast<DWORD>(0xE06D7363)})
        EXPECT_FALSE(IsFatalCode(code)) << std::hex << code;
}

TEST(FaultHandler, TheRescueListKeepsEachWindowOnceWithinItsCapacity) {
    HWND a = reinterpret_cast<HWND>(0x1234), b = reinterpret_cast<HWND>(0x5678);
    PublishRescueWindows({});
    AddRescueWindow(a);
    AddRescueWindow(a);
    AddRescueWindow(b);
    EXPECT_EQ(RescueWindowCount(), 2u);
    std::vector<HWND> many(kRescueCapacity + 5, a);
    PublishRescueWindows(many);
    EXPECT_EQ(RescueWindowCount(), kRescueCapacity);
    AddRescueWindow(b);
    EXPECT_EQ(RescueWindowCount(), kRescueCapacity);
    PublishRescueWindows({});
    EXPECT_EQ(RescueWindowCount(), 0u);
}

TEST(FaultHandler, AFaultEndsTheProgramAtOnceUnlessASystemLibraryMayCatchIt) {
    struct Case {
        FaultPlace place;
        bool insideTimer;
        bool ends;
    };
    constexpr Case kCases[] = {
        {FaultPlace::ProgramCode, false, true},  {FaultPlace::ProgramCode, true, true},
        {FaultPlace::NoCode, false, true},       {FaultPlace::NoCode, true, true},
        {FaultPlace::SystemCode, false, false},  {FaultPlace::SystemCode, true, true},
    };
    for (const Case& c : kCases)
        EXPECT_EQ(IsProgramFault(c.place, c.insideTimer), c.ends)
            << static_cast<int>(c.place) << " timer " << c.insideTimer;
}
