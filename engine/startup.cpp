#include "engine/startup.h"
#include <cstdlib>
#include "engine/event_log.h"
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "engine/splash.h"
#include "engine/wait_window.h"
#include "framework/application.h"
#include "framework/dialogs.h"
#include "framework/guard.h"
#include "framework/registry.h"
#include "navigation/enter_pwd.h"
#include "navigation/event_log_window.h"
#include "settings/vd_config.h"

namespace engine {
namespace {

namespace texts {
constexpr std::string_view kOneInstance = "Pelmora Virtual Desktop can only run in one instance!";
constexpr std::string_view kWarning = "Warning";
constexpr std::string_view kStarted = "Virtual desktop engine successfully started! Have a good time!";
}  // namespace texts

constexpr char kPostInstallArgument[] = "wq8160m94k";
constexpr char kRunKey[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
constexpr char kRunValue[] = "pelmoratessarel";
constexpr char kSettingsKey[] = "\\Software\\Pelmora\\Tessarel\\";
constexpr char kExeName[] = "Tessareltop.exe";

HWND RunningInstance() { return ::FindWindowA(kMainClassName, nullptr); }

void PostToInstance(UINT msg, WPARAM w) { ::PostMessageA(RunningInstance(), msg, w, 0); }

std::string FirstArgument() { return __argc > 1 && __argv[1] ? __argv[1] : ""; }

void RegisterStartWithWindows() {
    framework::Registry reg;
    if (reg.OpenKey(kRunKey, true)) reg.WriteString(kRunValue, "\"" + GetAppFolder() + kExeName + "\"");
    reg.CloseKey();
    if (reg.OpenKey(kSettingsKey, true) && !reg.ValueExists("showcfgwiz")) reg.WriteBool("showcfgwiz", true);
}

bool ReadStartFlag(const char* name, bool def) {
    framework::Registry reg;
    if (!reg.OpenKey(kSettingsKey, true)) return def;
    return reg.ReadBool(name, def);
}

void CreateWindows() {
    auto& app = framework::App();
    SetSplashProgress(0);
    app.CreateForm(navigation::frmLog);   // first of all, so that logging works from here on
    app.CreateForm(frmWait);
    SetSplashProgress(10);
    app.CreateForm(frmPTessarel);
    app.SetMainForm(frmPTessarel);
    app.OnException = [](const std::string& message) {
        if (frmPTessarel)
            frmPTessarel->LogException(message);
        else
            WriteErrorLog(message);   // while the last windows go at exit
    };
    SetSplashProgress(20);
    SetSplashProgress(30);
    // Its creation loads every setting and applies it to the engine.
    app.CreateForm(settings::frmVDConfig);
    SetSplashProgress(40);
    CreateAboutBox();
    SetSplashProgress(50);
    SetSplashProgress(60);
    SetSplashProgress(70);
    app.CreateForm(navigation::frmEnterPwd);
    SetSplashProgress(80);
    SetSplashProgress(90);
    CreateErrorReport();
    SetSplashProgress(100);
}

// What the start-up offers once every window exists: a report of the errors
// of an earlier run, and the wizard of a fresh installation.
void OfferStartDialogs() {
    framework::Guard([] { OfferErrorReport(); });
    framework::Guard([] {
        CreateStartupWizard();
        if (ReadStartFlag("showcfgwiz", false)) RunStartupWizard();
    });
}

int RunEngine() {
    auto& app = framework::App();
    app.ShowMainForm = false;
    StartHelp();
    if (ReadStartFlag("showsplash", true)) {
        // The splash is a courtesy: the program starts without it.
        framework::Guard([&] {
            app.CreateForm(frmSplash);
            frmSplash->DoubleBuffered = true;
            ::ShowWindow(frmSplash->Handle(), SW_SHOWNA);
            frmSplash->Repaint();
        });
    }
    CreateWindows();
    if (frmSplash) app.FreeForm(frmSplash);
    OfferStartDialogs();
    EngineStarted = true;
    frmPTessarel->LogEvent(texts::kStarted, nullptr, true);
    app.Run();
    app.DestroyForms();
    StopHelp();
    return 0;
}

}  // namespace

StartCommand ClassifyArgument(const std::string& arg) {
    if (arg == "-kill") return StartCommand::Kill;
    if (arg.rfind("-s", 0) == 0) return StartCommand::Switch;
    if (arg == "-poll") return StartCommand::Poll;
    if (arg == kPostInstallArgument) return StartCommand::PostInstall;
    return StartCommand::Run;
}

unsigned SwitchArgumentCode(const std::string& arg) {
    std::string s = arg + "0";
    return s.size() > 2 ? static_cast<unsigned char>(s[2]) : 0;
}

int RunProgram() {
    EngineStarted = false;
    const std::string arg = FirstArgument();
    switch (ClassifyArgument(arg)) {
    case StartCommand::Kill:
        PostToInstance(WM_KILL_INSTANCE, 0);
        return 0;
    case StartCommand::Switch:
        PostToInstance(WM_SWITCH_DESKTOP, SwitchArgumentCode(arg));
        return 0;
    case StartCommand::Poll:
        if (RunningInstance())
            PostToInstance(WM_SHOW_POLL, 0);
        else
            framework::Guard([] { ShowUninstallPoll(); });
        return 0;
    default:
        break;
    }
    if (RunningInstance()) {
        framework::MessageBox(texts::kOneInstance, texts::kWarning, MB_ICONERROR);
        return 0;
    }
    if (ClassifyArgument(arg) == StartCommand::PostInstall) {
        RegisterStartWithWindows();
        return 0;
    }
    return RunEngine();
}

}  // namespace engine
