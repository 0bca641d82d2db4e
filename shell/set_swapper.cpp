#include "shell/set_swapper.h"
#include <shlobj.h>
#include <algorithm>
#include <cstring>
#include <cwctype>
#include <utility>
#include "framework/guard.h"
#include "framework/owned.h"
#include "framework/string_list.h"
#include "shell/string_routines.h"

namespace shell {
namespace {

namespace texts {
constexpr std::string_view kRefused = "Per-desktop %s are off: ";
constexpr std::string_view kDamaged = " was damaged: the files of every desktop's set were brought back to the ";
constexpr std::string_view kCutShort = "A change of the %s cut short by the end of the program was finished";
constexpr std::string_view kLeftOver = "Files left in the parking folder of the %s were brought back to the ";
constexpr std::string_view kRenamed = "\" was kept as \"";
constexpr std::string_view kRenamedTail = "\": its name was taken";
constexpr std::string_view kNotMoved = "\" could not be moved (error ";
constexpr std::string_view kNotMovedTail = "); it is moved at the next switch";
constexpr std::string_view kStayParked = "The parked %s of other desktops stay in the data folder: ";
constexpr std::string_view kOffBroughtBack = "Per-desktop %s are off: ";
constexpr std::string_view kCountJoined = "The layout has %s: ";
}  // namespace texts

constexpr int kMaxFreeNameAttempts = 9999;
constexpr int kWriteAttempts = 40;
constexpr DWORD kWriteRetryMs = 25;
constexpr DWORD kKeptFolderAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                        FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::wstring WithBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

std::string Replace(std::string_view text, std::string_view what) {
    std::string out(text);
    if (size_t at = out.find("%s"); at != std::string::npos) out.replace(at, 2, what);
    return out;
}

bool IsFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The entries of a folder, "." and ".." left out. Taken whole before any
// moves, so that no move can disturb the search.
std::vector<WIN32_FIND_DATAW> FolderEntries(const std::wstring& folder) {
    std::vector<WIN32_FIND_DATAW> entries;
    WIN32_FIND_DATAW entry{};
    framework::FindFile find(::FindFirstFileW((folder + L"*").c_str(), &entry));
    if (!find) return entries;
    do {
        if (std::wcscmp(entry.cFileName, L".") != 0 && std::wcscmp(entry.cFileName, L"..") != 0)
            entries.push_back(entry);
    } while (::FindNextFileW(find.get(), &entry));
    return entries;
}

// Upper case by the system's rules, so that paths compare as Windows does.
std::wstring FoldCase(std::wstring_view path) {
    std::wstring s(path);
    if (!s.empty()) ::CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

// The full, long form of an existing path ("..", "." and short names resolved).
std::wstring Normalised(const std::wstring& path) {
    wchar_t full[MAX_PATH * 4] = {};
    DWORD n = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
    std::wstring out = (n > 0 && n < std::size(full)) ? std::wstring(full, n) : path;
    wchar_t longer[MAX_PATH * 4] = {};
    n = ::GetLongPathNameW(out.c_str(), longer, static_cast<DWORD>(std::size(longer)));
    if (n > 0 && n < std::size(longer)) out.assign(longer, n);
    return WithBackslash(out);
}

// Length of the root part: "X:\" or "\\server\share\"; 0 when none.
size_t RootLength(std::wstring_view path) {
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\' && std::iswalpha(path[0])) return 3;
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') {
        if (path.size() >= 4 && (path[2] == L'?' || path[2] == L'.')) return 0;   // device paths are refused
        size_t server = path.find(L'\\', 2);
        if (server == std::wstring_view::npos || server == 2) return 0;
        size_t share = path.find(L'\\', server + 1);
        if (share == server + 1) return 0;
        return share == std::wstring_view::npos ? path.size() : share + 1;
    }
    return 0;
}

// Whether the path or one of its folders on the way down is a link
// (a symbolic link, a junction or a mount point).
bool ReachedThroughLink(const std::wstring& path) {
    const std::wstring full = WithBackslash(path);
    for (size_t at = RootLength(full); at < full.size(); ++at) {
        if (full[at] != L'\\') continue;
        DWORD attributes = ::GetFileAttributesW(full.substr(0, at).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    }
    return false;
}

std::wstring VolumeOf(const std::wstring& path) {
    wchar_t volume[MAX_PATH * 2] = {};
    if (!::GetVolumePathNameW(path.c_str(), volume, static_cast<DWORD>(std::size(volume)))) return {};
    return FoldCase(WithBackslash(volume));
}

std::string Narrow(std::wstring_view w) { return WideToAnsi(w); }

// "desktop 5", "desktops 5 and 7", "desktops 2, 3 and 7".
std::string DesktopList(const std::vector<int>& desktops) {
    std::string text = desktops.size() == 1 ? "desktop " : "desktops ";
    for (size_t i = 0; i < desktops.size(); ++i) {
        if (i > 0) text += i + 1 == desktops.size() ? " and " : ", ";
        text += std::to_string(desktops[i]);
    }
    return text;
}

int32_t ReadI32(const char* p) {
    uint32_t raw = 0;
    for (size_t i = 0; i < 4; ++i) raw |= static_cast<uint32_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    return static_cast<int32_t>(raw);
}

}  // namespace

// Records -----------------------------------------------------------------------------
std::optional<int32_t> DecodeSetDesk(std::string_view bytes) noexcept {
    if (bytes.size() != sizeof(int32_t)) return std::nullopt;
    uint32_t raw = 0;
    for (size_t i = 0; i < 4; ++i) raw |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    const auto desk = static_cast<int32_t>(raw);
    if (desk < 1 || desk > 9) return std::nullopt;
    return desk;
}

std::string EncodeSetDesk(int32_t desk) {
    std::string bytes(4, '\0');
    const auto raw = static_cast<uint32_t>(desk);
    for (size_t i = 0; i < 4; ++i) bytes[i] = static_cast<char>((raw >> (8 * i)) & 0xFF);
    return bytes;
}

std::optional<TSetChange> DecodeSetChange(std::string_view bytes) noexcept {
    if (bytes.size() != sizeof(TSetChange)) return std::nullopt;
    TSetChange change{};
    std::memcpy(&change, bytes.data(), sizeof change);
    auto desktop = [](int32_t n) { return n >= 1 && n <= 9; };
    if (!desktop(change.From) || !desktop(change.To) || change.From == change.To) return std::nullopt;
    if (change.Step < static_cast<int32_t>(TSetStep::Park) || change.Step > static_cast<int32_t>(TSetStep::Store))
        return std::nullopt;
    return change;
}

std::string EncodeSetChange(const TSetChange& change) {
    std::string bytes(sizeof change, '\0');
    std::memcpy(bytes.data(), &change, sizeof change);
    return bytes;
}

bool SafeRelativePath(std::wstring_view path) noexcept {
    if (path.empty() || path.size() > 0x7FFF) return false;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != L'\\') {
            const wchar_t c = path[i];
            if (c < 32 || std::wstring_view(L"/:*?\"<>|").find(c) != std::wstring_view::npos) return false;
            continue;
        }
        const std::wstring_view part = path.substr(start, i - start);
        if (part.empty() || part == L"." || part == L"..") return false;
        start = i + 1;
    }
    return true;
}

