// Event bubbles: which desktop an event names, where bubbles stack, how they
// fade, and what their buttons do.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <algorithm>
#include "log_fixture.h"

using namespace navigation;
using logtest::AlphaOf;
using logtest::OnlyBubble;

TEST(BubbleRules, EventDesktopIsTheCharacterAfterTheFirstDesktopMark) {
    struct { const char* text; int desktop; } cases[] = {
        {"[12:00] switched to desktop #3 via hotkey", 3},
        {"[12:00] Window sent to desktop #7", 7},
        {"desktop #2 and then desktop #5", 2},
        {"desktop #12", 1},
        {"desktop #x", 8},            // the low four bits of any character
        {"desktop #", 0},             // nothing after the mark
        {"Desktop #3", 0},            // the mark is case-sensitive
        {"switch to desktop located to the right via hotkey", 0},
        {"", 0},
    };
    for (auto c : cases) EXPECT_EQ(ParseEventDesktop(c.text), c.desktop) << c.text;
}

TEST(BubbleRules, BubblesStackAwayFromTheTaskbarCorner) {
    const int W = 1024, H = 768, w = 358, h = 78;
    const RECT bottom{0, 738, 1024, 768}, top{0, 0, 1024, 30}, left{0, 0, 60, 768}, right{964, 0, 1024, 768};
    struct { UINT edge; RECT tb; int i; LONG x, y; } cases[] = {
        {ABE_BOTTOM, bottom, 0, 666, 660},
        {ABE_BOTTOM, bottom, 1, 666, 580},
        {ABE_BOTTOM, bottom, 8, 666, 20},     // nine per column
        {ABE_BOTTOM, bottom, 9, 306, 660},    // the tenth starts a column 360 to the left
        {ABE_TOP, top, 0, 642, 30},
        {ABE_TOP, top, 10, 282, 110},
        {ABE_LEFT, left, 0, 60, 690},
        {ABE_LEFT, left, 9, 420, 690},
        {ABE_RIGHT, right, 0, 606, 690},
        {ABE_RIGHT, right, 2, 606, 530},
    };
    for (auto c : cases) {
        auto at = BubblePosition(c.edge, c.tb, W, H, w, h, c.i);
        ASSERT_TRUE(at) << c.edge << " " << c.i;
        EXPECT_EQ(at->x, c.x) << "edge " << c.edge << " bubble " << c.i;
        EXPECT_EQ(at->y, c.y) << "edge " << c.edge << " bubble " << c.i;
    }
    EXPECT_FALSE(BubblePosition(7, bottom, W, H, w, h, 0));
    // A screen too low for one row still places bubbles, one per column.
    auto tiny = BubblePosition(ABE_BOTTOM, RECT{0, 70, 400, 100}, 400, 100, w, h, 2);
    ASSERT_TRUE(tiny);
    EXPECT_EQ(tiny->x, 400 - w - 2 * 360);
}

TEST(BubbleRules, TheLastSecondFades) {
    struct { int life; int alpha; } cases[] = {
        {100, 240}, {50, 240}, {11, 240}, {10, 240}, {9, 230}, {5, 190}, {1, 150}, {0, -1}, {-1, -1}, {101, -1},
    };
    for (auto c : cases) {
        auto a = BubbleOpacity(c.life);
        EXPECT_EQ(a ? int(*a) : -1, c.alpha) << c.life;
    }
}

