#pragma once
// The one mechanism behind the per-desktop desktop-icon sets and Quick
// Launch sets: every desktop keeps its own contents of a folder of the user
// (the root). The set on screen lives in the root; the sets of the other
// desktops are parked in the data folder, one folder per desktop (1 to 9),
// and folder 0 is the parking place of the three-way swap:
//   root -> 0, n -> root, 0 -> the outgoing desktop's folder.
// These are the user's own files, so the swap moves and never copies,
// never overwrites (a taken name gives the moved entry a free one), never
// removes a folder before its contents have left it, and refuses roots
// that could make it move the data folder into itself. A change of set is
// recorded before its first move, so a change cut short by a crash is
// finished at the next start; a file that cannot be moved is reported once,
// kept in the same record, and moved at the next switch or start. No set
// stays parked where no desktop can reach it: the sets of desktops beyond
// the desktop count, and every set once the option is off, join desktop 1's.
#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shell {

// A line for the program's event log; flagged lines may raise a bubble.
using SwapLog = std::function<void(const std::string& text, bool flagged)>;

// What tells the two kinds of set apart.
struct TSetKind {
    const char* What;          // "desktop icons": how the log names the sets
    const char* RootName;      // "desktop folder": how the log names the root
    const char* DeskFile;      // "VirtIcon.cfg": the desktop whose set is in the root
    const char* ChangeFile;    // "VirtIcon.move": the change of set in progress
    const char* SetsFolder;    // "IconSwapper\": the parked sets
};

// The desktop file: 4 bytes, the desktop as a 32-bit little-endian integer.
// Nothing (damage) unless it holds exactly 4 bytes naming a desktop 1 to 9.
std::optional<int32_t> DecodeSetDesk(std::string_view bytes) noexcept;
std::string EncodeSetDesk(int32_t desk);

// The three moves of a change of set, in their order.
enum class TSetStep : int32_t { Park = 0, Bring = 1, Store = 2 };

#pragma pack(push, 1)
struct TSetChange {
    int32_t From;    // the outgoing desktop, 1..9
    int32_t To;      // the incoming desktop, 1..9, not From
    int32_t Step;    // the move under way, TSetStep
};
#pragma pack(pop)
static_assert(sizeof(TSetChange) == 12);

std::optional<TSetChange> DecodeSetChange(std::string_view bytes) noexcept;
std::string EncodeSetChange(const TSetChange& change);

// An entry that could not be moved, and where it must go.
struct TLeftMove {
    std::wstring Relative;   // below the folder it is in
    int32_t At = -1;         // the folder it is in: -1 the root, 0 the parking place, 1..9
    int32_t Set = 1;         // the desktop whose set it belongs to, 1..9
    bool operator==(const TLeftMove&) const = default;
};

// The change record: a TSetChange, then one TSetLeftMove per entry left
// behind, each followed by its path (Length UTF-16 code units, little-endian).
// The record of a change alone is the 12 bytes of the change, as earlier
// versions wrote it; with no change under way the change's Step is
// kSetSettled and its From and To are 0.
inline constexpr int32_t kSetSettled = 3;
#pragma pack(push, 1)
struct TSetLeftMove {
    int32_t At;
    int32_t Set;
    uint16_t Length;
};
#pragma pack(pop)
static_assert(sizeof(TSetLeftMove) == 10);

struct TSetRecord {
    std::optional<TSetChange> Change;   // none: settled
    std::vector<TLeftMove> Left;
};
// Nothing (damage) for a record that is cut, names a folder or desktop out
// of range, or a path that could leave its folder (empty, "..", a drive, a
// leading backslash, a character no file name holds).
std::optional<TSetRecord> DecodeSetRecord(std::string_view bytes);
std::string EncodeSetRecord(const TSetRecord& record);
// A path below a folder that stays below it.
bool SafeRelativePath(std::wstring_view path) noexcept;

// Replaces a file of the sets (write a new one, rename it over the old one).
// Another program reading the file for a moment (a virus scanner, a backup,
// an indexer) makes the rename fail: it is tried again for about a second
// before the error is raised.
void WriteSetFile(const std::string& path, std::string_view bytes);

// Why a root (or the data folder) is refused; None when it may be swapped.
enum class TRootProblem { None, Empty, NotFullPath, DriveRoot, Missing, ThroughLink, Nested, OtherDrive };

// The rules on the path's text alone: empty, not a full path ("X:\..." or
// "\\server\share\..."), or a drive or share root.
TRootProblem PathShapeProblem(std::wstring_view path);
// Whether one of two full paths lies inside the other (or both are one),
// without regard to case or a trailing backslash.
bool PathsNest(std::wstring_view a, std::wstring_view b);
// One folder on the file system: its shape, that it exists, that no link
// lies on its way; then a root against the data folder: neither holds the
// other, and both lie on one drive.
TRootProblem CheckSwapFolder(const std::wstring& path);
TRootProblem CheckSwapRoot(const std::wstring& root, const std::wstring& dataFolder);
std::string RootProblemText(TRootProblem problem);

