#pragma once
// The start-up sequence: second-start commands, the one-instance rule, the
// post-install set-up, and the creation of every window before the loop.
#include <string>

namespace engine {

// False until the message loop is about to run.
inline bool EngineStarted = false;

// What a second start with this first argument does.
enum class StartCommand { Run, Kill, Switch, Poll, PostInstall };
StartCommand ClassifyArgument(const std::string& arg);
// The wParam a "-s" argument sends: the code of its third character once "0"
// is appended ("-s3" sends '3', "-s" alone sends '0').
unsigned SwitchArgumentCode(const std::string& arg);

int RunProgram();

}  // namespace engine
