// The icon list: its "Icons" stream survives a round trip entry by entry,
// untrustworthy streams are refused, and changes are announced once per
// update.
#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include "framework/guard.h"
#include "framework/string_list.h"
#include "support/e2e.h"
#include "toolkit/icon_list.h"

using toolkit::TIcon;
using toolkit::TIconList;

namespace {

// A 16 x 16 icon of one colour with a transparent corner.
HICON MakeIcon(COLORREF colour) {
    HDC screen = ::GetDC(nullptr);
    HBITMAP color = ::CreateCompatibleBitmap(screen, 16, 16);
    HBITMAP mask = ::CreateBitmap(16, 16, 1, 1, nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(dc, color);
    RECT all{0, 0, 16, 16};
    HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(dc, &all, brush);
    ::DeleteObject(brush);
    ::SelectObject(dc, mask);
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    RECT corner{0, 0, 4, 4};
    ::FillRect(dc, &corner, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    ICONINFO info{TRUE, 0, 0, mask, color};
    HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(color);
    ::DeleteObject(mask);
    return icon;
}

// The icon drawn at 16 x 16 on a white background, as 32-bit pixels.
std::vector<uint32_t> PixelsOf(HICON icon) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP dib = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, dib);
    RECT all{0, 0, 16, 16};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    ::GdiFlush();
    std::vector<uint32_t> out(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + 256);
    ::SelectObject(dc, old);
    ::DeleteObject(dib);
    ::DeleteDC(dc);
    for (auto& p : out) p &= 0x00FFFFFF;
    return out;
}

std::string Int32Bytes(int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

std::string GfxIconFile(int n) { return e2e::BinDir() + "gfx\\" + std::to_string(n) + ".ico"; }

}  // namespace

TEST(IconList, StreamRoundTripKeepsEveryEntry) {
    TIconList list;
    TIcon fromHandle;
    fromHandle.SetHandle(MakeIcon(RGB(200, 30, 40)));
    TIcon fromFile;
    fromFile.LoadFromFile(GfxIconFile(3));
    TIcon empty;
    list.AddIcon(&fromHandle);
    list.SetIcon(1, nullptr);       // index == count: a new entry
    list.AddIcon(&fromFile);
    list.AddIcon(&empty);
    ASSERT_EQ(list.IconCount(), 4);

    std::string stream = "prefix";
    list.SaveIconsToStream(stream);
    std::string saved = stream.substr(6);
    TIconList loaded;
    int changes = 0;
    loaded.OnChange = [&] { ++changes; };
    EXPECT_EQ(loaded.LoadIconsFromStream(saved + "trailing bytes"), saved.size());
    EXPECT_EQ(changes, 1) << "one load, one announcement";
    ASSERT_EQ(loaded.IconCount(), 4);

    ASSERT_NE(loaded.GetIconEntry(0), nullptr);
    EXPECT_EQ(PixelsOf(loaded.GetIconEntry(0)->Handle()), PixelsOf(fromHandle.Handle()));
    // A set entry with nothing assigned, and an empty icon, both go as size 0
    // and come back as empty entries.
    EXPECT_EQ(loaded.GetIconEntry(1), nullptr);
    EXPECT_EQ(loaded.GetIconEntry(3), nullptr);
    ASSERT_NE(loaded.GetIconEntry(2), nullptr);
    EXPECT_EQ(loaded.GetIconEntry(2)->SaveToBytes(), framework::ReadFileBytes(GfxIconFile(3)))
        << "an icon read from a file is written back byte for byte";

    std::string again;
    loaded.SaveIconsToStream(again);
    EXPECT_EQ(again, saved);
}

TEST(IconList, StreamLayoutIsCountThenSizedEntries) {
    TIconList list;
    std::string out;
    list.SaveIconsToStream(out);
    EXPECT_EQ(out, Int32Bytes(0));

    list.SetIcon(0, nullptr);
    out.clear();
    list.SaveIconsToStream(out);
    EXPECT_EQ(out, Int32Bytes(1) + Int32Bytes(0));

    TIcon icon;
    icon.LoadFromFile(GfxIconFile(5));
    list.AddIcon(&icon);
    out.clear();
    list.SaveIconsToStream(out);
    std::string image = framework::ReadFileBytes(GfxIconFile(5));
    EXPECT_EQ(out, Int32Bytes(2) + Int32Bytes(0) + Int32Bytes(static_cast<int32_t>(image.size())) + image);
}

TEST(IconList, UntrustworthyStreamsAreRefused) {
    std::string image = framework::ReadFileBytes(GfxIconFile(1));
    const std::string oneIcon = Int32Bytes(1) + Int32Bytes(static_cast<int32_t>(image.size())) + image;
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"no count", "ab"},
        {"negative count", Int32Bytes(-1)},
        {"more entries than bytes", Int32Bytes(1000000)},
        {"size beyond the end", Int32Bytes(1) + Int32Bytes(5000) + "short"},
        {"cut stream", oneIcon.substr(0, oneIcon.size() - 1000)},
        {"icon image cut short",
         Int32Bytes(1) + Int32Bytes(100) + image.substr(0, 100)},
        {"not an icon", Int32Bytes(1) + Int32Bytes(8) + "notanico"},
        {"entry missing", Int32Bytes(2) + Int32Bytes(0)},
    };
    for (const auto& c : cases) {
        TIconList list;
        int changes = 0;
        list.OnChange = [&] { ++changes; };
        EXPECT_THROW(list.LoadIconsFromStream(c.bytes), framework::Exception) << c.what;
        // The update pairing survived the error: the next change is announced.
        changes = 0;
        list.SetIcon(list.IconCount(), nullptr);
        EXPECT_EQ(changes, 1) << c.what;
    }
    TIconList good;
    EXPECT_EQ(good.LoadIconsFromStream(oneIcon), oneIcon.size());
    EXPECT_EQ(good.IconCount(), 1);
}

