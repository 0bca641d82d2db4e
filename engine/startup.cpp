#include "engine/startup.h"
#include "engine/event_log.h"
#include "engine/main_form.h"
#include "framework/application.h"
#include "navigation/event_log_window.h"

namespace engine {

int RunProgram() {
    auto& app = framework::App();
    app.CreateForm(navigation::frmLog);   // first of all, so that logging works from here on
    app.CreateForm(frmPTessarel);
    app.SetMainForm(frmPTessarel);
    app.OnException = [](const std::string& message) {
        if (frmPTessarel)
            frmPTessarel->LogException(message);
        else
            WriteErrorLog(message);   // while the last windows go at exit
    };
    app.Run();
    app.DestroyForms();
    return 0;
}

}  // namespace engine