std::optional<TSetRecord> DecodeSetRecord(std::string_view bytes) {
    if (bytes.size() < sizeof(TSetChange)) return std::nullopt;
    TSetRecord record;
    TSetChange change{};
    std::memcpy(&change, bytes.data(), sizeof change);
    if (change.Step == kSetSettled) {
        if (change.From != 0 || change.To != 0) return std::nullopt;
    } else {
        record.Change = DecodeSetChange(bytes.substr(0, sizeof change));
        if (!record.Change) return std::nullopt;
    }
    for (size_t at = sizeof change; at < bytes.size();) {
        if (bytes.size() - at < sizeof(TSetLeftMove)) return std::nullopt;
        TLeftMove left;
        left.At = ReadI32(bytes.data() + at);
        left.Set = ReadI32(bytes.data() + at + 4);
        const size_t length =
            static_cast<unsigned char>(bytes[at + 8]) | (static_cast<unsigned char>(bytes[at + 9]) << 8);
        at += sizeof(TSetLeftMove);
        if (left.At < -1 || left.At > 9 || left.Set < 1 || left.Set > 9) return std::nullopt;
        if (bytes.size() - at < length * 2) return std::nullopt;
        for (size_t i = 0; i < length; ++i, at += 2)
            left.Relative += static_cast<wchar_t>(static_cast<unsigned char>(bytes[at]) |
                                                  (static_cast<unsigned char>(bytes[at + 1]) << 8));
        if (!SafeRelativePath(left.Relative)) return std::nullopt;
        record.Left.push_back(std::move(left));
    }
    // A settled record holds something to do, or it would not be there.
    if (!record.Change && record.Left.empty()) return std::nullopt;
    return record;
}

