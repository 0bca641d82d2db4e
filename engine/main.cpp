// Entry point of Tessareltop.exe.
#include <windows.h>
#include "engine/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return engine::RunProgram();
}
