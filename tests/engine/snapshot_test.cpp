// The snapshot codec and class-name hash, the text list with its registry
// mode, and the sticky list's rules.
#include <gtest/gtest.h>
#include "support/own_window.h"
#include "engine/fpu_control.h"
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "engine/reg_string_list.h"
#include "engine/snapshot.h"
#include "engine/sticky_list.h"
#include "framework/guard.h"
#include "framework/registry.h"
#include "framework/string_list.h"
#include "support/e2e.h"

namespace engine {
namespace {

using namespace std::string_literals;

// ---------------------------------------------------------------- hash ----

struct HashCase {
    const char* what;
    std::string name;
    uint32_t hash;
};

// Expected values worked out independently with exact integer arithmetic.
const HashCase kHashCases[] = {
    {"empty name", "", 0xEFCDAB89u},
    {"only blanks and control characters", "   \t\r\n", 0xEFCDAB89u},
    {"control characters other than blanks", "\x01\x01\x01\x01", 0xEFCDAB89u},
    {"one character, padded with NULs", "A", 0x3E3FA9FFu},
    {"exactly one group", "ABCD", 0xEFCD8992u},
    {"a second, padded group", "ABCDE", 0x51977D0Bu},
    {"odd length", "Notepad", 0xEFDAE346u},
    {"surrounding blanks and control characters trimmed", "  Notepad\t\r\n", 0xEFDAE346u},
    {"an all-NUL group counts as 1977", "A\0\0\0\0\0\0\0B"s, 0xA9BCECF6u},
    {"bytes of 0x80 and above are unsigned", "\xE9t\xE9", 0xEFC452ABu},
    {"the largest group", "\xFF\xFF\xFF\xFF", 0xEFCDA291u},
    {"a system class", "Shell_TrayWnd", 0xA7BA8D79u},
    {"four groups", "TessHelperWindow", 0xEFCDF9FEu},
};

TEST(ClassNameHash, MatchesTheTable) {
    for (const auto& c : kHashCases) EXPECT_EQ(ClassNameHash(c.name), c.hash) << c.what;
}

// The hash's terms are defined in x87 extended precision under the control
// word $133F (64-bit mantissa, round to nearest, all exceptions masked). The
// product uses the integer quotient instead; this compares the two.
using X87ControlWord = engine::FpuControlScope;

static_assert(sizeof(long double) == 16 && __LDBL_MANT_DIG__ == 64, "long double must be the x87 extended type");

uint64_t X87Term(uint32_t w) {
    volatile long double one = 1.0L;
    volatile long double scale = 1e13L;
    volatile long double divisor = static_cast<long double>(w);
    volatile long double quotient = one / divisor;       // rounded to 64 bits
    volatile long double product = quotient * scale;     // rounded to 64 bits
    return static_cast<uint64_t>(static_cast<int64_t>(product));   // truncated toward zero
}

std::vector<uint32_t> SampleGroups() {
    std::vector<uint32_t> g = {1, 2, 3, 7, 1977, 0xFFFFFFFFu, 0xFFFFFFFEu, 0x80000000u, 0x7FFFFFFFu, 0x80000001u};
    for (int i = 0; i < 32; ++i) {
        uint32_t p = 1u << i;
        g.insert(g.end(), {p, p - 1, p + 1});
    }
    for (uint64_t p = 1; p <= 0xFFFFFFFFu; p *= 10) {
        auto v = static_cast<uint32_t>(p);
        g.insert(g.end(), {v, v - 1, v + 1});
    }
    // Divisors of 10^13 give exact quotients, where a rounding slip would
    // show as an off-by-one.
    for (uint32_t a = 1; a <= 8192; a *= 2)
        for (uint64_t b = a; b <= 0xFFFFFFFFu; b *= 5) g.push_back(static_cast<uint32_t>(b));
    uint32_t x = 0x9E3779B9u;
    for (int i = 0; i < 4000; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        g.push_back(x);
        g.push_back(x >> (i % 32));   // small groups too, where the terms are large
    }
    std::erase(g, 0u);
    return g;
}

TEST(ClassNameHash, IntegerTermsEqualTheX87Terms) {
    X87ControlWord cw(0x133F);
    ASSERT_EQ(engine::ReadFpuControlWord() & ~0x40, 0x133F) << "bit 6 is reserved and may read as set";
    int checked = 0;
    for (uint32_t w : SampleGroups()) {
        ASSERT_EQ(ClassHashTerm(w), X87Term(w)) << "group " << w;
        ++checked;
    }
    EXPECT_GT(checked, 8000);
    EXPECT_EQ(ClassHashTerm(0), ClassHashTerm(1977));
}

// --------------------------------------------------------------- codec ----

TSnapshotRecord Rec(uint32_t wnd, uint8_t visible, int8_t desktop, uint32_t pid, uint32_t hash) {
    return TSnapshotRecord{wnd, visible, desktop, pid, hash};
}

bool SameRecord(const TSnapshotRecord& a, const TSnapshotRecord& b) {
    return a.Wnd == b.Wnd && a.Visible == b.Visible && a.Desktop == b.Desktop && a.ProcessId == b.ProcessId &&
           a.ClassHash == b.ClassHash;
}

TEST(SnapshotCodec, RecordLayoutIsLittleEndianAndPacked) {
    std::string bytes = EncodeSnapshot({Rec(0x04030201u, 1, 9, 0x0D0C0B0Au, 0x11100F0Eu)});
    EXPECT_EQ(bytes, "\x01\x02\x03\x04\x01\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10\x11"s);
}

TEST(SnapshotCodec, RoundTrip) {
    std::vector<TSnapshotRecord> recs = {Rec(0x10010u, 1, 1, 42, 0xEFCDAB89u), Rec(0xFFFFFFFFu, 0, 9, 0, 0),
                                         Rec(0x2002Au, 1, 3, 0xFFFFFFFFu, 0x12345678u)};
    std::vector<TSnapshotRecord> back = DecodeSnapshot(EncodeSnapshot(recs));
    ASSERT_EQ(back.size(), recs.size());
    for (size_t i = 0; i < recs.size(); ++i) EXPECT_TRUE(SameRecord(back[i], recs[i])) << i;
    EXPECT_TRUE(DecodeSnapshot("").empty());
    EXPECT_TRUE(EncodeSnapshot({}).empty());
}

TEST(SnapshotCodec, TrailingPartialRecordIsDropped) {
    std::string two = EncodeSnapshot({Rec(1, 1, 2, 3, 4), Rec(5, 0, 6, 7, 8)});
    for (size_t cut : {1u, 13u, 14u, 15u, 27u}) {
        std::vector<TSnapshotRecord> got = DecodeSnapshot(std::string_view(two).substr(0, cut));
        EXPECT_EQ(got.size(), cut / 14) << cut;
        if (!got.empty()) {
            EXPECT_TRUE(SameRecord(got[0], Rec(1, 1, 2, 3, 4)));
        }
    }
}

TEST(SnapshotMatch, NeedsHandleProcessAndClassHash) {
    std::vector<TSnapshotRecord> recs = {Rec(100, 1, 2, 7, 0xAAAA), Rec(100, 0, 3, 8, 0xAAAA),
                                         Rec(100, 1, 4, 7, 0xAAAA)};
    TSnapshotRecord hit = FindSnapshotMatch(recs, 100, 7, 0xAAAA);
    EXPECT_EQ(hit.Desktop, 2) << "the first matching record wins";
    EXPECT_EQ(hit.Visible, 1);
    EXPECT_EQ(FindSnapshotMatch(recs, 100, 8, 0xAAAA).Desktop, 3);
    struct Key {
        uint32_t wnd, pid, hash;
    };
    for (Key k : {Key{101, 7, 0xAAAA}, Key{100, 9, 0xAAAA}, Key{100, 7, 0xAAAB}}) {
        TSnapshotRecord miss = FindSnapshotMatch(recs, k.wnd, k.pid, k.hash);
        EXPECT_EQ(miss.Desktop, 0);
        EXPECT_EQ(miss.Visible, 0);
    }
}

TEST(SnapshotMatch, DamagedRecordsMatchNothing) {
    // Desktops outside 1..9 would send a window where no switch ever shows it.
    for (int8_t desktop : {int8_t{0}, int8_t{10}, int8_t{127}, int8_t{-1}, int8_t{-128}}) {
        std::vector<TSnapshotRecord> recs = {Rec(100, 1, desktop, 7, 0xAAAA), Rec(100, 1, 5, 7, 0xAAAA)};
        EXPECT_EQ(FindSnapshotMatch(recs, 100, 7, 0xAAAA).Desktop, 5) << int{desktop};
        EXPECT_EQ(FindSnapshotMatch({recs[0]}, 100, 7, 0xAAAA).Desktop, 0) << int{desktop};
    }
    // A visible byte other than 0/1 reads as set.
    EXPECT_EQ(FindSnapshotMatch({Rec(100, 0xC3, 2, 7, 0xAAAA)}, 100, 7, 0xAAAA).Visible, 1);
}

TEST(SnapshotMatch, GarbageFileNeverCrashesOrGivesABadDesktop) {
    std::string garbage;
    uint32_t x = 12345;
    for (int i = 0; i < 14 * 500 + 9; ++i) {
        x = x * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(x >> 16));
    }
    std::vector<TSnapshotRecord> recs = DecodeSnapshot(garbage);
    ASSERT_EQ(recs.size(), 500u);
    for (const auto& r : recs) {
        TSnapshotRecord m = FindSnapshotMatch(recs, r.Wnd, r.ProcessId, r.ClassHash);
        EXPECT_TRUE(m.Desktop == 0 || IsUsableSnapshotRecord(m));
        if (IsUsableSnapshotRecord(r)) {
            EXPECT_NE(m.Desktop, 0);
        }
    }
}

// ------------------------------------------------ files in the data folder ----

// The form's save and load work on the real data folder of the test prefix;
// this keeps the files this test writes out of everyone else's way.
class DataFolderFiles : public ::testing::Test {
protected:
    void SetUp() override { Remove(); }
    void TearDown() override { Remove(); }
    static std::string SnapshotFile() { return GetDataFolder() + std::string(kSnapshotFileName); }
    static std::string StickyFile() { return GetDataFolder() + std::string(kStickyFileName); }
    static void Remove() {
        for (const std::string& f : {SnapshotFile(), StickyFile()}) {
            ::DeleteFileA(f.c_str());
            ::RemoveDirectoryA((f + ".new").c_str());
            ::DeleteFileA((f + ".new").c_str());
        }
    }
    static void WriteBytes(const std::string& path, const std::string& bytes) {
        framework::WriteFileReplacing(path, bytes);
    }
};

using e2e::OwnWindow;

TEST_F(DataFolderFiles, SaveWritesTheTableWithTheClassHashAndLoadReadsItBack) {
    OwnWindow win("SnapshotTestClass", WS_OVERLAPPED);
    ASSERT_TRUE(win.Handle());
    TfrmPTessarel form;
    TWindowRecord a;
    a.Wnd = TWindowRecord::WndFromHandle(win.Handle());
    a.Visible = 1;
    a.Desktop = 3;
    a.ProcessId = ::GetCurrentProcessId();
    TWindowRecord gone;
    gone.Wnd = 0x7FFF0001u;   // no such window: its class name is empty
    gone.Visible = 0;
    gone.Desktop = 2;
    gone.ProcessId = 99;
    form.FWindowTable = {a, gone};
    form.SaveSnapshot();

    std::vector<TSnapshotRecord> file = DecodeSnapshot(framework::ReadFileBytes(SnapshotFile()));
    ASSERT_EQ(file.size(), 2u);
    EXPECT_TRUE(SameRecord(file[0], Rec(a.Wnd, 1, 3, a.ProcessId, ClassNameHash("SnapshotTestClass"))));
    EXPECT_TRUE(SameRecord(file[1], Rec(gone.Wnd, 0, 2, 99, 0xEFCDAB89u)));

    // The next run finds the window by the class name the scan read.
    TfrmPTessarel next;
    next.LoadSnapshot();
    ASSERT_EQ(next.FSnapshot.size(), 2u);
    EXPECT_TRUE(SameRecord(next.FSnapshot[0], file[0]));
    next.IsUnmanagedWindow(win.Handle(), -1);
    TSnapshotRecord found = next.FindSnapshotRecord(win.Handle(), a.ProcessId);
    EXPECT_EQ(found.Desktop, 3);
    EXPECT_EQ(found.Visible, 1);
    EXPECT_EQ(next.FindSnapshotRecord(win.Handle(), a.ProcessId + 1).Desktop, 0);

    OwnWindow other("SnapshotOtherClass", WS_OVERLAPPED);
    next.IsUnmanagedWindow(other.Handle(), -1);
    EXPECT_EQ(next.FindSnapshotRecord(win.Handle(), a.ProcessId).Desktop, 0)
        << "the same handle and process with another class is a new window";
}

TEST_F(DataFolderFiles, LoadOfAMissingOrDamagedFile) {
    TfrmPTessarel form;
    form.FSnapshot = {Rec(1, 1, 1, 1, 1)};
    form.LoadSnapshot();
    EXPECT_TRUE(form.FSnapshot.empty()) << "a missing file is an empty snapshot";

    WriteBytes(SnapshotFile(), EncodeSnapshot({Rec(5, 1, 2, 6, 7), Rec(8, 1, 99, 9, 10)}) + "\x01\x02\x03"s);
    form.LoadSnapshot();
    ASSERT_EQ(form.FSnapshot.size(), 2u);
    EXPECT_EQ(FindSnapshotMatch(form.FSnapshot, 5, 6, 7).Desktop, 2);
    EXPECT_EQ(FindSnapshotMatch(form.FSnapshot, 8, 9, 10).Desktop, 0);
}

TEST_F(DataFolderFiles, AFailedSaveKeepsThePreviousSnapshot) {
    std::string previous = EncodeSnapshot({Rec(5, 1, 2, 6, 7)});
    WriteBytes(SnapshotFile(), previous);
    // The new file cannot be created where a folder of its name stands.
    ASSERT_TRUE(::CreateDirectoryA((SnapshotFile() + ".new").c_str(), nullptr));
    TfrmPTessarel form;
    TWindowRecord r;
    r.Wnd = 1;
    r.Desktop = 4;
    form.FWindowTable = {r};
    EXPECT_THROW(form.SaveSnapshot(), framework::Exception);
    EXPECT_EQ(framework::ReadFileBytes(SnapshotFile()), previous);
}

// ------------------------------------------------------------ text list ----

TEST(TRegStringList, StartsInFileModeUnderTheCurrentUser) {
    TRegStringList l;
    EXPECT_EQ(l.RootKey, HKEY_CURRENT_USER);
    EXPECT_FALSE(l.UseRegistry);
}

TEST(TRegStringList, FileRoundTrip) {
    std::string path = e2e::TempDir() + "list.txt";
    TRegStringList l;
    for (const char* s : {"NOTEPAD", "C:\\PROGRAM FILES\\APP.EXE", "", "CALC*"}) l.Add(s);
    l.SaveToFile(path);
    EXPECT_EQ(framework::ReadFileBytes(path), "NOTEPAD\r\nC:\\PROGRAM FILES\\APP.EXE\r\n\r\nCALC*\r\n");
    TRegStringList back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Items(), l.Items());
    EXPECT_THROW(back.LoadFromFile(e2e::TempDir() + "missing.txt"), framework::Exception);
}