std::string EncodeSetRecord(const TSetRecord& record) {
    std::string bytes = EncodeSetChange(record.Change.value_or(TSetChange{0, 0, kSetSettled}));
    for (const TLeftMove& left : record.Left) {
        // What could not be read back is left out; no entry found in a folder is so.
        if (!SafeRelativePath(left.Relative)) continue;
        const size_t length = left.Relative.size();
        TSetLeftMove head{left.At, left.Set, static_cast<uint16_t>(length)};
        bytes.append(reinterpret_cast<const char*>(&head), sizeof head);
        for (size_t i = 0; i < length; ++i) {
            const auto c = static_cast<uint16_t>(left.Relative[i]);
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>(c >> 8);
        }
    }
    return bytes;
}

void WriteSetFile(const std::string& path, std::string_view bytes) {
    for (int attempt = 1;; ++attempt) {
        try {
            framework::WriteFileReplacing(path, bytes);
            return;
        } catch (const framework::Exception&) {
            if (attempt >= kWriteAttempts) throw;
            ::Sleep(kWriteRetryMs);
        }
    }
}

// Roots -------------------------------------------------------------------------------
TRootProblem PathShapeProblem(std::wstring_view path) {
    if (path.empty()) return TRootProblem::Empty;
    const size_t root = RootLength(path);
    if (root == 0) return TRootProblem::NotFullPath;
    if (path.substr(root).find_first_not_of(L'\\') == std::wstring_view::npos) return TRootProblem::DriveRoot;
    return TRootProblem::None;
}

bool PathsNest(std::wstring_view a, std::wstring_view b) {
    std::wstring x = FoldCase(WithBackslash(std::wstring(a)));
    std::wstring y = FoldCase(WithBackslash(std::wstring(b)));
    if (x.size() > y.size()) std::swap(x, y);
    return y.compare(0, x.size(), x) == 0;
}

TRootProblem CheckSwapFolder(const std::wstring& path) {
    if (TRootProblem shape = PathShapeProblem(path); shape != TRootProblem::None) return shape;
    if (!IsFolder(::GetFileAttributesW(path.c_str()))) return TRootProblem::Missing;
    // Through a link, a root and the data folder could hold one another
    // without their paths showing it.
    if (ReachedThroughLink(path)) return TRootProblem::ThroughLink;
    if (PathShapeProblem(Normalised(path)) == TRootProblem::DriveRoot) return TRootProblem::DriveRoot;
    return TRootProblem::None;
}

TRootProblem CheckSwapRoot(const std::wstring& root, const std::wstring& dataFolder) {
    for (const std::wstring* path : {&root, &dataFolder})
        if (TRootProblem problem = CheckSwapFolder(*path); problem != TRootProblem::None) return problem;
    const std::wstring a = Normalised(root), b = Normalised(dataFolder);
    if (PathsNest(a, b)) return TRootProblem::Nested;
    // Between drives a move would copy and delete; the sets move by renames only.
    if (VolumeOf(a) != VolumeOf(b)) return TRootProblem::OtherDrive;
    return TRootProblem::None;
}