// The name a moved entry takes when its own is taken: "Notes (2).txt",
// "Notes (3).txt", ...; a folder's name or a name without extension gets
// the number at its end.
std::wstring CollisionFreeName(std::wstring_view name, bool folder, int attempt);

class TSetSwapper {
public:
    // The root and the data folder as full paths; a trailing backslash is
    // added when missing.
    TSetSwapper(const TSetKind& kind, std::wstring root, std::wstring dataFolder, SwapLog log);
    virtual ~TSetSwapper() = default;
    TSetSwapper(const TSetSwapper&) = delete;
    TSetSwapper& operator=(const TSetSwapper&) = delete;

    // n below 0: the root; else the data folder + sets folder + n + "\".
    std::wstring FolderPath(int n) const;
    int32_t Desk() const noexcept { return desk_; }
    // Started and its roots accepted: the sets are swapped.
    bool Active() const noexcept { return active_; }

    // At start-up: checks the roots (a refusal is logged and writes
    // nothing), finishes a change cut short, reads the desktop file, puts
    // desktop 1's set in the root, brings back what an earlier run left in
    // folders 0 and 1, and moves the entries an earlier run left behind.
    void Start();
    // Puts desktop n's set in the root; the desktop file says n afterwards.
    void Switch(int n);
    // The desktops in use are 1 to count (1..9): the parked sets of the
    // desktops beyond join desktop 1's set now (when started) and after
    // every switch; so does the set of a current desktop beyond the count as
    // soon as it is left. Before the start it only tells the start.
    void LimitDesktops(int count);
    // At start-up with the option off: when anything is parked, finishes a
    // change cut short and brings every parked set into the root as desktop
    // 1's, with a line for the event log; the set folders go once empty.
    // With nothing parked nothing is read, written or made.
    void BringBackParkedSets();

protected:
    // Around the moves of a change of set (the icon positions).
    virtual void BeforeSetChange() {}
    virtual void AfterSetChange() {}
    void Log(const std::string& text, bool flagged) const;
    std::string DataPath(const char* name) const;

private:
    struct TMove {
        int From, To, Set;
    };

    bool RootsAccepted(std::string_view refusal);
    void CreateSetFolders() const;
    bool HasParkedSets() const;
    void RemoveEmptySetFolders() const;
    void LoadRecord();
    void LoadDesk();
    void BringBackEverySet(const char* damagedFile);
    void SaveDesk() const;
    void ChangeSet(int from, int to, TSetStep first);
    void RecordStep(int from, int to, TSetStep step);
    void SaveRecord();
    void WriteRecord(const std::string& bytes);
    // Where the set of a desktop lives now: the root for the one on screen.
    int SetLocation(int set) const noexcept { return set == desk_ ? -1 : set; }
    // The desktop whose set takes in the files of this one.
    int SetHome(int set) const noexcept { return set > count_ ? 1 : set; }
    void JoinSetsBeyondCount();
    void RetryPendingMoves();
    void MoveFolderContents(int from, int to, int set);
    void MoveEntries(const TMove& move, const std::wstring& relative);
    void MoveFolder(const TMove& move, const std::wstring& relative, const WIN32_FIND_DATAW& entry);
    bool MoveFile(const TMove& move, const std::wstring& relative, bool folder);
    void NoteFailure(const TMove& move, const std::wstring& relative, DWORD error);
    void RemoveEmptiedParents(int at, std::wstring relative) const;
    bool FolderEmpty(int n) const;

    const TSetKind& kind_;
    std::wstring root_;
    std::wstring dataFolder_;
    SwapLog log_;
    int32_t desk_ = 1;
    int32_t count_ = 9;
    bool active_ = false;
    TRootProblem lastProblem_ = TRootProblem::None;
    std::vector<TLeftMove> pending_;
    std::optional<std::string> recordOnDisk_;   // the change record's bytes as last written or read; none: unknown
    std::vector<std::wstring> reported_;   // failed moves already in the log, by source path
};

// A swapper for the whole run, made by its start when the option is on; its
// operations return at once while it is off.
template <typename TSwapper>
struct TSetModule {
    bool Enabled = false;
    int DesktopCount = 9;   // until the layout is applied
    std::unique_ptr<TSwapper> Swapper;
    bool Active() const { return Swapper && Swapper->Active(); }
    void Switch(int n) {
        if (Enabled && Swapper) Swapper->Switch(n);
    }
    void LimitDesktops(int count) {
        DesktopCount = count;
        if (Enabled && Swapper) Swapper->LimitDesktops(count);
    }
    // The start: a swapper for the run when the option is on; else, for a
    // moment, one that brings back what an earlier run left parked.
    template <typename... TArgs>
    void Start(TArgs&&... args) {
        if (Swapper) return;
        auto swapper = std::make_unique<TSwapper>(std::forward<TArgs>(args)...);
        swapper->LimitDesktops(DesktopCount);
        if (!Enabled) {
            swapper->BringBackParkedSets();
            return;
        }
        Swapper = std::move(swapper);
        Swapper->Start();
    }
};

}  // namespace shell