class RegistryMode : public ::testing::Test {
protected:
    static constexpr const char* kKey = "Software\\TessarelTest\\RegStringList\\";
    void SetUp() override { framework::Registry().DeleteKey("Software\\TessarelTest"); }
    void TearDown() override { framework::Registry().DeleteKey("Software\\TessarelTest"); }
    static TRegStringList Make() {
        TRegStringList l;
        l.KeyPath = kKey;
        l.UseRegistry = true;
        return l;
    }
    static DWORD ValueType(const char* name, std::string* data = nullptr) {
        framework::Registry reg;
        if (!reg.OpenKeyReadOnly(kKey)) return REG_NONE;
        DWORD type = 0, size = 0;
        if (::RegQueryValueExA(reg.Key(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return REG_NONE;
        if (data) {
            data->assign(size, '\0');
            ::RegQueryValueExA(reg.Key(), name, nullptr, &type, reinterpret_cast<BYTE*>(data->data()), &size);
        }
        return type;
    }
};

TEST_F(RegistryMode, RoundTripThroughABinaryValueNamedAfterTheFilePart) {
    TRegStringList l = Make();
    for (const char* s : {"NOTEPAD", "\xC4PFEL", "CALC*"}) l.Add(s);
    l.SaveToFile("C:\\somewhere\\Tessareltop.pin");
    std::string data;
    EXPECT_EQ(ValueType("Tessareltop.pin", &data), static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(data, "NOTEPAD\r\n\xC4PFEL\r\nCALC*\r\n");
    EXPECT_EQ(::GetFileAttributesA("C:\\somewhere\\Tessareltop.pin"), INVALID_FILE_ATTRIBUTES);

    TRegStringList back = Make();
    back.Add("stale");
    back.LoadFromFile("D:\\elsewhere\\Tessareltop.pin");
    EXPECT_EQ(back.Items(), l.Items());
}

TEST_F(RegistryMode, MissingValueGivesAnEmptyList) {
    TRegStringList l = Make();
    l.Add("stale");
    l.LoadFromRegistry("absent");
    EXPECT_EQ(l.Count(), 0);
    EXPECT_TRUE(framework::Registry().KeyExists(kKey)) << "the key is created when missing";
}

TEST_F(RegistryMode, ValuesUpToTheLimitLoadAndLongerOnesAreRefused) {
    std::string line(98, 'X');   // 100 bytes with CR LF
    TRegStringList big = Make();
    for (size_t i = 0; i < TRegStringList::kMaxRegistryBytes / 100; ++i) big.Add(line);
    big.Add(std::string(TRegStringList::kMaxRegistryBytes % 100 - 2, 'Y'));
    ASSERT_EQ(big.Text().size(), TRegStringList::kMaxRegistryBytes);
    big.SaveToRegistry("big");
    TRegStringList back = Make();
    back.LoadFromRegistry("big");
    EXPECT_EQ(back.Items(), big.Items());

    // One byte more could not be read back: the save refuses it and the
    // stored value stays.
    big.Add("");
    EXPECT_THROW(big.SaveToRegistry("big"), framework::Exception);
    back.LoadFromRegistry("big");
    EXPECT_EQ(back.Count(), big.Count() - 1);

    // A longer value written by someone else is refused and the list kept.
    std::string huge(TRegStringList::kMaxRegistryBytes + 1, 'Z');
    framework::Registry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    ::RegSetValueExA(reg.Key(), "huge", 0, REG_BINARY, reinterpret_cast<const BYTE*>(huge.data()),
                     static_cast<DWORD>(huge.size()));
    reg.WriteString("text", "NOTEPAD");
    TRegStringList kept = Make();
    kept.Add("KEEP");
    EXPECT_THROW(kept.LoadFromRegistry("huge"), framework::Exception);
    EXPECT_THROW(kept.LoadFromRegistry("text"), framework::Exception);
    EXPECT_EQ(kept.Items(), std::vector<std::string>{"KEEP"});
}

TEST_F(RegistryMode, AKeyThatCannotBeOpened) {
    TRegStringList l = Make();
    l.RootKey = reinterpret_cast<HKEY>(static_cast<intptr_t>(0x7654321));   // no such root
    l.Add("KEEP");
    l.LoadFromRegistry("Tessareltop.pin");
    EXPECT_EQ(l.Items(), std::vector<std::string>{"KEEP"}) << "a key that cannot be opened loads nothing";
    EXPECT_THROW(l.SaveToRegistry("Tessareltop.pin"), framework::Exception) << "a save that cannot happen says so";
}

// ---------------------------------------------------------- sticky list ----

TEST(StickyList, ChangeRules) {
    struct Step {
        const char* name;
        bool add;
        bool changed;
        std::vector<std::string> after;
    };
    const Step steps[] = {
        {" \t ", true, false, {}},   // the name of a window that has gone
        {"  Notepad \t", true, true, {"NOTEPAD"}},
        {"NOTEPAD", true, false, {"NOTEPAD"}},
        {"notePad", true, false, {"NOTEPAD"}},
        {"c:\\Program Files\\App.exe", true, true, {"NOTEPAD", "C:\\PROGRAM FILES\\APP.EXE"}},
        {"\xE4pp", true, true, {"NOTEPAD", "C:\\PROGRAM FILES\\APP.EXE", "\xE4PP"}},   // only a-z change
        {"calc", false, false, {"NOTEPAD", "C:\\PROGRAM FILES\\APP.EXE", "\xE4PP"}},
        {" notepad", false, true, {"C:\\PROGRAM FILES\\APP.EXE", "\xE4PP"}},
        {"C:\\PROGRAM FILES\\APP.EXE", false, true, {"\xE4PP"}},
    };
    framework::StringList l;
    for (const auto& s : steps) {
        EXPECT_EQ(ChangeStickyList(l, s.name, s.add), s.changed) << s.name << (s.add ? " add" : " remove");
        EXPECT_EQ(l.Items(), s.after) << s.name;
    }
}

TEST(StickyList, RemoveDeletesEveryCopyAndLeavesSwitchedOffEntries) {
    framework::StringList l;
    l.SetText("NOTEPAD\r\nNOTEPAD*\r\nCALC\r\nNOTEPAD\r\n");
    EXPECT_TRUE(ChangeStickyList(l, "notepad", false));
    EXPECT_EQ(l.Items(), (std::vector<std::string>{"NOTEPAD*", "CALC"}));
    // A switched-off entry is no entry for its name.
    EXPECT_EQ(l.IndexOf("NOTEPAD"), -1);
    EXPECT_TRUE(ChangeStickyList(l, "notepad", true));
    EXPECT_EQ(l.Items(), (std::vector<std::string>{"NOTEPAD*", "CALC", "NOTEPAD"}));
}

TEST_F(DataFolderFiles, SetStickySavesEvenWhenNothingChanged) {
    TfrmPTessarel form;
    form.FStickyList = std::make_unique<TRegStringList>();
    form.SetSticky(" Notepad", true);
    EXPECT_EQ(framework::ReadFileBytes(StickyFile()), "NOTEPAD\r\n");

    // The file is rewritten from the list even for a name that is not in it.
    WriteBytes(StickyFile(), "SOMETHING ELSE\r\n");
    form.SetSticky("calc", false);
    EXPECT_EQ(framework::ReadFileBytes(StickyFile()), "NOTEPAD\r\n");

    form.SetSticky("NOTEPAD", false);
    EXPECT_EQ(framework::ReadFileBytes(StickyFile()), "");
}

TEST_F(DataFolderFiles, SetStickyTakesEffectForAWindowAlreadyAsked) {
    OwnWindow win("StickyCacheClass", WS_OVERLAPPED);
    TfrmPTessarel form;
    form.FStickyList = std::make_unique<TRegStringList>();
    EXPECT_FALSE(form.IsSticky(win.Handle()));
    form.SetSticky("StickyCacheClass", true);
    EXPECT_TRUE(form.IsSticky(win.Handle()));
    form.SetSticky("stickycacheclass", false);
    EXPECT_FALSE(form.IsSticky(win.Handle()));
    form.SetSticky("STICKYCACHECLASS*", true);
    EXPECT_FALSE(form.IsSticky(win.Handle())) << "a switched-off entry makes nothing sticky";
}

TEST_F(DataFolderFiles, SetStickyKeepsTheChangeWhenTheFileCannotBeWritten) {
    TfrmPTessarel form;
    form.FStickyList = std::make_unique<TRegStringList>();
    WriteBytes(StickyFile(), "OLD\r\n");
    ASSERT_TRUE(::CreateDirectoryA((StickyFile() + ".new").c_str(), nullptr));
    EXPECT_THROW(form.SetSticky("notepad", true), framework::Exception);
    EXPECT_EQ(form.FStickyList->Items(), std::vector<std::string>{"NOTEPAD"});
    EXPECT_EQ(framework::ReadFileBytes(StickyFile()), "OLD\r\n");
}

}  // namespace
}  // namespace engine
