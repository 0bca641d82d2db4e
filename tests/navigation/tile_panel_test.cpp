// The tile's click: the control's own OnClick, which the tile's owners set,
// runs when a press is released on the tile.
#include <gtest/gtest.h>
#include "framework/form.h"
#include "navigation/tile_panel.h"

namespace {

class TileHost final : public framework::Form {
public:
    TileHost() : Form("frmTileHost") {}
    navigation::TTilePanel tile{*this, "tile"};
};

}  // namespace

TEST(TilePanel, APressReleasedOnItRunsTheClickItsOwnerSet) {
    TileHost host;
    host.CreateHandle();
    host.tile.CreateAt(host.Handle(), RECT{0, 0, 100, 30}, 1000);
    int clicks = 0;
    host.tile.OnClick = [&] { ++clicks; };   // as the application list sets it
    const HWND h = host.tile.Handle();
    ASSERT_NE(h, nullptr);
    ::SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 15));
    ::SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(50, 15));
    EXPECT_EQ(clicks, 1);
    host.DestroyHandle();
}
