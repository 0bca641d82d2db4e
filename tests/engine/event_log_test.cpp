// The event-log writer and the exception log: the rules as tables, then the
// writer and the error log at work in this process with a real log window.
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <string>
#include <vector>
#include "engine/event_log.h"
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "framework/application.h"
#include "framework/guard.h"
#include "support/bubble_forms.h"
#include "framework/text.h"
#include "framework/timer.h"
#include "navigation/bubble.h"
#include "navigation/event_log_window.h"

using namespace engine;

namespace {

std::string ReadFile(const std::string& path) {
    std::string out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

std::string TempPath(const std::string& name) {
    char base[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, base);
    return std::string(base) + "tessarel-evlog-" + std::to_string(::GetCurrentProcessId()) + "-" + name;
}

// A window of this process with a title and class of the test's choosing.
class ProbeWindow {
public:
    explicit ProbeWindow(const char* title) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "TEventLogProbe";
        ::RegisterClassA(&wc);
        w_ = ::CreateWindowExA(0, "TEventLogProbe", title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               wc.hInstance, nullptr);
    }
    ~ProbeWindow() { ::DestroyWindow(w_); }
    HWND get() const { return w_; }
private:
    HWND w_ = nullptr;
};

}  // namespace

// Rules ---------------------------------------------------------------------------------
TEST(EventLogRules, LineCarriesTheTimeInBracketsAndStaysOneLine) {
    EXPECT_EQ(LogLine("12:05", "Window sent"), "[12:05] Window sent");
    EXPECT_EQ(LogLine("9:05 PM", ""), "[9:05 PM] ");
    EXPECT_EQ(LogLine("12:05", "two\r\nlines\nhere"), "[12:05] two  lines here");
}

TEST(EventLogRules, WindowMarksExpandOnceEach) {
    struct { const char* text; const char* title; const char* cls; const char* want; } cases[] = {
        {"Window % created", "Notepad", "Edit", "Window Notepad {Edit} created"},
        {"% moved from % away", "A", "B", "A {B} moved from A {B} away"},
        {"Window % created", "50% done", "TProgress", "Window 50% done {TProgress} created"},   // not expanded again
        {"Window % created", "%%", "%", "Window %% {%} created"},
        {"%", "", "", " {}"},
        {"no window here", "T", "C", "no window here"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExpandWindowMarks(c.text, c.title, c.cls), c.want) << c.text;
}

TEST(EventLogRules, RepeatsOfTheTenNewestLinesAreDroppedUnlessTheyHoldSwitchTo) {
    const std::string hot = "[12:00] switch to desktop located to the right via hotkey";
    const std::string switched = "[12:00] switched to desktop #2 via hotkey";
    const std::string upper = "[12:00] Switch to desktop located above";
    std::vector<std::string> log = {hot, switched, "switch to at the start", upper};
    for (int i = 4; i < 10; ++i) log.push_back("[12:00] event " + std::to_string(i));
    log.push_back("[12:00] eleventh");   // line 10: beyond the newest ten

    struct { std::string line; bool keep; } cases[] = {
        {switched, false},                   // "switched to" is no "switch to"
        {hot, true},
        {upper, false},                      // the mark is case-sensitive
        {"switch to at the start", false},   // at the first position it does not count
        {"[12:00] event 4", false},
        {"[12:00] event 9", false},          // the tenth line
        {"[12:00] eleventh", true},
        {"[12:01] switched to desktop #2 via hotkey", true},   // another minute
        {"[12:00] something new", true},
    };
    for (const auto& c : cases) EXPECT_EQ(KeepLogLine(c.line, log), c.keep) << c.line;
    EXPECT_TRUE(KeepLogLine(switched, std::vector<std::string>{}));
    EXPECT_FALSE(MatchRecentLogLines(switched, log));
    EXPECT_TRUE(MatchRecentLogLines("[12:00] eleventh", log));
}

TEST(EventLogRules, BubbleLevels) {
    struct { int level; bool flagged; bool bubble; } cases[] = {
        {0, false, false}, {0, true, false}, {1, false, false}, {1, true, true},
        {2, false, true},  {2, true, true},  {-1, true, false}, {3, true, false},
    };
    for (auto c : cases) EXPECT_EQ(WantsBubble(c.level, c.flagged), c.bubble) << c.level << " " << c.flagged;
}

TEST(EventLogRules, ErrorLogLineIsTimeStampArrowsMessage) {
    SYSTEMTIME t{};
    t.wYear = 2026; t.wMonth = 3; t.wDay = 7; t.wHour = 16; t.wMinute = 5; t.wSecond = 9;
    EXPECT_EQ(ErrorLogLine(t, "List index out of bounds"), "2026-03-07 16:05:09 >> List index out of bounds");
    t.wHour = 0;
    EXPECT_EQ(ErrorLogLine(t, ""), "2026-03-07 00:05:09 >> ");
}

TEST(ErrorLogFile, AppendsLinesAndLosesThemSilentlyWhenItCannotWrite) {
    std::string path = TempPath("errorlog.log");
    ::DeleteFileA(path.c_str());
    EXPECT_TRUE(AppendErrorLog(path, "first"));
    EXPECT_TRUE(AppendErrorLog(path, "second"));
    EXPECT_EQ(ReadFile(path), "first\r\nsecond\r\n");
    ::DeleteFileA(path.c_str());

    std::string folder = TempPath("blocked");
    ::CreateDirectoryA(folder.c_str(), nullptr);   // a folder where the file should be
    EXPECT_FALSE(AppendErrorLog(folder, "lost"));
    ::RemoveDirectoryA(folder.c_str());
    EXPECT_FALSE(AppendErrorLog(TempPath("missing\\folder\\errorlog.log"), "lost"));
}

// The writer at work ----------------------------------------------------------------------
namespace {

struct EventLogFixture : ::testing::Test {
    std::unique_ptr<TfrmPTessarel> main;   // never given a window: the writer needs none

    void SetUp() override {
        auto& app = framework::App();
        framework::Form* before = app.MainForm();
        app.CreateForm(navigation::frmLog);
        app.SetMainForm(before);   // closing the log must not end the test program
        main = std::make_unique<TfrmPTessarel>();
        frmPTessarel = main.get();
    }
    void TearDown() override {
        frmPTessarel = nullptr;
        main.reset();
        if (navigation::frmLog) framework::App().FreeForm(navigation::frmLog);
        navigation::FreeBubbles();
    }
    navigation::TfrmLog& Log() { return *navigation::frmLog; }

    // Runs the body again when the displayed minute changed under it.
    template <typename F>
    void WithinOneMinute(F body) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            Log().mLog.Clear();
            std::string before = framework::ShortTimeNow();
            body();
            if (framework::ShortTimeNow() == before) return;
        }
    }
};

}  // namespace