std::string RootProblemText(TRootProblem problem) {
    switch (problem) {
    case TRootProblem::None: return {};
    case TRootProblem::Empty: return "no folder is known";
    case TRootProblem::NotFullPath: return "is no full path";
    case TRootProblem::DriveRoot: return "is the root of a drive";
    case TRootProblem::Missing: return "does not exist or is no folder";
    case TRootProblem::ThroughLink: return "is reached through a link";
    case TRootProblem::Nested: return "and the data folder lie one inside the other";
    case TRootProblem::OtherDrive: return "is not on the drive of the data folder";
    }
    return {};
}

std::wstring CollisionFreeName(std::wstring_view name, bool folder, int attempt) {
    const std::wstring number = L" (" + std::to_wstring(attempt) + L")";
    size_t dot = folder ? std::wstring_view::npos : name.rfind(L'.');
    if (dot == 0) dot = std::wstring_view::npos;   // ".profile" is all name
    if (dot == std::wstring_view::npos) return std::wstring(name) + number;
    return std::wstring(name.substr(0, dot)) + number + std::wstring(name.substr(dot));
}

// The swapper -------------------------------------------------------------------------
TSetSwapper::TSetSwapper(const TSetKind& kind, std::wstring root, std::wstring dataFolder, SwapLog log)
    : kind_(kind), root_(WithBackslash(std::move(root))), dataFolder_(WithBackslash(std::move(dataFolder))),
      log_(std::move(log)) {
    if (root_ == L"\\") root_.clear();
    if (dataFolder_ == L"\\") dataFolder_.clear();
}

std::wstring TSetSwapper::FolderPath(int n) const {
    if (n < 0) return root_;
    return dataFolder_ + AnsiToWide(kind_.SetsFolder) + std::to_wstring(n) + L"\\";
}

std::string TSetSwapper::DataPath(const char* name) const { return Narrow(dataFolder_) + name; }

void TSetSwapper::Log(const std::string& text, bool flagged) const {
    if (log_) log_(text, flagged);
}

bool TSetSwapper::RootsAccepted(std::string_view refusal) {
    bool dataFolderAtFault = false;
    TRootProblem problem = CheckSwapFolder(root_);
    if (problem == TRootProblem::None) {
        problem = CheckSwapFolder(dataFolder_);
        dataFolderAtFault = problem != TRootProblem::None;
    }
    if (problem == TRootProblem::None) problem = CheckSwapRoot(root_, dataFolder_);
    if (problem != TRootProblem::None && problem != lastProblem_) {
        const std::wstring& path = dataFolderAtFault ? dataFolder_ : root_;
        std::string who = dataFolderAtFault ? "the data folder" : std::string("the ") + kind_.RootName;
        if (!path.empty()) who += " " + Narrow(path);
        Log(Replace(refusal, kind_.What) + who + " " + RootProblemText(problem), true);
    }
    lastProblem_ = problem;
    return problem == TRootProblem::None;
}

void TSetSwapper::CreateSetFolders() const {
    for (int i = 0; i <= 9; ++i) ::SHCreateDirectoryExW(nullptr, FolderPath(i).c_str(), nullptr);
}

