#pragma once
// The bubble windows of this thread, shown or finished.
#include <vector>
#include "navigation/bubble.h"

namespace e2e {

std::vector<navigation::TfrmBubble*> BubbleForms();
navigation::TfrmBubble* OnlyBubble();   // the one bubble, or none while there are more or none

}  // namespace e2e
