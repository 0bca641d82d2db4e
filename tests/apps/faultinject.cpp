// Test helper: makes another process fault, as a foreign program or a bad
// driver could, by starting a thread of that process at an address where no
// code lies.
//   faultinject PID [ADDRESS]   (the address in hex; 1 when not given)
// Exit code 0 when the thread was started, 1 when the process could not be
// opened, 2 when no thread could be started in it.
#include <windows.h>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const DWORD pid = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
    const uintptr_t address = argc > 2 ? static_cast<uintptr_t>(std::strtoull(argv[2], nullptr, 16)) : 1;
    HANDLE process = ::OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                       PROCESS_VM_WRITE | PROCESS_VM_READ,
                                   FALSE, pid);
    if (!process) return 1;
    auto start = reinterpret_cast<LPTHREAD_START_ROUTINE>(address);
    HANDLE thread = ::CreateRemoteThread(process, nullptr, 0, start, nullptr, 0, nullptr);
    ::CloseHandle(process);
    if (!thread) return 2;
    ::CloseHandle(thread);
    return 0;
}
