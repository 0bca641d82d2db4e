#include "settings/feedback.h"
#include <windows.h>
#include <algorithm>
#include "engine/gtools.h"
#include "engine/tray_menus.h"
#include "framework/text.h"

namespace settings {
namespace {

constexpr std::string_view kSure = "&sure=1";
constexpr std::string_view kEmailKey = "&email=";
constexpr std::string_view kCommentKey = "&comment=";

// The length of a UTF-8 sequence by its first byte; a stray continuation
// byte stands alone.
size_t Utf8SequenceLength(unsigned char b) noexcept {
    if (b >= 0xF0 && b <= 0xF7) return 4;
    if (b >= 0xE0) return b <= 0xEF ? 3 : 1;
    if (b >= 0xC0) return 2;
    return 1;
}

size_t Within(std::string_view text, size_t pos, size_t length) noexcept {
    return std::clamp<size_t>(length, 1, text.size() - pos);
}

}  // namespace

size_t AnsiCharLength(std::string_view text, size_t pos) {
    if (pos >= text.size()) return 0;
    const auto b = static_cast<unsigned char>(text[pos]);
    const UINT codePage = ::GetACP();
    size_t length = 1;
    if (codePage == CP_UTF8)
        length = Utf8SequenceLength(b);
    else if (::IsDBCSLeadByteEx(codePage, b))
        length = 2;
    return Within(text, pos, length);
}

size_t SingleByteCharLength(std::string_view text, size_t pos) { return pos < text.size() ? 1 : 0; }

std::string ErrorReportText(std::string_view versionTag, std::string_view log, std::string_view comment) {
    std::string text(kProgramVersion);
    text += '-';
    text += versionTag;
    text += '-';
    text += log;
    text += '-';
    text += comment;
    return text;
}

std::string PollText(int reason, std::string_view versionTag, std::string_view comment) {
    std::string text = std::to_string(reason);
    text += '-';
    text += versionTag;
    text += '-';
    text += comment;
    return text;
}

std::string AppendEncodedText(std::string address, std::string_view text, const CharLengthFn& charLength) {
    for (size_t pos = 0; pos < text.size();) {
        const size_t length = Within(text, pos, charLength(text, pos));
        const std::string encoded = engine::UrlEncode(text.substr(pos, length));
        if (address.size() + encoded.size() > kMaxAddressLength) break;
        address += encoded;
        pos += length;
    }
    return address;
}

std::string ErrorReportAddress(std::string_view versionTag, std::string_view reportText,
                               const CharLengthFn& charLength) {
    std::string address = engine::MakerPageUrl(engine::MakerPage::Feedback, versionTag);
    address += kSure;
    address += kCommentKey;
    return AppendEncodedText(std::move(address), reportText, charLength);
}

std::string PollAddress(std::string_view versionTag, std::string_view email, std::string_view pollText,
                        const CharLengthFn& charLength) {
    std::string address = engine::MakerPageUrl(engine::MakerPage::UninstallPoll, versionTag);
    address += kSure;
    address += kEmailKey;
    address += engine::UrlEncode(framework::Trim(email));
    address += kCommentKey;
    return AppendEncodedText(std::move(address), pollText, charLength);
}

bool IsDataFolderFile(std::string_view path, std::string_view dataFolder, std::string_view name) {
    if (name.empty() || name.find_first_of("\\/:") != std::string_view::npos) return false;
    const bool driveRooted = dataFolder.size() >= 3 && dataFolder[1] == ':' && dataFolder[2] == '\\';
    const bool networkRooted = dataFolder.size() >= 3 && dataFolder.substr(0, 2) == "\\\\";
    if (!(driveRooted || networkRooted) || dataFolder.back() != '\\') return false;
    // A folder that climbs out of itself is not the data folder.
    if (dataFolder.find("\\..\\") != std::string_view::npos) return false;
    return path.size() == dataFolder.size() + name.size() && path.substr(0, dataFolder.size()) == dataFolder &&
           path.substr(dataFolder.size()) == name;
}

}  // namespace settings
