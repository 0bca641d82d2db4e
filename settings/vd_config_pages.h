#pragma once
// The settings dialog's page row and option hints, as pure rules: which hover
// picture is lit, which list page the ignore/watch button opens, and the hint
// text of each engine option.
#include <optional>
#include <string_view>

namespace settings {

namespace hints {
inline constexpr std::string_view kOptionHints[] = {
    "If checked, Virtual Desktop will automatically switch to the desktop where a window is being shown or "
    "activated, except if that application is listed on the ignore list! If this option is not enabled, you can "
    "define a watch list with applications that are going to trigger automatic desktop changes if needed.",
    "If checked, no windows can escape their desktop in no circumstance. Be extra careful when using this option. "
    "You may miss important message windows. If not checked, new windows (for example messageboxes) of "
    "applications residing in inactive desktops MAY appear on the current desktop.",
    "If checked, all desktops can have different sets of desktop shortcuts. Only icons created for the current "
    "user are moved. Icon positions will be retained. May slow down desktop switching.",
    "Snapshot recovery takes stability to the extremes. If the virtual desktop is normally or abnormally "
    "terminated and restarted for some reason, most application windows will be restored to the desktops they "
    "were running before the stop occurred.",
    "If checked, all desktops can have different sets of quicklaunch shortcuts (see the taskbar near the Start "
    "button). Only icons created for the current user are moved. Icon positions will not be retained.",
    "If checked, Pelmora Virtual Desktop will start everytime you start Windows.",
    "If checked, Pelmora Virtual Desktop will assume all Microsoft IE windows as if they were separate "
    "applications so that they can be moved separately.",
    "If checked, Pelmora Virtual Desktop will attempt to restore input focus to the proper window after returning "
    "to a previously used desktop. Will NOT work with asynchronous window handling!!! Use this option to gain "
    "usability in exchange for a bit of performance.",
    "If checked, application windows will be hidden/recovered at a faster rate when changing desktop, but input "
    "focus issues may occur.",
};
}  // namespace hints

// The hint of the engine option with this Tag (1 to 9); none for another Tag.
constexpr std::optional<std::string_view> OptionHint(int tag) {
    if (tag < 1 || tag > static_cast<int>(std::size(hints::kOptionHints))) return std::nullopt;
    return hints::kOptionHints[tag - 1];
}

inline constexpr int kIgnorePage = 4;
inline constexpr int kWatchPage = 5;
inline constexpr int kHoverTagOffset = 100;

// The page a page button's or hover picture's Tag opens: the ignore/watch
// button opens the ignore list while the engine follows window activity
// (what it ignores then matters), else the watch list.
constexpr int PageOfButton(int tag, bool follow) {
    const int page = tag % kHoverTagOffset;
    if (page == kIgnorePage) return follow ? kIgnorePage : kWatchPage;
    return page;
}

// Whether the hover picture of the button with this Tag is lit: under the
// mouse, for the page shown, and for the ignore/watch button on both list pages.
constexpr bool HoverLit(int buttonTag, bool mouseInside, int currentPage) {
    return mouseInside || buttonTag == currentPage || (buttonTag == kIgnorePage && currentPage == kWatchPage);
}

}  // namespace settings
