#pragma once
// A grid of texts with a fixed heading row and whole-row selection. The
// cells live here; the window (a report list view) only shows them.
#include <functional>
#include <string>
#include <string_view>
#include <vector>
#include "framework/control.h"

namespace toolkit {

class StringGrid : public framework::Control {
public:
    StringGrid(framework::Form& f, std::string name);

    void SetSize(int colCount, int rowCount);
    int ColCount() const noexcept { return cols_; }
    int RowCount() const noexcept { return static_cast<int>(cells_.size()); }
    // Row 0 is the heading row; an index outside the grid raises.
    const std::string& Cell(int col, int row) const;
    void SetCell(int col, int row, std::string_view text);
    void SetColWidth(int col, int width);

    // The current row (1 .. RowCount - 1), or 0 when none.
    int Row() const noexcept { return row_; }
    void SetRow(int row);
    std::function<void(int row)> OnSelectCell;

    LRESULT OnNotify(NMHDR* hdr) override;

protected:
    const char* WindowClass() const override;
    DWORD WindowStyle() const override;
    DWORD WindowExStyle() const override { return WS_EX_CLIENTEDGE; }
    void AfterCreate() override;

private:
    void Rebuild();
    void ShowCell(int col, int row);

    int cols_ = 0;
    std::vector<std::vector<std::string>> cells_;
    std::vector<int> widths_;
    int row_ = 0;
    bool setting_ = false;
};

}  // namespace toolkit
