// The desktop lock: digest, check against the stored digests, the prompt.
#include <gtest/gtest.h>
#include "engine/fpu_control.h"
#include <windows.h>
#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>
#include "framework/application.h"
#include "framework/dialogs.h"
#include "framework/registry.h"
#include "framework/timer.h"
#include "navigation/auth_pwd.h"
#include "navigation/chg_pwd.h"
#include "navigation/enter_pwd.h"
#include "navigation/lock_verifier.h"
#include "settings/store_values.h"
#include "settings/subsystem_links.h"
#include "settings/vd_config.h"
#include "support/registry_values.h"

using namespace std::string_literals;
using navigation::CheckLockPassword;
using navigation::HashLockPassword;
using Clock = std::chrono::steady_clock;

namespace {

// ------------------------------------------------------------- digest ----

struct DigestCase {
    const char* what;
    std::string password;
    const char* digest;
};

// Expected digests from a long-double computation of the algorithm as
// defined (x87, 64-bit mantissa, round to nearest).
std::string LongPassword() {
    std::string s;
    for (int i = 0; i < 250; ++i) s += "Tessarel"[i % 8];
    return s + "\x7F\x80\xFE";
}

const DigestCase kDigestCases[] = {
    {"empty: the constants alone", "", "6B2E91D43FA7C05B"},
    {"only blanks and control characters", "   \t\r\n", "6B2E91D43FA7C05B"},
    {"one character padded to a word", "a", "6BE198453F694554"},
    {"two characters", "ab", "7C843FBB280D76A9"},
    {"three characters", "abc", "6B39FCB03FB0ACB8"},
    {"exactly one word", "abcd", "6B2E86E53FA7D772"},
    {"five characters make two words", "abcde", "665DD93B32D50C73"},
    {"plain", "secret", "7F2E6FAD2BA72895"},
    {"surrounding blanks do not count", "  secret\t", "7F2E6FAD2BA72895"},
    {"inner blanks count", "sec ret", "6B3AD96D3FB38976"},
    {"bytes above 0x7F are unsigned and never trimmed", "\xE9t\xE9", "6B2768F63FAE3986"},
    {"the largest word", "\xFF\xFF\xFF\xFF", "6B2E98CC3FA7C94C"},
    {"ANSI letters", "p\xE4ssw\xF6rd!", "E52D3559B1A6CCFD"},
    {"an all-NUL word counts as the substitutes", "A\0\0\0\0\0\0\0B"s, "2D5FD6AB79D5490F"},
    {"long, ending in bytes around 0x80", LongPassword(), "418646DA150FEDF4"},
};

TEST(LockDigest, MatchesTheTable) {
    for (const auto& c : kDigestCases) {
        std::string d = HashLockPassword(c.password);
        EXPECT_EQ(d, c.digest) << c.what;
        EXPECT_TRUE(navigation::IsLockDigest(d)) << c.what;
    }
}

TEST(LockDigest, RecognisesOnlyItsOwnForm) {
    EXPECT_TRUE(navigation::IsLockDigest("0123456789ABCDEF"));
    for (const char* bad : {"", "0123456789abcdef", "0123456789ABCDE", "0123456789ABCDEF0", " 123456789ABCDEF",
                            "0123456789ABCDEG"})
        EXPECT_FALSE(navigation::IsLockDigest(bad)) << bad;
}

// The terms are defined in x87 extended precision under the control word
// $133F the main form sets; the unit computes them with integers. This
// compares the two on a sample.
using X87ControlWord = engine::FpuControlScope;

static_assert(sizeof(long double) == 16 && __LDBL_MANT_DIG__ == 64, "long double must be the x87 extended type");

uint64_t X87Truncate(long double v) { return static_cast<uint64_t>(static_cast<int64_t>(v)); }

uint64_t X87TermS1(uint32_t w) {
    volatile long double one = 1.0L, scale = 1e13L, divisor = static_cast<long double>(w == 0 ? 1977u : w);
    volatile long double quotient = one / divisor;
    volatile long double product = quotient * scale;
    return X87Truncate(product);
}

uint64_t X87TermS2(uint32_t w) {
    volatile long double one = 1.0L, scale = 1e12L, divisor = static_cast<long double>(w == 0 ? 195364u : w);
    volatile long double quotient = one / divisor;
    volatile long double product = quotient * scale;
    long double in = product, root;
    asm("fsqrt" : "=t"(root) : "0"(in));   // the processor's own square root, rounded to 64 bits
    volatile long double kept = root;
    return X87Truncate(kept);
}

std::vector<uint32_t> SampleWords() {
    std::vector<uint32_t> g = {0, 1, 2, 3, 7, 1977, 195364, 0xFFFFFFFFu, 0xFFFFFFFEu, 0x80000000u, 0x7FFFFFFFu};
    // Divisors of 10^12 and 10^13, exact quotients and perfect squares,
    // where a rounding slip would show as an off-by-one; and their neighbours.
    for (uint64_t a = 1; a <= 8192; a *= 2)
        for (uint64_t b = a; b <= 0xFFFFFFFFu; b *= 5)
            for (int d = -1; d <= 1; ++d)
                if (b + d >= 1 && b + d <= 0xFFFFFFFFu) g.push_back(static_cast<uint32_t>(b + d));
    for (uint32_t n = 1; n <= 1000000; n = n < 1000 ? n + 1 : n * 3 / 2) {   // near 10^12 / n^2
        uint64_t w = 1'000'000'000'000ull / (uint64_t{n} * n);
        if (w >= 1 && w <= 0xFFFFFFFFu) g.insert(g.end(), {static_cast<uint32_t>(w), static_cast<uint32_t>(w + 1)});
    }
    uint32_t x = 0x2545F491u;
    for (int i = 0; i < 20000; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        g.insert(g.end(), {x, x >> (i % 32)});
    }
    return g;
}

TEST(LockDigest, IntegerTermsEqualTheX87TermsUnder133F) {
    X87ControlWord cw(0x133F);
    ASSERT_EQ(engine::ReadFpuControlWord() & ~0x40, 0x133F) << "bit 6 is reserved and may read as set";
    for (uint32_t w : SampleWords()) {
        ASSERT_EQ(navigation::LockTermS1(w), X87TermS1(w)) << "word " << w;
        ASSERT_EQ(navigation::LockTermS2(w), X87TermS2(w)) << "word " << w;
    }
}

TEST(LockDigest, DoesNotDependOnTheControlWord) {
    std::vector<std::string> under133F, under27F;
    {
        X87ControlWord cw(0x133F);
        for (const auto& c : kDigestCases) under133F.push_back(HashLockPassword(c.password));
    }
    {
        X87ControlWord cw(0x027F);   // double precision, the usual start-up word of a 64-bit program
        for (const auto& c : kDigestCases) under27F.push_back(HashLockPassword(c.password));
    }
    EXPECT_EQ(under133F, under27F);
}

// --------------------------------------------------------------- check ----

// Writes the lock values for a test and puts back what was there.
class LockValuesScope : public e2e::RegistryValuesScope {
public:
    LockValuesScope()
        : RegistryValuesScope({navigation::kLocalDigestValue, navigation::kGlobalDigestValue, navigation::kVerifierValue}) {}
};

struct MessageBoxLog {
    struct Box {
        std::string text, caption;
        UINT flags;
    };
    std::vector<Box> boxes;
    std::function<void()> onBox;
    MessageBoxLog() {
        framework::SetMessageBoxAnswerer([this](HWND, std::string_view text, std::string_view caption, UINT flags) {
            boxes.push_back({std::string(text), std::string(caption), flags});
            if (onBox) onBox();
            return IDOK;
        });
    }
    ~MessageBoxLog() { framework::SetMessageBoxAnswerer({}); }
};

std::optional<std::string> Digest(std::string_view pw) { return HashLockPassword(pw); }

struct CheckCase {
    const char* what;
    std::optional<std::string> local, global;
    std::string typed;
    bool accepted;
};

TEST(CheckLockPassword, ComparesWithTheLocalThenTheGlobalDigest) {
    LockValuesScope scope;
    MessageBoxLog log;
    const CheckCase cases[] = {
        {"the local digest", Digest("open sesame"), std::nullopt, "open sesame", true},
        {"surrounding blanks of the typed text do not count", Digest("open sesame"), std::nullopt, " open sesame\t",
         true},
        {"only the global digest matches", Digest("other"), Digest("open sesame"), "open sesame", true},
        {"the global digest alone, no local value", std::nullopt, Digest("open sesame"), "open sesame", true},
        {"a wrong password", Digest("open sesame"), Digest("global"), "open sesam", false},
        {"no values at all", std::nullopt, std::nullopt, "open sesame", false},
        {"no values, nothing typed", std::nullopt, std::nullopt, "", false},
        {"empty values, nothing typed", ""s, ""s, "", false},
        {"a stored digest of the empty password never opens", Digest(""), Digest(""), "  ", false},
        {"a digest in lower case is damaged", "7f2e6fad2ba72895"s, std::nullopt, "secret", false},
        {"a digest with a trailing blank is damaged", "7F2E6FAD2BA72895 "s, std::nullopt, "secret", false},
        {"the plain password stored is no digest", "secret"s, "secret"s, "secret", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LockValuesScope::Set(navigation::kLocalDigestValue, c.local);
        LockValuesScope::Set(navigation::kGlobalDigestValue, c.global);
        EXPECT_EQ(CheckLockPassword(c.typed, true), c.accepted);
        EXPECT_EQ(LockValuesScope::Get(navigation::kLocalDigestValue), c.local) << "the check only reads";
        EXPECT_EQ(LockValuesScope::Get(navigation::kGlobalDigestValue), c.global) << "the check only reads";
    }
    EXPECT_TRUE(log.boxes.empty()) << "a silent check shows nothing";
}

TEST(CheckLockPassword, AValueOfAnotherTypeNeverMatches) {
    LockValuesScope scope;
    framework::Registry reg;
    ASSERT_TRUE(reg.OpenKey(settings::kSettingsKey, true));
    reg.WriteInteger(navigation::kLocalDigestValue, 0);
    EXPECT_FALSE(CheckLockPassword("", true));
    EXPECT_FALSE(settings::links::LockPasswordSet());
}

TEST(CheckLockPassword, StoreThenCheck) {
    LockValuesScope scope;
    EXPECT_FALSE(settings::links::LockPasswordSet());
    navigation::StoreLockPassword("  open sesame ");
    EXPECT_EQ(navigation::ReadLockValue(navigation::kLocalDigestValue), HashLockPassword("open sesame"));
    EXPECT_FALSE(LockValuesScope::Get(navigation::kGlobalDigestValue)) << "nothing writes the global digest";
    EXPECT_TRUE(settings::links::LockPasswordSet());
    EXPECT_TRUE(CheckLockPassword("open sesame", true));
}

TEST(CheckLockPassword, AFailureTellsUnlessSilentAndPausesWhileTheProgramRuns) {
    LockValuesScope scope;
    LockValuesScope::Set(navigation::kLocalDigestValue, Digest("open sesame"));
    MessageBoxLog log;
    for (bool silent : {true, false}) {
        SCOPED_TRACE(silent ? "silent" : "not silent");
        log.boxes.clear();
        int ticks = 0;
        framework::Timer t(50, [&] { ++ticks; });
        auto start = Clock::now();
        EXPECT_FALSE(CheckLockPassword("wrong", silent));
        auto elapsed = Clock::now() - start;
        EXPECT_GE(elapsed, std::chrono::milliseconds(1000));
        EXPECT_GE(ticks, 5) << "timers keep running during the pause";
        if (silent) {
            EXPECT_TRUE(log.boxes.empty());
        } else {
            ASSERT_EQ(log.boxes.size(), 1u);
            EXPECT_EQ(log.boxes[0].text, "Password is invalid! Try again!");
            EXPECT_EQ(log.boxes[0].caption, "Warning");
            EXPECT_EQ(log.boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
        }
    }
}

TEST(CheckLockPassword, ACheckStartedDuringThePauseWaitsForItsEnd) {
    LockValuesScope scope;
    LockValuesScope::Set(navigation::kLocalDigestValue, Digest("open sesame"));
    std::optional<bool> inner;
    Clock::duration innerDone{};
    auto start = Clock::now();
    framework::Timer t(100, [&] {
        if (inner) return;
        inner = false;   // not re-entered while its own check pumps
        inner = CheckLockPassword("open sesame", true);
        innerDone = Clock::now() - start;
    });
    EXPECT_FALSE(CheckLockPassword("guess", true));
    ASSERT_TRUE(inner.has_value());
    EXPECT_TRUE(*inner);
    EXPECT_GE(innerDone, std::chrono::milliseconds(1000)) << "no second attempt inside the pause";
}

// -------------------------------------------------------------- prompt ----

constexpr char kRight[] = "open sesame";

class PromptTest : public ::testing::Test {
protected:
    LockValuesScope values;
    MessageBoxLog boxes;

    void SetUp() override {
        LockValuesScope::Set(navigation::kLocalDigestValue, Digest(kRight));
        auto& app = framework::App();
        framework::Form* before = app.MainForm();
        app.CreateForm(navigation::frmEnterPwd);
        app.SetMainForm(before);
    }
    void TearDown() override {
        if (navigation::frmEnterPwd) framework::App().FreeForm(navigation::frmEnterPwd);
        framework::App().ClearTerminated();
    }
    navigation::TfrmEnterPwd& Prompt() { return *navigation::frmEnterPwd; }

    void Type(std::string_view text) {
        HWND edit = Prompt().edPwd.Handle();
        ::PostMessageA(edit, EM_SETSEL, 0, -1);
        for (char c : text) ::PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    static void Click(const toolkit::TRotButton& b) {
        ::PostMessageA(b.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::PostMessageA(b.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    void Key(WPARAM vk) { ::PostMessageA(Prompt().edPwd.Handle(), WM_KEYDOWN, vk, 1); }
};

TEST_F(PromptTest, LooksAsItShould) {
    auto& p = Prompt();
    EXPECT_FALSE(p.Visible()) << "created hidden";
    EXPECT_EQ(p.Caption(), "Enter password");
    EXPECT_EQ(p.Style() & WS_SYSMENU, 0u) << "no close button";
    EXPECT_EQ(p.lbReason.Caption(), "You must enter your desktop lock password to proceed!");
    EXPECT_EQ(::SendMessageA(p.edPwd.Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
    for (auto* b : {&p.btnOK, &p.btnCancel}) {
        char cls[64] = {};
        ::GetClassNameA(b->Handle(), cls, sizeof cls);
        EXPECT_STREQ(cls, "TRotButton");
    }
    EXPECT_EQ(p.btnOK.Caption(), "OK");
    EXPECT_EQ(p.btnCancel.Caption(), "Cancel");
}

struct PromptCase {
    const char* what;
    std::string typed;
    enum class End { OK, Enter, Cancel, Esc, Close } end;
    bool result;
};

TEST_F(PromptTest, AnswersByHowItEnded) {
    using End = PromptCase::End;
    const PromptCase cases[] = {
        {"right password, OK", kRight, End::OK, true},
        {"right password, Enter", kRight, End::Enter, true},
        {"right password, Cancel", kRight, End::Cancel, false},
        {"right password, Esc", kRight, End::Esc, false},
        {"right password, closed by the window system", kRight, End::Close, false},
        {"nothing typed, Cancel", "", End::Cancel, false},
    };
    auto& p = Prompt();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Type(c.typed);
        switch (c.end) {
        case End::OK: Click(p.btnOK); break;
        case End::Enter: Key(VK_RETURN); break;
        case End::Cancel: Click(p.btnCancel); break;
        case End::Esc: Key(VK_ESCAPE); break;
        case End::Close: ::PostMessageA(p.Handle(), WM_CLOSE, 0, 0); break;
        }
        EXPECT_EQ(p.AskLockPassword("You must enter your desktop lock password to unify desktops!"), c.result);
        EXPECT_FALSE(p.Visible());
        EXPECT_EQ(p.lbReason.Caption(), "You must enter your desktop lock password to unify desktops!");
        EXPECT_EQ(p.edPwd.Text(), "") << "the typed text does not outlive the prompt";
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PromptTest, AWrongPasswordKeepsThePromptOpenUntilTheRightOne) {
    auto& p = Prompt();
    std::vector<std::string> textsAtBox;
    std::vector<bool> visibleAtBox;
    boxes.onBox = [&] {
        textsAtBox.push_back(p.edPwd.Text());
        visibleAtBox.push_back(p.Visible());
        if (boxes.boxes.size() == 1) {
            Type("still wrong");
            Key(VK_RETURN);
        } else {
            Type(kRight);
            Click(p.btnOK);
        }
    };
    Type("wrong");
    Click(p.btnOK);
    auto start = Clock::now();
    EXPECT_TRUE(p.AskLockPassword("reason"));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(2000)) << "each failure pauses";
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, "Password is invalid! Try again!");
    EXPECT_EQ(textsAtBox, (std::vector<std::string>{"wrong", "still wrong"}));
    EXPECT_EQ(visibleAtBox, (std::vector<bool>{true, true}));
    EXPECT_FALSE(p.Visible());
}

TEST_F(PromptTest, WithoutAPasswordSetOnlyCancelEndsIt) {
    values.Clear();
    auto& p = Prompt();
    boxes.onBox = [&] { Click(p.btnCancel); };
    Type("");
    Click(p.btnOK);
    EXPECT_FALSE(p.AskLockPassword("reason"));
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(PromptTest, ASecondActionWhileOpenIsRefusedAndTheOpenPromptGoesOn) {
    auto& p = Prompt();
    std::optional<bool> second;
    std::string reasonAfter;
    framework::Timer t(50, [&] {
        if (second) return;
        second = p.AskLockPassword("second");
        reasonAfter = p.lbReason.Caption();
        Type(kRight);
        Click(p.btnOK);
    });
    EXPECT_TRUE(p.AskLockPassword("first"));
    ASSERT_TRUE(second.has_value());
    EXPECT_FALSE(*second);
    EXPECT_EQ(reasonAfter, "first") << "the open prompt keeps its caller's reason";
}

TEST_F(PromptTest, TheWaitEndsWhenTheProgramTerminates) {
    auto& p = Prompt();
    int ticks = 0;
    framework::Timer t(50, [&] {
        if (++ticks == 1) {
            Type(kRight);
            framework::App().Terminate();
        } else if (ticks == 40) {
            Click(p.btnCancel);   // a prompt that missed the exit would wait here for ever
        }
    });
    auto start = Clock::now();
    EXPECT_FALSE(p.AskLockPassword("reason")) << "an exit counts as Cancel";
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500)) << "ended by the exit, not by the Cancel";
    EXPECT_FALSE(p.Visible());
}

TEST_F(PromptTest, TheSettingsDialogAsksThroughThePrompt) {
    auto& p = Prompt();
    Type(kRight);
    Click(p.btnOK);
    EXPECT_TRUE(settings::links::AskLockPassword("Enter your desktop lock password to unlock desktop(s)!"));
    EXPECT_TRUE(settings::links::LockPasswordSet());
}

}  // namespace

// ------------------------------------------------------------ verifier ----

// The stored digest adds the terms of each 4-byte group, so the groups'
// order is lost: these two share a digest, and the digest alone would take
// either for the other.
constexpr char kStoredPassword[] = "abcdefgh";
constexpr char kSameDigest[] = "efghabcd";

TEST(LockVerifier, TheDigestAloneTakesOtherPasswords) {
    EXPECT_EQ(HashLockPassword(kStoredPassword), HashLockPassword(kSameDigest));
}

TEST(LockVerifier, StoredBesideTheDigestItAloneDecides) {
    LockValuesScope scope;
    navigation::StoreLockPassword(kStoredPassword);
    EXPECT_EQ(LockValuesScope::Get(navigation::kLocalDigestValue), HashLockPassword(kStoredPassword))
        << "the digest keeps its stored form";
    const auto verifier = navigation::ParseLockVerifier(LockValuesScope::Get(navigation::kVerifierValue).value_or(""));
    ASSERT_TRUE(verifier.has_value());
    EXPECT_EQ(verifier->Digest, HashLockPassword(kStoredPassword));
    EXPECT_TRUE(navigation::LockPasswordMatches(kStoredPassword));
    EXPECT_TRUE(navigation::LockPasswordMatches("  abcdefgh\t")) << "surrounding blanks do not count";
    EXPECT_FALSE(navigation::LockPasswordMatches(kSameDigest));
    EXPECT_FALSE(navigation::LockPasswordMatches(""));
}

TEST(LockVerifier, ADigestOfAnOlderInstallationGetsItsVerifierAtTheFirstRightEntry) {
    LockValuesScope scope;
    LockValuesScope::Set(navigation::kLocalDigestValue, Digest(kStoredPassword));
    EXPECT_FALSE(navigation::LockPasswordMatches("wrong"));
    EXPECT_FALSE(LockValuesScope::Get(navigation::kVerifierValue)) << "a wrong entry writes nothing";
    EXPECT_TRUE(navigation::LockPasswordMatches(kStoredPassword));
    EXPECT_TRUE(LockValuesScope::Get(navigation::kVerifierValue)) << "the right one writes the verifier";
    EXPECT_EQ(LockValuesScope::Get(navigation::kLocalDigestValue), Digest(kStoredPassword));
    EXPECT_FALSE(navigation::LockPasswordMatches(kSameDigest)) << "from now on the verifier decides";
    EXPECT_TRUE(navigation::LockPasswordMatches(kStoredPassword));
}

TEST(LockVerifier, AVerifierThatIsNotTheDigestsHasNoSay) {
    LockValuesScope scope;
    navigation::StoreLockPassword("old password");
    // Another installation stored a new digest and knew nothing of the verifier.
    LockValuesScope::Set(navigation::kLocalDigestValue, Digest("new password"));
    EXPECT_FALSE(navigation::LockPasswordMatches("old password"));
    EXPECT_TRUE(navigation::LockPasswordMatches("new password"));
    EXPECT_FALSE(navigation::LockPasswordMatches("old password")) << "and the new one has its verifier";
}

TEST(LockVerifier, ReadsOnlyItsOwnForm) {
    navigation::TLockVerifier v = navigation::MakeLockVerifier("secret", navigation::kMinVerifierIterations);
    v.Digest = HashLockPassword("secret");
    const std::string good = navigation::FormatLockVerifier(v);
    const auto back = navigation::ParseLockVerifier(good);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->Iterations, v.Iterations);
    EXPECT_EQ(back->Salt, v.Salt);
    EXPECT_EQ(back->Key, v.Key);
    EXPECT_TRUE(navigation::VerifierAccepts(*back, "secret"));
    EXPECT_FALSE(navigation::VerifierAccepts(*back, "secreT"));

    const size_t saltAt = good.find('$', good.find('$') + 1) + 1;
    std::string upperSalt = good;
    upperSalt[saltAt] = 'A';   // the stored form is lower case
    const std::string bad[] = {
        "",
        good + "$",
        good + "0",
        good.substr(0, good.size() - 1),
        "pbkdf2-sha1" + good.substr(good.find('$')),
        "pbkdf2-sha256$999" + good.substr(good.find('$', good.find('$') + 1)),
        "pbkdf2-sha256$5000001" + good.substr(good.find('$', good.find('$') + 1)),
        "pbkdf2-sha256$01000" + good.substr(good.find('$', good.find('$') + 1)),
        "pbkdf2-sha256$-1000" + good.substr(good.find('$', good.find('$') + 1)),
        upperSalt,
    };
    for (const auto& text : bad) EXPECT_FALSE(navigation::ParseLockVerifier(text).has_value()) << text;
}

// -------------------------------------------------------- password change ----

TEST(PasswordChange, ChecksInTheirOrder) {
    const auto kNotIdentical = navigation::change_texts::kNotIdentical;
    const auto kTooShort = navigation::change_texts::kTooShort;
    const auto kTooLong = navigation::change_texts::kTooLong;
    const auto kWrongCurrent = navigation::change_texts::kWrongCurrent;
    struct Case {
        const char* what;
        std::string typed, repeated;
        bool set, currentRight;
        std::vector<std::string_view> faults;
    } cases[] = {
        {"three characters, repeated", "abc", "abc", false, false, {kTooShort}},
        {"four characters, a different repeat", "abcd", "abce", false, false, {kNotIdentical}},
        {"both faults in one pass", "abc", "abd", false, false, {kNotIdentical, kTooShort}},
        {"four characters within blanks", "  abcd  ", "  abcd  ", false, false, {}},
        {"three characters within blanks", "  abc  ", "  abc  ", false, false, {kTooShort}},
        {"blanks only", "     ", "     ", false, false, {kTooShort}},
        {"twenty characters, the cover's longest", std::string(20, 'x'), std::string(20, 'x'), false, false, {}},
        {"twenty-one characters the cover could never take", std::string(21, 'x'), std::string(21, 'x'), false,
         false, {kTooLong}},
        {"the first password: no current one is asked", "abcd", "abcd", false, false, {}},
        {"a wrong current password", "abcd", "abcd", true, false, {kWrongCurrent}},
        {"the right current password", "abcd", "abcd", true, true, {}},
        {"every fault", "ab", "cd", true, false, {kNotIdentical, kTooShort, kWrongCurrent}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int checks = 0;
        const auto faults = navigation::PasswordChangeFaults(c.typed, c.repeated, c.set, [&] {
            ++checks;
            return c.currentRight;
        });
        EXPECT_EQ(faults, c.faults);
        EXPECT_EQ(checks, c.set ? 1 : 0);
    }
}

// ------------------------------------------------------------ lock cover ----

TEST(LockCover, GoBackLeadsToADesktopThatIsNotTheCoveredOne) {
    struct Case {
        const char* what;
        int previous, current, count;
        std::set<int> privates;
        int target;
    } cases[] = {
        {"the previous desktop", 3, 2, 4, {2}, 3},
        {"the previous desktop, though private", 3, 2, 4, {2, 3}, 3},
        {"desktop 1 private at start: the first public one", 1, 1, 4, {1, 2}, 3},
        {"a previous desktop outside the grid", 7, 2, 4, {2}, 1},
        {"every desktop private: the cover stays", 1, 1, 4, {1, 2, 3, 4}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(navigation::GoBackTarget(c.previous, c.current, c.count, [&](int d) { return c.privates.count(d) != 0; }),
                  c.target);
    }
}

// The password-change dialog as the user fills it in: a timer answers each
// showing with the next entries, and the message boxes are recorded.
class ChangeDialogTest : public ::testing::Test {
protected:
    LockValuesScope values;
    MessageBoxLog boxes;

    struct Pass {
        std::string current, typed, repeated;
        bool ok;
        bool currentRowShown = false;   // what the showing offered
    };
    std::vector<Pass> passes;
    size_t shown = 0;

    void SetUp() override {
        auto& app = framework::App();
        framework::Form* before = app.MainForm();
        app.CreateForm(navigation::frmChgPwd);
        app.SetMainForm(before);
        // A showing is answered once; the click, when handled, readies the
        // answer of the next showing, which may follow without a tick between.
        auto& d = *navigation::frmChgPwd;
        for (auto* b : {&d.btnOK, &d.btnCancel})
            b->OnClick = [this, click = b->OnClick] {
                answered_ = false;
                click();
            };
    }
    bool answered_ = false;
    void TearDown() override {
        if (navigation::frmChgPwd) framework::App().FreeForm(navigation::frmChgPwd);
        framework::App().ClearTerminated();
    }
    bool Run() {
        auto& d = *navigation::frmChgPwd;
        answered_ = false;
        framework::Timer t(30, [&] {
            if (!d.Visible() || d.ModalResult != framework::mrNone || answered_ || shown >= passes.size()) return;
            answered_ = true;
            Pass& p = passes[shown++];
            p.currentRowShown = d.pnHide.Visible() && d.edPwd.Enabled();
            d.edPwd.SetText(p.current);
            d.edNewPwd1.SetText(p.typed);
            d.edNewPwd2.SetText(p.repeated);
            ::PostMessageA((p.ok ? d.btnOK : d.btnCancel).Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            ::PostMessageA((p.ok ? d.btnOK : d.btnCancel).Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        });
        return navigation::ChangeLockPassword();
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const auto& b : boxes.boxes) out.push_back(b.text);
        return out;
    }
};

TEST_F(ChangeDialogTest, TheFirstPasswordAsksNoCurrentOneAndComesBackUntilTheEntriesPass) {
    passes = {{"", "abc", "abd", true}, {"", "  new one ", "  new one ", true}};
    EXPECT_TRUE(Run());
    ASSERT_EQ(shown, 2u);
    EXPECT_FALSE(passes[0].currentRowShown) << "no password yet: the current-password row is hidden";
    EXPECT_EQ(Texts(), (std::vector<std::string>{std::string(navigation::change_texts::kNotIdentical),
                                                 std::string(navigation::change_texts::kTooShort),
                                                 "Password successfully stored."}));
    EXPECT_EQ(boxes.boxes.back().caption, "Info");
    EXPECT_EQ(boxes.boxes[0].caption, "Warning");
    EXPECT_EQ(LockValuesScope::Get(navigation::kLocalDigestValue), Digest("new one"));
    EXPECT_TRUE(navigation::LockPasswordMatches("new one"));
    EXPECT_EQ(navigation::frmChgPwd->edNewPwd1.Text(), "") << "nothing typed outlives the dialog";
}

TEST_F(ChangeDialogTest, AChangeNeedsTheCurrentPasswordAndCancelKeepsIt) {
    navigation::StoreLockPassword("old password");
    passes = {{"wrong", "new password", "new password", true}, {"", "", "", false}};
    EXPECT_FALSE(Run());
    ASSERT_EQ(shown, 2u);
    EXPECT_TRUE(passes[0].currentRowShown);
    EXPECT_EQ(Texts(), (std::vector<std::string>{std::string(navigation::change_texts::kWrongCurrent)}));
    EXPECT_TRUE(navigation::LockPasswordMatches("old password"));

    boxes.boxes.clear();
    passes = {{"old password", "new password", "new password", true}};
    shown = 0;
    EXPECT_TRUE(Run());
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Password successfully stored."}));
    EXPECT_TRUE(navigation::LockPasswordMatches("new password"));
    EXPECT_FALSE(navigation::LockPasswordMatches("old password"));
}