bool TSetSwapper::HasParkedSets() const {
    if (::GetFileAttributesA(DataPath(kind_.ChangeFile).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    // The root holds another desktop's set, or nobody knows whose.
    const std::string deskFile = DataPath(kind_.DeskFile);
    if (::GetFileAttributesA(deskFile.c_str()) != INVALID_FILE_ATTRIBUTES &&
        DecodeSetDesk(framework::ReadFileBytes(deskFile)) != 1)
        return true;
    for (int i = 0; i <= 9; ++i)
        if (!FolderEmpty(i)) return true;
    return false;
}

void TSetSwapper::RemoveEmptySetFolders() const {
    // Only empty folders go: one that keeps a file left behind stays.
    for (int i = 0; i <= 9; ++i) ::RemoveDirectoryW(FolderPath(i).c_str());
    ::RemoveDirectoryW((dataFolder_ + AnsiToWide(kind_.SetsFolder)).c_str());
}

void TSetSwapper::Start() {
    if (!RootsAccepted(texts::kRefused)) return;
    active_ = true;
    CreateSetFolders();
    LoadRecord();
    LoadDesk();
    Switch(1);
    // What an earlier run left in folders 0 and 1 (cut short, or a file that
    // could not be moved) joins the root, so that nothing stays hidden there.
    if (!FolderEmpty(0)) {
        Log(Replace(texts::kLeftOver, kind_.What) + kind_.RootName, true);
        MoveFolderContents(0, -1, desk_);
    }
    MoveFolderContents(1, -1, 1);
    SaveRecord();
}

void TSetSwapper::BringBackParkedSets() {
    if (active_ || !HasParkedSets()) return;
    if (!RootsAccepted(texts::kStayParked)) return;
    CreateSetFolders();   // a change cut short may need them
    LoadRecord();
    LoadDesk();
    // From here on there is one desktop, and its set is in the root.
    std::vector<int> joined;
    if (desk_ != 1) joined.push_back(desk_);
    desk_ = 1;
    count_ = 1;
    RetryPendingMoves();
    for (int n = 2; n <= 9; ++n)
        if (!FolderEmpty(n)) joined.push_back(n);
    std::sort(joined.begin(), joined.end());
    const bool any = !joined.empty() || !FolderEmpty(0) || !FolderEmpty(1);
    for (int n = 0; n <= 9; ++n) MoveFolderContents(n, -1, 1);
    if (any) {
        const std::string what = joined.empty() ? std::string("the parked files")
                                                : std::string("the ") + kind_.What + " of " + DesktopList(joined);
        Log(Replace(texts::kOffBroughtBack, kind_.What) + what + " were brought back to the " + kind_.RootName +
                " as desktop 1's",
            true);
    }
    SaveDesk();
    SaveRecord();
    RemoveEmptySetFolders();
}

void TSetSwapper::LimitDesktops(int count) {
    count_ = std::clamp(count, 1, 9);
    if (!active_ || !RootsAccepted(texts::kRefused)) return;
    RetryPendingMoves();
    JoinSetsBeyondCount();
    SaveRecord();
}

void TSetSwapper::JoinSetsBeyondCount() {
    std::vector<int> joined;
    for (int n = count_ + 1; n <= 9; ++n) {
        // The set on screen stays there until its desktop is left.
        if (n == desk_ || FolderEmpty(n)) continue;
        joined.push_back(n);
        MoveFolderContents(n, SetLocation(1), 1);
    }
    if (joined.empty()) return;
    const std::string layout = count_ == 1 ? "1 desktop" : std::to_string(count_) + " desktops";
    std::string text = Replace(texts::kCountJoined, layout) + "the " + kind_.What + " of " + DesktopList(joined) +
                       " joined desktop 1's set";
    if (SetLocation(1) < 0) text += std::string(" in the ") + kind_.RootName;
    Log(text, true);
}

void TSetSwapper::LoadRecord() {
    const std::string path = DataPath(kind_.ChangeFile);
    if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        recordOnDisk_ = std::string();
        return;
    }
    const std::string bytes = framework::ReadFileBytes(path);
    std::optional<TSetRecord> record = DecodeSetRecord(bytes);
    if (!record) {
        // The record cannot say where the files were going.
        BringBackEverySet(kind_.ChangeFile);
        ::DeleteFileA(path.c_str());
        recordOnDisk_ = std::string();
        return;
    }
    recordOnDisk_ = bytes;
    pending_ = std::move(record->Left);
    if (!record->Change) return;
    Log(Replace(texts::kCutShort, kind_.What), false);
    ChangeSet(record->Change->From, record->Change->To, static_cast<TSetStep>(record->Change->Step));
}

void TSetSwapper::LoadDesk() {
    const std::string path = DataPath(kind_.DeskFile);
    if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        desk_ = 1;
        SaveDesk();
        return;
    }
    if (std::optional<int32_t> desk = DecodeSetDesk(framework::ReadFileBytes(path)))
        desk_ = *desk;
    else
        BringBackEverySet(kind_.DeskFile);
}

void TSetSwapper::BringBackEverySet(const char* damagedFile) {
    // Nobody knows whose set the root holds: every parked set joins it, so
    // the user finds every file in one place, and desktop 1 takes them.
    desk_ = 1;
    pending_.clear();
    Log(std::string(damagedFile) + std::string(texts::kDamaged) + kind_.RootName, true);
    for (int i = 0; i <= 9; ++i) MoveFolderContents(i, -1, 1);
    SaveDesk();
}

