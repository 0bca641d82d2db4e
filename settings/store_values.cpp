#include "settings/store_values.h"
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include "framework/guard.h"
#include "framework/text.h"
#include "settings/tables.h"

namespace settings {

const ValueSpec* FindValue(std::string_view name) noexcept {
    for (const auto& v : kPlainValues)
        if (v.name == name) return &v;
    return nullptr;
}

int ValueOrDefault(const ValueSpec& spec, std::optional<int> stored) noexcept {
    if (!stored) return spec.def;
    if (spec.type == ValueType::Boolean) return *stored != 0 ? 1 : 0;
    return *stored < spec.min || *stored > spec.max ? spec.def : *stored;
}

int GroupValueOrDefault(const GroupSpec& g, std::optional<int> stored) noexcept {
    return stored && *stored >= g.min && *stored <= g.max ? *stored : 0;
}

int ClickPosFromStored(std::optional<int> stored, int screenSize, int missing) noexcept {
    if (!stored) return missing;
    auto pos = framework::BankersRound(static_cast<double>(screenSize) * *stored / 10000.0);
    return static_cast<int>(std::min<long long>(std::max<long long>(pos, 0), screenSize - 16));
}

int ClickPosToStored(int pos, int screenSize) noexcept {
    if (screenSize <= 0) return 0;
    return static_cast<int>(framework::BankersRound(static_cast<double>(pos) / screenSize * 10000.0));
}

bool IsGestureCode(std::string_view code) noexcept {
    return std::all_of(code.begin(), code.end(), [](char c) { return c == 'U' || c == 'D' || c == 'L' || c == 'R'; });
}

GridSize GridForLayout(int layoutIndex) noexcept {
    if (layoutIndex < 0 || layoutIndex >= kLayoutCount) return {3, 3};
    return {LayoutColumns[static_cast<size_t>(layoutIndex)], LayoutRows[static_cast<size_t>(layoutIndex)]};
}

int LayoutIndexOf(GridSize g) noexcept {
    for (int i = 0; i < kLayoutCount; ++i)
        if (Layouts[static_cast<size_t>(i)].Columns == g.cols && Layouts[static_cast<size_t>(i)].Rows == g.rows)
            return i;
    return -1;
}

int DeskBarEdge(int deskBarIndex) noexcept {
    switch (deskBarIndex) {
    case 2: return 2;   // right
    case 3: return 1;   // top
    case 4: return 3;   // bottom
    default: return 0;  // left, and the hidden bar
    }
}

std::string DesktopCaption(int desktop, std::string_view name) {
    if (name.size() == 1) return "desktop " + std::string(name);
    return "#" + std::to_string(desktop) + ": " + std::string(name);
}

std::string RunValueData(std::string_view appFolder) {
    return "\"" + std::string(appFolder) + std::string(kExeName) + "\"";
}

int DisplayModeCode(int width, int height, int bitsPerPixel, int refresh) noexcept {
    uint32_t code = (static_cast<uint32_t>(width / 8) << 24) + (static_cast<uint32_t>(height / 8) << 16) +
                    static_cast<uint32_t>(bitsPerPixel) * 256u + static_cast<uint32_t>(refresh);
    return static_cast<int>(code);
}

std::string DisplayModeText(int width, int height, int bitsPerPixel, int refresh) {
    const char* depth = bitsPerPixel == 24 || bitsPerPixel == 32 ? "true-color" : "high-color";
    char text[96];
    std::snprintf(text, sizeof text, "%d*%d, %s, %d Hz", width, height, depth, refresh);
    return text;
}

void LoadGuarded(const std::function<void()>& step, const std::function<void()>& fallback) noexcept {
    try {
        step();
        return;
    } catch (...) {
        framework::HandleException(std::current_exception());
    }
    framework::Guard([&] { if (fallback) fallback(); });
}

int PrivateDesktopCutOff(std::span<const int> windowDesktops, int newCount,
                         const std::function<bool(int)>& isPrivate) {
    for (int d : windowDesktops)
        if (d > newCount && isPrivate(d)) return d;
    return 0;
}

}  // namespace settings
