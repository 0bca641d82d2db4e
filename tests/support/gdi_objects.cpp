#include "support/gdi_objects.h"
#include <windows.h>
#include <winternl.h>
#include <cstddef>
#include <cstdint>

namespace e2e {

// GetGuiResources answers 0 under Wine. Then the live entries of the
// process's GDI handle table (PEB GdiSharedHandleTable, 24 bytes an entry,
// the object type at byte 14) are counted; icons show there by their bitmaps.
int GdiObjects() {
    if (DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(n);
    using QueryFn = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (!query || query(::GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr) != 0) return -1;
    auto* peb = reinterpret_cast<const uint8_t*>(info.PebBaseAddress);
    auto* table = *reinterpret_cast<const uint8_t* const*>(peb + 0xF8);
    if (!table) return -1;
    int live = 0;
    for (size_t i = 0; i < 16384; ++i)
        if (table[i * 24 + 14] != 0) ++live;
    return live;
}

}  // namespace e2e