void TSetSwapper::SaveDesk() const { WriteSetFile(DataPath(kind_.DeskFile), EncodeSetDesk(desk_)); }

void TSetSwapper::Switch(int n) {
    if (!active_ || n < 1 || n > 9) return;
    if (!RootsAccepted(texts::kRefused)) return;
    RetryPendingMoves();
    if (n == desk_) {
        SaveDesk();
    } else {
        CreateSetFolders();
        BeforeSetChange();
        ChangeSet(desk_, n, TSetStep::Park);   // saves the desktop file before the record goes
        AfterSetChange();
    }
    // A desktop beyond the count that was just left.
    JoinSetsBeyondCount();
    SaveRecord();
}

void TSetSwapper::WriteRecord(const std::string& bytes) {
    WriteSetFile(DataPath(kind_.ChangeFile), bytes);
    recordOnDisk_ = bytes;
}

void TSetSwapper::RecordStep(int from, int to, TSetStep step) {
    WriteRecord(EncodeSetRecord({TSetChange{from, to, static_cast<int32_t>(step)}, pending_}));
}

void TSetSwapper::SaveRecord() {
    // Entries left behind stay on record until they have moved: a new run
    // takes them where they belong.
    if (!pending_.empty()) {
        const std::string bytes = EncodeSetRecord({std::nullopt, pending_});
        if (bytes != recordOnDisk_) WriteRecord(bytes);
        return;
    }
    if (recordOnDisk_ && recordOnDisk_->empty()) return;
    ::DeleteFileA(DataPath(kind_.ChangeFile).c_str());
    recordOnDisk_ = std::string();
}

void TSetSwapper::ChangeSet(int from, int to, TSetStep first) {
    // Each step is recorded before it starts: a crash leaves the record of
    // the step to run again, and every step can run again without harm.
    if (first <= TSetStep::Park) {
        RecordStep(from, to, TSetStep::Park);
        MoveFolderContents(-1, 0, from);
    }
    if (first <= TSetStep::Bring) {
        RecordStep(from, to, TSetStep::Bring);
        MoveFolderContents(to, -1, to);
    }
    RecordStep(from, to, TSetStep::Store);
    MoveFolderContents(0, from, from);
    desk_ = to;
    SaveDesk();
    SaveRecord();
}

bool TSetSwapper::FolderEmpty(int n) const { return FolderEntries(FolderPath(n)).empty(); }

void TSetSwapper::RetryPendingMoves() {
    std::vector<TLeftMove> pending = std::exchange(pending_, {});
    for (const TLeftMove& p : pending) {
        const int to = SetLocation(SetHome(p.Set));
        if (to == p.At) continue;
        const std::wstring source = FolderPath(p.At) + p.Relative;
        const DWORD attributes = ::GetFileAttributesW(source.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) continue;   // gone: the user took care of it
        const std::wstring target = FolderPath(to) + p.Relative;
        ::SHCreateDirectoryExW(nullptr, target.substr(0, target.find_last_of(L'\\')).c_str(), nullptr);
        const TMove move{p.At, to, SetHome(p.Set)};
        if (IsFolder(attributes) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            WIN32_FIND_DATAW entry{};
            entry.dwFileAttributes = attributes;
            MoveFolder(move, p.Relative, entry);
        } else {
            MoveFile(move, p.Relative, IsFolder(attributes));
        }
        RemoveEmptiedParents(p.At, p.Relative);
    }
}

void TSetSwapper::RemoveEmptiedParents(int at, std::wstring relative) const {
    // The folders that held only the moved entry, up to (not including) the root.
    for (size_t cut = relative.find_last_of(L'\\'); cut != std::wstring::npos; cut = relative.find_last_of(L'\\')) {
        relative.resize(cut);
        if (!::RemoveDirectoryW((FolderPath(at) + relative).c_str())) return;
    }
}