TEST_F(EventLogFixture, NewestLineFirstAndRepeatsWithinTheMinuteDropped) {
    Log().SetLevel(0);
    ProbeWindow w1("one"), w2("two");
    WithinOneMinute([&] {
        main->LogEvent("switched to desktop #2 via hotkey", w1.get(), false);
        main->LogEvent("switched to desktop #2 via hotkey", w2.get(), false);
        main->LogEvent("switch to desktop located to the right via hotkey", nullptr, false);
        main->LogEvent("switch to desktop located to the right via hotkey", nullptr, false);
    });
    ASSERT_EQ(Log().LineCount(), 3);
    std::string time = framework::ShortTimeNow();
    EXPECT_EQ(Log().Line(0), "[" + time + "] switch to desktop located to the right via hotkey");
    EXPECT_EQ(Log().Line(1), Log().Line(0));
    EXPECT_EQ(Log().Line(2), "[" + time + "] switched to desktop #2 via hotkey");
    EXPECT_EQ(main->LastEventWindow(), nullptr);

    // A dropped repeat leaves the last event window alone.
    WithinOneMinute([&] {
        main->LogEvent("Window activity", w1.get(), false);
        main->LogEvent("Window activity", w2.get(), false);
    });
    EXPECT_EQ(Log().LineCount(), 1);
    EXPECT_EQ(main->LastEventWindow(), w1.get());
}

TEST_F(EventLogFixture, PercentNamesTheWindowAndATitleWithPercentIsTakenAsItIs) {
    Log().SetLevel(0);
    ProbeWindow w("50% done");
    main->LogEvent("Window % sent away from %", w.get(), false);
    ASSERT_EQ(Log().LineCount(), 1);
    const std::string line = Log().Line(0);
    EXPECT_NE(line.find("] Window 50% done {TEventLogProbe} sent away from 50% done {TEventLogProbe}"), std::string::npos)
        << line;
    EXPECT_EQ(main->LastEventWindow(), w.get());
}

