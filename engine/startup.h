#pragma once
// The start-up sequence: second-start commands, the one-instance rule, the
// post-install set-up, and the creation of every window before the loop.
namespace engine {
int RunProgram();

// False until the message loop is about to run.
inline bool EngineStarted = false;
}