void TSetSwapper::MoveFolderContents(int from, int to, int set) { MoveEntries({from, to, set}, {}); }

void TSetSwapper::MoveEntries(const TMove& move, const std::wstring& relative) {
    for (const WIN32_FIND_DATAW& entry : FolderEntries(FolderPath(move.From) + relative)) {
        const std::wstring name = relative + entry.cFileName;
        // A link is moved as itself; what it leads to stays where it is.
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            MoveFolder(move, name, entry);
        else
            MoveFile(move, name, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    }
}

void TSetSwapper::MoveFolder(const TMove& move, const std::wstring& relative, const WIN32_FIND_DATAW& entry) {
    const std::wstring source = FolderPath(move.From) + relative;
    const std::wstring target = FolderPath(move.To) + relative;
    const DWORD there = ::GetFileAttributesW(target.c_str());
    // Whole, in one rename, when nothing of its name waits there.
    if (there == INVALID_FILE_ATTRIBUTES && ::MoveFileExW(source.c_str(), target.c_str(), 0)) return;
    if (there != INVALID_FILE_ATTRIBUTES && !IsFolder(there)) {
        MoveFile(move, relative, true);   // a file holds the name: the folder takes a free one
        return;
    }
    // Into the folder of that name, or one made for it (the rename failed:
    // something inside is in use), entry by entry; the emptied folder goes
    // only after its contents.
    const bool made = there == INVALID_FILE_ATTRIBUTES;
    if (made && !::CreateDirectoryW(target.c_str(), nullptr)) {
        NoteFailure(move, relative, ::GetLastError());
        return;
    }
    MoveEntries(move, relative + L"\\");
    if (made) ::SetFileAttributesW(target.c_str(), entry.dwFileAttributes & kKeptFolderAttributes);
    if (!FolderEntries(source + L"\\").empty()) {
        // Nothing could leave: no empty twin stays behind in the target.
        if (made && FolderEntries(target + L"\\").empty()) ::RemoveDirectoryW(target.c_str());
        return;
    }
    const DWORD attributes = ::GetFileAttributesW(source.c_str());
    if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesW(source.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!::RemoveDirectoryW(source.c_str())) ::SetFileAttributesW(source.c_str(), attributes);
}

bool TSetSwapper::MoveFile(const TMove& move, const std::wstring& relative, bool folder) {
    const std::wstring source = FolderPath(move.From) + relative;
    const std::wstring targetFolder = FolderPath(move.To) + relative.substr(0, relative.find_last_of(L'\\') + 1);
    const std::wstring name = relative.substr(relative.find_last_of(L'\\') + 1);
    std::wstring target = targetFolder + name;
    for (int attempt = 2;; ++attempt) {
        // Never MOVEFILE_REPLACE_EXISTING: a taken name is never overwritten.
        if (::MoveFileExW(source.c_str(), target.c_str(), 0)) break;
        const DWORD error = ::GetLastError();
        const bool taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS || Exists(target);
        if (!taken || attempt > kMaxFreeNameAttempts) {
            NoteFailure(move, relative, error);
            return false;
        }
        target = targetFolder + CollisionFreeName(name, folder, attempt);
    }
    if (target != targetFolder + name)
        Log("\"" + Narrow(relative) + std::string(texts::kRenamed) + Narrow(target.substr(targetFolder.size())) +
                std::string(texts::kRenamedTail),
            false);
    return true;
}

void TSetSwapper::NoteFailure(const TMove& move, const std::wstring& relative, DWORD error) {
    // Known already (a retry failed again): it keeps the set it belongs to.
    const bool known = std::any_of(pending_.begin(), pending_.end(),
                                   [&](const TLeftMove& p) { return p.Relative == relative && p.At == move.From; });
    if (!known) pending_.push_back({relative, move.From, move.Set});
    const std::wstring source = FolderPath(move.From) + relative;
    if (std::find(reported_.begin(), reported_.end(), source) != reported_.end()) return;
    reported_.push_back(source);
    Log("\"" + Narrow(relative) + std::string(texts::kNotMoved) + std::to_string(error) +
            std::string(texts::kNotMovedTail),
        true);
}

}  // namespace shell
