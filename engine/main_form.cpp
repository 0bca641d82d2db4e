// TfrmPTessarel: creation, exit and destruction.
#include "engine/main_form.h"
#include "navigation/bubble.h"

namespace engine {

TfrmPTessarel::TfrmPTessarel()
    : Form("frmPTessarel"), tScan_(250, [this] { tScanTimer(); }, false) {}

TfrmPTessarel::~TfrmPTessarel() = default;

void TfrmPTessarel::FormCreate() {
    CreateTrayMenus();
    tScan_.SetEnabled(true);
}
bool TfrmPTessarel::FormCloseQuery() { return true; }
void TfrmPTessarel::FormClose() {}
void TfrmPTessarel::FormDestroy() { tScan_.SetEnabled(false); }
void TfrmPTessarel::Exit1Click() { Close(); }
void TfrmPTessarel::Exit2Click() { Close(); }

}  // namespace engine
