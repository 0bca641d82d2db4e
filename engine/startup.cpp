#include "engine/startup.h"
#include "framework/application.h"
#include "framework/form.h"

namespace engine {

namespace {
class TfrmPTessarel final : public framework::Form {
public:
    TfrmPTessarel() : Form("frmPTessarel") {}
};
TfrmPTessarel* frmPTessarel = nullptr;
}  // namespace

int RunProgram() {
    auto& app = framework::App();
    app.CreateForm(frmPTessarel);
    app.Run();
    app.DestroyForms();
    return 0;
}

}  // namespace engine
