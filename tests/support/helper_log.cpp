#include "support/helper_log.h"
#include <cstdio>

namespace e2e {

std::vector<HelperMessage> ReadHelperLog(const std::string& logFile) {
    std::vector<HelperMessage> out;
    FILE* f = std::fopen(logFile.c_str(), "rb");
    if (!f) return out;
    unsigned long long wnd = 0, wp = 0, lp = 0;
    unsigned msg = 0;
    while (std::fscanf(f, "%llx %x %llx %llx", &wnd, &msg, &wp, &lp) == 4)
        out.push_back({reinterpret_cast<HWND>(static_cast<uintptr_t>(wnd)), msg, static_cast<WPARAM>(wp),
                       static_cast<LPARAM>(lp)});
    std::fclose(f);
    return out;
}

}  // namespace e2e