namespace {

struct BubbleFixture : logtest::LogFixture {
    // The pointer moves through the X server: wait until it has settled there.
    static void MoveCursor(int x, int y) {
        int steady = 0;
        for (int i = 0; i < 100 && steady < 5; ++i) {
            POINT p{};
            ::GetCursorPos(&p);
            if (p.x == x && p.y == y) {
                ++steady;
            } else {
                steady = 0;
                ::SetCursorPos(x, y);
            }
            ::Sleep(10);
        }
    }
    void CursorInside(TfrmBubble* b) {
        RECT r = b->BoundsRect();
        MoveCursor((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void CursorAway(TfrmBubble* b) {
        RECT r = b->BoundsRect();
        MoveCursor(r.left > 200 ? 10 : r.right + 100, 10);
    }
};

}  // namespace

TEST_F(BubbleFixture, ABubbleOfTheNewestLineCanFollowItsDesktop) {
    Log().InsertLine("[12:00] Window Notepad {Notepad} sent to desktop #3");
    ShowBubble({});
    TfrmBubble* b = OnlyBubble();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->lbText.Caption(), "[12:00] Window Notepad {Notepad} sent to desktop #3");
    EXPECT_EQ(b->FEventDesktop, 3);
    EXPECT_TRUE(b->sbFollow.Enabled());
    EXPECT_EQ(b->FLife, kBubbleLife);
    EXPECT_EQ(AlphaOf(b->Handle()), 240);
    EXPECT_EQ(b->ExStyle() & (WS_EX_LAYERED | WS_EX_TOOLWINDOW), DWORD(WS_EX_LAYERED | WS_EX_TOOLWINDOW));
    EXPECT_EQ(b->ClientWidth(), 358);
    EXPECT_EQ(b->ClientHeight(), 78);
    EXPECT_TRUE(b->tBubble.Enabled());
    EXPECT_EQ(b->tBubble.Interval(), 100u);

    HWND target = reinterpret_cast<HWND>(0x1234);
    b->FEventWindow = target;
    b->sbFollowClick();
    EXPECT_EQ(main->FLastActiveWindow[3], target);
    b->FEventDesktop = 12;   // out of the range of desktops: the last one's slot
    b->sbFollowClick();
    EXPECT_EQ(main->FLastActiveWindow[9], target);
}

TEST_F(BubbleFixture, GivenTextOrAnEmptyLogLeavesSwitchToEventDisabled) {
    ShowBubble("Virtual desktop engine successfully started! Have a good time!");
    ShowBubble({});   // the log is empty
    auto bubbles = logtest::BubbleForms();
    ASSERT_EQ(bubbles.size(), 2u);
    for (TfrmBubble* b : bubbles) {
        EXPECT_EQ(b->FEventDesktop, 0);
        EXPECT_FALSE(b->sbFollow.Enabled());
        EXPECT_TRUE(b->Visible());
    }
    std::vector<std::string> texts = {bubbles[0]->lbText.Caption(), bubbles[1]->lbText.Caption()};
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts[0], "");
    EXPECT_EQ(texts[1], "Virtual desktop engine successfully started! Have a good time!");
}

TEST_F(BubbleFixture, ASecondBubbleStacksOneRowAboveTheFirst) {
    ShowBubble("first");
    auto first = logtest::BubbleForms();
    ASSERT_EQ(first.size(), 1u);
    ShowBubble("second");
    TfrmBubble* second = nullptr;
    for (TfrmBubble* b : logtest::BubbleForms())
        if (b != first[0]) second = b;
    ASSERT_NE(second, nullptr);

    APPBARDATA abd{sizeof abd};
    ASSERT_TRUE(::SHAppBarMessage(ABM_GETTASKBARPOS, &abd));
    auto want = BubblePosition(abd.uEdge, abd.rc, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                               358, 78, 0);
    ASSERT_TRUE(want);
    EXPECT_EQ(first[0]->Left(), want->x);
    EXPECT_EQ(first[0]->Top(), want->y);
    EXPECT_EQ(second->Left(), first[0]->Left());
    EXPECT_EQ(std::abs(second->Top() - first[0]->Top()), kBubbleRowPitch);
}

TEST_F(BubbleFixture, UnderTheMouseItStaysAndAwayItFadesOverItsLastSecond) {
    ShowBubble("fading");
    TfrmBubble* b = OnlyBubble();
    ASSERT_NE(b, nullptr);

    CursorInside(b);
    for (int i = 0; i < 120; ++i) b->tBubbleTimer();
    EXPECT_EQ(b->FLife, kBubbleLife);
    EXPECT_TRUE(b->Visible());
    EXPECT_EQ(AlphaOf(b->Handle()), 240);

    CursorAway(b);
    std::vector<int> alphas;
    for (int i = 0; i < kBubbleLife && b->Visible(); ++i) {
        b->tBubbleTimer();
        alphas.push_back(AlphaOf(b->Handle()));
    }
    ASSERT_EQ(alphas.size(), size_t(kBubbleLife));
    for (int i = 0; i < 41; ++i) EXPECT_EQ(alphas[i], 240) << "tick " << i + 1;
    for (int i = 41; i < 50; ++i) EXPECT_EQ(alphas[i], 240 - (i - 40) * 10) << "tick " << i + 1;
    EXPECT_FALSE(b->Visible());
    EXPECT_FALSE(b->tBubble.Enabled());
    EXPECT_TRUE(b->Finished());
    ASSERT_EQ(main->FBubbles.size(), 1u);   // handed to the main form to be freed
    EXPECT_EQ(main->FBubbles[0].get(), b);
}

TEST_F(BubbleFixture, CloseHidesAtTheNextTickEvenUnderTheMouseAndStopsTheTimer) {
    ShowBubble("closing");
    TfrmBubble* b = OnlyBubble();
    ASSERT_NE(b, nullptr);
    CursorInside(b);
    b->btnCloseClick();
    EXPECT_TRUE(b->Visible());
    b->tBubbleTimer();
    EXPECT_FALSE(b->Visible());
    EXPECT_FALSE(b->tBubble.Enabled());   // or the engine could never free it
    EXPECT_TRUE(b->Finished());
    b->tBubbleTimer();
    ASSERT_EQ(main->FBubbles.size(), 1u);
}

TEST_F(BubbleFixture, AClickOnTheTextShowsTheLog) {
    ShowBubble("click me");
    TfrmBubble* b = OnlyBubble();
    ASSERT_NE(b, nullptr);
    ASSERT_FALSE(Log().Visible());
    HWND text = b->lbText.Handle();
    ::SendMessageA(text, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageA(text, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(Log().Visible());
    Log().Hide();
}
