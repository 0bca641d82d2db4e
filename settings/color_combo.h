#pragma once
// The names page's colour lists: each item is drawn in its desktop colour
// with the colour's name, whatever the item's own text reads.
#include <windows.h>
#include "framework/control.h"

namespace settings {

// One colour item: the rectangle filled with the desktop colour of the index
// (limited to the table) and framed, the name at 4 pixels from the left and
// 1 from the top, in the font selected into dc. A selected item of the
// dropped list gets a frame in the selection colour.
void DrawColorItem(HDC dc, const RECT& r, int index, bool selected);

class TColorCombo final : public framework::ComboBox {
public:
    using ComboBox::ComboBox;
    bool OnDrawItem(DRAWITEMSTRUCT* dis) override;   // cbColor1DrawItem

protected:
    DWORD WindowStyle() const override;
};

}  // namespace settings