TEST(IconList, ChangesInsideOneUpdateAreAnnouncedOnce) {
    TIconList list;
    int changes = 0;
    list.OnChange = [&] { ++changes; };
    TIcon icon;
    icon.SetHandle(MakeIcon(RGB(0, 0, 255)));

    list.BeginUpdate();
    list.AddIcon(&icon);
    list.AddIcon(&icon);
    list.InsertIcon(0, &icon);
    list.ExchangeIcons(0, 2);
    list.MoveIcon(0, 1);
    list.DeleteIcon(1);
    list.BeginUpdate();
    list.ClearIcons();
    list.EndUpdate();
    EXPECT_EQ(changes, 0);
    list.EndUpdate();
    EXPECT_EQ(changes, 1);

    changes = 0;
    list.AddIcon(&icon);
    EXPECT_EQ(changes, 1);
    // An icon changed in place counts as a change of the list.
    list.GetIconEntry(0)->SetHandle(MakeIcon(RGB(0, 255, 0)));
    EXPECT_EQ(changes, 2);
    // A deleted icon no longer reaches the list.
    list.DeleteIcon(0);
    EXPECT_EQ(changes, 3);
}

TEST(IconList, OrderOperationsMoveTheIconObjects) {
    TIconList list;
    TIcon icon;
    icon.SetHandle(MakeIcon(RGB(1, 2, 3)));
    for (int i = 0; i < 3; ++i) list.AddIcon(&icon);
    TIcon* a = list.GetIconEntry(0);
    TIcon* b = list.GetIconEntry(1);
    TIcon* c = list.GetIconEntry(2);
    EXPECT_NE(a, &icon) << "the list keeps copies of its own";
    EXPECT_EQ(list.IndexOfIcon(&icon), -1);

    list.MoveIcon(0, 2);   // b c a
    EXPECT_EQ(list.IndexOfIcon(a), 2);
    EXPECT_EQ(list.IndexOfIcon(b), 0);
    list.ExchangeIcons(0, 1);   // c b a
    EXPECT_EQ(list.GetIconEntry(0), c);
    list.InsertIcon(3, &icon);
    EXPECT_EQ(list.IconCount(), 4);
    EXPECT_THROW(list.GetIconEntry(4), framework::Exception);
    EXPECT_THROW(list.DeleteIcon(-1), framework::Exception);
    EXPECT_THROW(list.InsertIcon(6, &icon), framework::Exception);
    EXPECT_THROW(list.SetIcon(6, &icon), framework::Exception);
}

