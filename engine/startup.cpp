#include "engine/startup.h"
#include "engine/main_form.h"
#include "framework/application.h"
#include "settings/vd_config.h"

namespace engine {

int RunProgram() {
    auto& app = framework::App();
    app.CreateForm(frmPTessarel);
    app.CreateForm(settings::frmVDConfig);
    app.Run();
    app.DestroyForms();
    return 0;
}

}  // namespace engine
