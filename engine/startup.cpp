#include "engine/startup.h"
#include "engine/main_form.h"
#include "framework/application.h"

namespace engine {

int RunProgram() {
    auto& app = framework::App();
    app.CreateForm(frmPTessarel);
    EngineStarted = true;
    app.Run();
    app.DestroyForms();
    return 0;
}

}  // namespace engine
