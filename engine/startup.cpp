#include "engine/startup.h"
#include <cstdlib>
#include "engine/event_log.h"
#include "engine/fault_handler.h"
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "engine/splash.h"
#include "engine/subsystem_links.h"
#include "engine/wait_window.h"
#include "framework/application.h"
#include "framework/dialogs.h"
#include "framework/guard.h"
#include "framework/registry.h"
#include "settings/settings_access.h"
#include "settings/store_values.h"

namespace engine {
namespace {

namespace texts {
constexpr std::string_view kOneInstance = "Pelmora Virtual Desktop can only run in one instance!";
constexpr std::string_view kWarning = "Warning";
constexpr std::string_view kStarted = "Virtual desktop engine successfully started! Have a good time!";
constexpr std::string_view kNoDataFolder =
    "No data folder: the application-data folder cannot be found, so the sticky list, the rules, the snapshot and "
    "the error log are not saved in this session";
}  // namespace texts

constexpr char kPostInstallArgument[] = "wq8160m94k";
constexpr settings::SettingName kShowSplashValue = "showsplash";

HWND RunningInstance() { return ::FindWindowA(kMainClassName, nullptr); }

// A second start's command reaches the instance ahead of whatever other
// programs have posted to it: a sent message is read before every posted
// one, so a flood in its queue neither delays the user's "-kill" behind it
// nor drops it when the queue is full. The notification does not wait for
// the instance's answer (a password prompt may stand in between). Should
// the system refuse it for a moment, it is tried again for a while.
constexpr DWORD kSendPatienceMs = 15000;
constexpr DWORD kSendRetryMs = 20;

void PostToInstance(UINT msg, WPARAM w) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        HWND instance = RunningInstance();
        if (!instance) return;   // nobody to tell
        if (::SendNotifyMessageA(instance, msg, w, 0) || ::GetTickCount() - start >= kSendPatienceMs) return;
        ::Sleep(kSendRetryMs);
    }
}

std::string FirstArgument() { return __argc > 1 && __argv[1] ? __argv[1] : ""; }

void RegisterStartWithWindows() {
    framework::Registry reg;
    if (reg.OpenKey(settings::kRunKey, true)) reg.WriteString(settings::kRunValue, settings::RunValueData(GetAppFolder()));
    reg.CloseKey();
    if (reg.OpenKey(settings::kSettingsKey, true) && !reg.ValueExists(settings::kShowWizardValue))
        reg.WriteBool(settings::kShowWizardValue, true);
}

bool ReadStartFlag(std::string_view name, bool def) {
    framework::Registry reg;
    if (!reg.OpenKey(settings::kSettingsKey, true)) return def;
    return reg.ReadBool(name, def);
}

void CreateWindows() {
    auto& app = framework::App();
    SetSplashProgress(0);
    links::CreateEventLog();
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
    links::CreateDeskBar();
    fault::SetRescueAppBar(links::DeskBarWindow());
    SetSplashProgress(20);
    links::CreateLockCover();
    links::CreateEdgeWindow();
    links::CreateClickWindow();
    links::CreateNamePanel();
    SetSplashProgress(30);
    links::CreateSettingsDialog();
    SetSplashProgress(40);
    links::CreateAboutBox();
    SetSplashProgress(50);
    links::CreateWindowInfo();
    SetSplashProgress(60);
    links::CreateClassPicker();
    links::CreateAppList();
    SetSplashProgress(70);
    links::CreatePasswordPrompt();
    SetSplashProgress(80);
    links::CreateSendCurrent();
    links::CreatePasswordChange();
    SetSplashProgress(90);
    links::CreateLostWindows();
    links::CreateErrorReport();
    SetSplashProgress(100);
}

// What the start-up offers once every window exists: a report of the errors
// of an earlier run, and the wizard of a fresh installation.
void OfferStartDialogs() {
    if (FileExists(ErrorLogPath())) framework::Guard([] { links::OfferErrorReport(); });
    framework::Guard([] {
        links::CreateStartupWizard();
        if (ReadStartFlag(settings::kShowWizardValue, false)) links::RunStartupWizard();
    });
}

int RunEngine() {
    auto& app = framework::App();
    // Before any window exists: from here on a native fault ends the program
    // with its windows shown, never in a debugger that freezes it.
    fault::InstallFaultHandlers(ErrorLogPath());
    app.ShowMainForm = false;
    links::StartHelp();
    if (ReadStartFlag(kShowSplashValue.View(), true)) {
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
    if (GetDataFolder().empty()) frmPTessarel->LogEvent(texts::kNoDataFolder, nullptr, true);
    EngineStarted = true;
    frmPTessarel->LogEvent(texts::kStarted, nullptr, true);
    app.Run();
    app.DestroyForms();
    links::StopHelp();
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
            framework::Guard([] { links::ShowUninstallPoll(); });
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
