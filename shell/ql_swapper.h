#pragma once
// QLSwapper: per-desktop Quick Launch sets. Every desktop keeps its own
// contents of the current user's Quick Launch folder (the shortcuts next to
// the Start button), swapped at each switch right after the desktop-icon
// set, by the same mechanism (shell/set_swapper.h); no positions, no timer.
#include <string>
#include "shell/set_swapper.h"

namespace shell {

extern const TSetKind kQuickLaunchSetKind;

// The application-data folder + "Microsoft\Internet Explorer\Quick Launch\".
std::wstring QuickLaunchFolder();

void SetQuickLaunchSetsEnabled(bool on);   // copied once from the settings dialog
bool QuickLaunchSetsEnabled();
bool QuickLaunchSetsActive();              // on, started, and its folders accepted
// With the option off the start only brings back what an earlier run left parked.
void QuickLaunchSwapperStart(SwapLog log);
void SwitchQuickLaunchSet(int n);
void LimitQuickLaunchSetDesktops(int count);   // the desktop count of the layout in force
void QuickLaunchSwapperUnload();

}  // namespace shell