TEST(IconList, AssignAndWhetherThePropertyIsStored) {
    TIconList source;
    TIcon icon;
    icon.SetHandle(MakeIcon(RGB(9, 9, 9)));
    source.AddIcon(&icon);
    source.SetIcon(1, nullptr);
    source.Assign(icon);   // the list becomes that one icon
    ASSERT_EQ(source.IconCount(), 1);

    source.AddIcon(nullptr);
    TIconList copy;
    copy.Assign(source);
    ASSERT_EQ(copy.IconCount(), 2);
    EXPECT_NE(copy.GetIconEntry(0), source.GetIconEntry(0));
    EXPECT_EQ(PixelsOf(copy.GetIconEntry(0)->Handle()), PixelsOf(icon.Handle()));

    // Stored: without an ancestor when not empty; with one when the entries
    // differ by identity.
    TIconList empty;
    EXPECT_FALSE(empty.NeedsStoring(nullptr));
    EXPECT_TRUE(copy.NeedsStoring(nullptr));
    EXPECT_TRUE(copy.NeedsStoring(&source)) << "equal pictures, other objects";
    EXPECT_FALSE(copy.NeedsStoring(&copy));
    EXPECT_TRUE(copy.NeedsStoring(&empty));

    copy.Assign(nullptr);
    EXPECT_EQ(copy.IconCount(), 0);
}

TEST(IconPicture, EveryDesktopPictureBesideTheProgramLoads) {
    // Desktop n's pictures are painted in the n-th desktop colour.
    const COLORREF colours[] = {RGB(0xCC, 0xCC, 0xCC), RGB(0x5D, 0xAD, 0xAD), RGB(0xEE, 0x63, 0x63),
                                RGB(0xF0, 0xE0, 0x80), RGB(0x2E, 0x92, 0xD8), RGB(0x99, 0xEE, 0x99),
                                RGB(0xF3, 0x87, 0x5C), RGB(0xBF, 0x6A, 0x40), RGB(0xDD, 0x55, 0xDD)};
    for (int n = 1; n <= 9; ++n) {
        TIcon icon;
        ASSERT_NO_THROW(icon.LoadFromFile(GfxIconFile(n))) << n;
        auto pixels = PixelsOf(icon.Handle());
        COLORREF c = colours[n - 1];
        uint32_t expected = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        EXPECT_EQ(pixels[0], expected) << "icon " << n;

        std::string bmp = e2e::BinDir() + "gfx\\l" + std::to_string(n) + ".bmp";
        HBITMAP picture = static_cast<HBITMAP>(::LoadImageA(nullptr, bmp.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
        ASSERT_NE(picture, nullptr) << bmp;
        HDC dc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, picture);
        EXPECT_EQ(::GetPixel(dc, 0, 0), c) << "picture " << n;
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        ::DeleteObject(picture);
    }
}

TEST(IconPicture, InvalidBytesLeaveThePictureAsItWas) {
    TIcon icon;
    icon.LoadFromFile(GfxIconFile(2));
    std::string before = icon.SaveToBytes();
    std::string bad = before;
    bad[2] = 2;   // a cursor directory, not an icon
    EXPECT_THROW(icon.LoadFromBytes(bad), framework::Exception);
    EXPECT_THROW(icon.LoadFromBytes(before.substr(0, 20)), framework::Exception);
    EXPECT_THROW(icon.LoadFromFile(e2e::TempDir() + "missing.ico"), framework::Exception);
    EXPECT_EQ(icon.SaveToBytes(), before);
    EXPECT_EQ(icon.Width(), 32);
}
