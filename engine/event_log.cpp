// The event-log writer, the exception log and the bubble list.
#include "engine/event_log.h"
#include <algorithm>
#include <vector>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "framework/application.h"
#include "framework/guard.h"
#include "framework/owned.h"
#include "framework/text.h"

namespace engine {
namespace {

constexpr int kWindowTextChars = 250;   // of a title and of a class name

std::string WindowTitle(HWND w) {
    char buf[kWindowTextChars + 1] = {};
    if (w) ::GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

std::string WindowClassName(HWND w) {
    char buf[kWindowTextChars + 1] = {};
    if (w) ::GetClassNameA(w, buf, sizeof buf);
    return buf;
}

}  // namespace

// Rules -------------------------------------------------------------------------
std::string ExpandWindowMarks(std::string_view text, std::string_view title, std::string_view className) {
    std::string window = std::string(title) + " {" + std::string(className) + "}";
    std::string out;
    out.reserve(text.size() + window.size());
    for (char c : text) {
        if (c == kWindowMark)
            out += window;
        else
            out += c;
    }
    return out;
}

std::string LogLine(std::string_view time, std::string_view text) {
    std::string line = "[" + std::string(time) + "] " + std::string(text);
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line;
}

bool MatchRecentLogLines(std::string_view line, std::span<const std::string> log) {
    auto recent = log.first(std::min<size_t>(log.size(), kRecentLogLines));
    return std::none_of(recent.begin(), recent.end(), [line](const std::string& l) { return l == line; });
}

bool KeepLogLine(std::string_view line, std::span<const std::string> log) {
    if (log.empty()) return true;
    size_t at = line.find(kSwitchToMark);
    if (at != std::string_view::npos && at >= 1) return true;
    return MatchRecentLogLines(line, log);
}

bool WantsBubble(int level, bool flagged) { return level == 2 || (level == 1 && flagged); }

std::string ErrorLogLine(const SYSTEMTIME& t, std::string_view message) {
    return framework::TimeStamp(t) + std::string(kErrorLogSeparator) + std::string(message);
}

bool AppendErrorLog(const std::string& path, std::string_view line) noexcept {
    try {
        framework::Handle file(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        std::string text = std::string(line) + "\r\n";
        DWORD written = 0;
        return ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
               written == text.size();
    } catch (...) {
        return false;
    }
}

std::string ErrorLogPath() { return DataFilePath(kErrorLogName); }

void WriteErrorLog(std::string_view message) noexcept {
    try {
        const std::string path = ErrorLogPath();
        if (path.empty()) return;   // no data folder: nowhere to keep it
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        AppendErrorLog(path, ErrorLogLine(now, message));
    } catch (...) {
        // The error log is the last resort; a failure here has nowhere to go.
    }
}

// The main form's part ------------------------------------------------------------
void TfrmPTessarel::LogEvent(std::string_view text, HWND w, bool flagged) {
    if (framework::App().Terminated() || !links::EventLogReady()) return;
    try {
        std::string event(text);
        if (event.find(kWindowMark) != std::string::npos)
            event = ExpandWindowMarks(event, WindowTitle(w), WindowClassName(w));
        std::string line = LogLine(framework::ShortTimeNow(), event);
        std::vector<std::string> recent = links::NewestLogLines(kRecentLogLines);
        if (!KeepLogLine(line, recent)) return;
        links::InsertLogLine(line);
        lastEventWindow_ = w;
        if (WantsBubble(links::BubbleLevel(), flagged)) links::ShowNewestEventBubble();
    } catch (...) {
        // Logging never raises towards its caller; the failure itself is kept.
        framework::HandleException(std::current_exception());
    }
}

void TfrmPTessarel::LogException(const std::string& message) { WriteErrorLog(message); }

void TfrmPTessarel::RegisterBubble(navigation::TfrmBubble* bubble) {
    if (!bubble) return;
    if (std::any_of(FBubbles.begin(), FBubbles.end(), [bubble](const auto& slot) { return slot.get() == bubble; }))
        return;
    if (auto owned = links::TakeBubble(bubble)) FBubbles.push_back(std::move(owned));
}

}  // namespace engine
