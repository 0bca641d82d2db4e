#pragma once
// An event bubble: a small fading notice of one event-log line.
#include "framework/form.h"

namespace navigation {

class TfrmBubble : public framework::Form {
public:
    TfrmBubble() : Form("frmBubble") {}
    bool Finished() const { return !Visible(); }
};

}  // namespace navigation
