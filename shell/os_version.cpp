#include "shell/os_version.h"
#include <windows.h>
#include <array>
#include "shell/string_routines.h"

namespace shell {

namespace {

constexpr std::array<std::string_view, 13> kVersionNames = {
    "None",       "Windows 95",    "Windows 95 OSR-2", "Windows 98",     "Windows 98 SE",
    "Windows ME", "Windows 9x New", "Windows NT 3",     "Windows NT 4",   "Windows 2000",
    "Windows XP", "Windows 2003",  "Windows NT New",
};

// A service-pack text names its number from this character on ("Service Pack 2").
constexpr size_t kServicePackNumberAt = 13;

uint8_t Version9x(uint32_t major, uint32_t minor, uint32_t build) {
    if (major < 4) return 0;
    if (major > 4 || minor > 90) return 6;
    if (minor < 10) return build <= 1000 ? 1 : 2;
    if (minor == 10) return build <= 2000 ? 3 : build <= 2700 ? 4 : 5;
    return 5;  // 4.11 to 4.90
}

uint8_t VersionNT(uint32_t major, uint32_t minor) {
    if (major < 4) return 7;
    if (major == 4) return 8;
    if (major > 5 || minor >= 3) return 12;
    return static_cast<uint8_t>(9 + minor);
}

}  // namespace

std::string_view OSVersionName(uint8_t version) {
    return version < kVersionNames.size() ? kVersionNames[version] : kVersionNames[0];
}

TOS MakeOSRecord(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build, std::string_view servicePack) {
    TOS os;
    os.Major = major;
    os.Minor = minor;
    os.ServicePackText = std::string(servicePack.substr(0, 128));
    os.Is9x = platformId == kPlatform9x;
    os.IsNT = platformId == kPlatformNT;
    os.Build = os.Is9x ? (build & 0xFFFF) : build;
    if (os.Is9x) {
        os.Version = Version9x(major, minor, os.Build);
        os.Version9x = os.Version;
    } else if (os.IsNT) {
        os.Version = VersionNT(major, minor);
        os.VersionNT = os.Version;
        // Only the leading digits count: "Service Pack 6a" is 6.
        if (os.ServicePackText.size() > kServicePackNumberAt)
            os.ServicePack = LeadingDecimal(std::string_view(os.ServicePackText).substr(kServicePackNumberAt));
    }
    os.Description = std::string(OSVersionName(os.Version));
    if (os.IsNT && !os.ServicePackText.empty()) os.Description += " " + os.ServicePackText;
    return os;
}

TOS GetOSVersionRecord() {
    static const TOS record = [] {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        if (!::GetVersionExW(&info)) return MakeOSRecord(0, 0, 0, 0, {});
        std::string servicePack;
        for (const wchar_t* c = info.szCSDVersion; *c; ++c) servicePack += static_cast<char>(*c & 0xFF);
        return MakeOSRecord(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
                            servicePack);
    }();
    return record;
}

}  // namespace shell