TEST_F(EventLogFixture, BubblesFollowTheLevelAndTheFlag) {
    for (int level = 0; level <= 2; ++level) {
        for (bool flagged : {false, true}) {
            Log().SetLevel(level);
            int before = navigation::BubblesAlive();
            main->LogEvent("event " + std::to_string(level) + (flagged ? " flagged" : ""), nullptr, flagged);
            EXPECT_EQ(navigation::BubblesAlive() - before, WantsBubble(level, flagged) ? 1 : 0)
                << "level " << level << " flagged " << flagged;
        }
    }
    navigation::FreeBubbles();
    EXPECT_EQ(navigation::BubblesAlive(), 0);
}

TEST_F(EventLogFixture, TheBubbleShowsTheNewestLineAndItsDesktop) {
    Log().SetLevel(1);
    ProbeWindow w("moved");
    main->LogEvent("Window % sent to desktop #3", w.get(), true);
    auto bubbles = e2e::BubbleForms();
    ASSERT_EQ(bubbles.size(), 1u);
    navigation::TfrmBubble* b = bubbles[0];
    EXPECT_EQ(b->lbText.Caption(), Log().Line(0));
    EXPECT_EQ(b->FEventDesktop, 3);
    EXPECT_EQ(b->FEventWindow, w.get());
    EXPECT_TRUE(b->sbFollow.Enabled());
    EXPECT_TRUE(b->Visible());
}

TEST_F(EventLogFixture, NothingIsLoggedWithoutTheLogWindow) {
    ProbeWindow w("x");
    framework::App().FreeForm(navigation::frmLog);
    ASSERT_EQ(navigation::frmLog, nullptr);
    main->LogEvent("lost", w.get(), true);
    EXPECT_EQ(main->LastEventWindow(), nullptr);
    EXPECT_EQ(navigation::BubblesAlive(), 0);
}

TEST_F(EventLogFixture, ABubbleIsRegisteredOnceAndTakenOverByTheMainForm) {
    navigation::ShowBubble("registered");
    auto bubbles = e2e::BubbleForms();
    ASSERT_EQ(bubbles.size(), 1u);
    main->RegisterBubble(bubbles[0]);
    main->RegisterBubble(bubbles[0]);
    ASSERT_EQ(main->FBubbles.size(), 1u);
    EXPECT_EQ(main->FBubbles[0].get(), bubbles[0]);
    EXPECT_EQ(navigation::TakeBubble(bubbles[0]), nullptr);   // no longer the bubble unit's
    main->FBubbles.clear();
    EXPECT_EQ(navigation::BubblesAlive(), 0);
}

// The exception log ---------------------------------------------------------------------
TEST_F(EventLogFixture, AnExceptionInATimerLandsInTheErrorLogAndTheTimerRunsOn) {
    const std::string path = ErrorLogPath();
    ::DeleteFileA(path.c_str());
    auto& app = framework::App();
    auto previous = app.OnException;
    app.OnException = [this](const std::string& m) { main->LogException(m); };

    int runs = 0;
    framework::Timer failing(10, [&] {
        ++runs;
        throw framework::Exception("List index out of bounds");
    });
    for (DWORD start = ::GetTickCount(); runs < 2 && ::GetTickCount() - start < 5000;) app.HandleMessage(50);
    failing.SetEnabled(false);
    app.OnException = previous;

    EXPECT_GE(runs, 2);
    std::string text = ReadFile(path);
    static const std::regex line(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d >> List index out of bounds\r\n)");
    auto begin = std::sregex_iterator(text.begin(), text.end(), line);
    EXPECT_EQ(std::distance(begin, std::sregex_iterator()), runs) << text;
    EXPECT_TRUE(std::regex_match(text, std::regex(R"((\d{4}-\d\d-\d\d \d\d:\d\d:\d\d >> [^\r\n]*\r\n)+)"))) << text;
    ::DeleteFileA(path.c_str());
}

TEST_F(EventLogFixture, AnErrorLogThatCannotBeWrittenIsSwallowed) {
    const std::string path = ErrorLogPath();
    ::DeleteFileA(path.c_str());
    ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr));   // "errorlog.log" is a folder
    EXPECT_NO_THROW(main->LogException("nowhere to go"));
    // Through the application's barrier too: the failure goes no further.
    auto& app = framework::App();
    auto previous = app.OnException;
    app.OnException = [this](const std::string& m) { main->LogException(m); };
    framework::Guard([] { throw framework::Exception("nor here"); });
    app.OnException = previous;
    ::RemoveDirectoryA(path.c_str());
    EXPECT_EQ(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}
