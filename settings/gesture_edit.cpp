#include "settings/gesture_edit.h"
#include <algorithm>
#include "framework/text.h"

namespace settings {

std::string FilterGestureText(std::string_view text) {
    std::string kept;
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                 [](char c) { return c == 'U' || c == 'D' || c == 'L' || c == 'R'; });
    return kept;
}

std::string GestureCodeToStore(std::string_view text) {
    std::string code = framework::Trim(text);
    code.erase(std::unique(code.begin(), code.end()), code.end());
    return code;
}

std::vector<int> RowsWithSameCode(std::span<const std::string> codes, int row, std::string_view code) {
    std::vector<int> rows;
    if (code.empty()) return rows;
    for (size_t i = 0; i < codes.size(); ++i) {
        const int r = static_cast<int>(i) + 1;
        if (r != row && framework::Trim(codes[i]) == code) rows.push_back(r);
    }
    return rows;
}

}  // namespace settings
