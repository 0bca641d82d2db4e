#include "shell/help_versions.h"
#include <windows.h>
#include <cstdio>
#include <span>
#include <vector>

namespace shell {
namespace {

using Parts = std::array<unsigned, 4>;

struct Release {
    Parts version;
    std::string_view name;
};

// Help control releases, newest first.
constexpr Release kHelpControlReleases[] = {
    {{4, 74, 9273, 0}, "1.33"}, {{4, 74, 8857, 0}, "1.32"}, {{4, 74, 8793, 0}, "1.31"},
    {{4, 74, 8702, 0}, "1.3"},  {{4, 73, 8561, 0}, "1.22"}, {{4, 73, 8474, 0}, "1.21a"},
    {{4, 73, 8412, 0}, "1.21"}, {{4, 73, 8252, 0}, "1.2"},  {{4, 72, 8164, 0}, "1.1b"},
    {{4, 72, 7325, 0}, "1.1a"}, {{4, 72, 7323, 0}, "1.1"},  {{4, 72, 7290, 0}, "1.0"},
};
constexpr std::string_view kHelpControlNewer = "> 1.33";
constexpr std::string_view kHelpControlOlder = "< 1.0";

// Browser releases by the version of their "Shdocvw.dll", newest first.
constexpr Release kBrowserReleases[] = {
    {{6, 0, 2600, 0}, "Internet Explorer 6 (Windows XP)"},
    {{6, 0, 2479, 6}, "Internet Explorer 6 Public Preview (Beta) Refresh"},
    {{6, 0, 2462, 0}, "Internet Explorer 6 Public Preview (Beta)"},
    {{5, 50, 4807, 2300}, "Internet Explorer 5.5 Service Pack 2"},
    {{5, 50, 4522, 1800}, "Internet Explorer 5.5 Service Pack 1"},
    {{5, 50, 4308, 2900}, "Internet Explorer 5.5 Advanced Security Privacy Beta"},
    {{5, 50, 4134, 600}, "Internet Explorer 5.5"},
    {{5, 50, 4134, 100}, "Internet Explorer 5.5 for Windows Me (4.90.3000)"},
    {{5, 50, 4030, 2400}, "Internet Explorer 5.5 & Internet Tools Beta"},
    {{5, 50, 3825, 1300}, "Internet Explorer 5.5 Developer Preview"},
    {{5, 0, 2920, 0}, "Internet Explorer 5.01"},
    {{5, 0, 2919, 3800}, "Internet Explorer 5.01 (Windows 2000 RC2, build 5.00.2128)"},
    {{5, 0, 2919, 800}, "Internet Explorer 5.01 (Windows 2000 RC1, build 5.00.2072)"},
    {{5, 0, 2721, 1400}, "Internet Explorer 5.0 updated"},
    {{5, 0, 2614, 3500}, "Internet Explorer 5.0b"},
    {{5, 0, 2314, 1003}, "Internet Explorer 5.0a"},
    {{5, 0, 2014, 216}, "Internet Explorer 5.0"},
    {{5, 0, 910, 1309}, "Internet Explorer 5 Beta (Beta 2)"},
    {{5, 0, 518, 10}, "Internet Explorer 5 Developer Preview (Beta 1)"},
    {{4, 72, 3612, 1713}, "Internet Explorer 4.01 Service Pack 2 (SP2)"},
    {{4, 72, 3110, 8}, "Internet Explorer 4.01 Service Pack 1 (SP1)"},
    {{4, 72, 2106, 8}, "Internet Explorer 4.01"},
    {{4, 71, 1712, 6}, "Internet Explorer 4.0"},
    {{4, 71, 1008, 3}, "Internet Explorer 4.0 Platform Preview 2.0 (PP2)"},
    {{4, 71, 544, 0}, "Internet Explorer 4.0 Platform Preview 1.0 (PP1)"},
    {{4, 70, 1300, 0}, "Internet Explorer 3.02"},
    {{4, 70, 1215, 0}, "Internet Explorer 3.01"},
    {{4, 70, 1158, 0}, "Internet Explorer 3.0 (OSR2)"},
    {{4, 70, 1155, 0}, "Internet Explorer 3.0"},
    {{4, 40, 520, 0}, "Internet Explorer 2.0"},
    {{4, 40, 308, 0}, "Internet Explorer 1.0 (Plus!)"},
};
constexpr std::string_view kBrowserNewer = "> Internet Explorer 6";
constexpr std::string_view kBrowserOlder = "< Internet Explorer 1.0 (Plus!)";

// The first release (newest first) that the version reaches; a version above
// the newest has a name of its own, one below the oldest too.
std::string ReleaseName(const FileVersion& v, std::span<const Release> releases, std::string_view newer,
                        std::string_view older) {
    if (v.Empty()) return {};
    if (v.Parts > releases.front().version) return std::string(newer);
    for (const Release& r : releases)
        if (v.Parts >= r.version) return std::string(r.name);
    return std::string(older);
}

}  // namespace

FileVersion MakeFileVersion(const Parts& parts) {
    char text[64];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", parts[0], parts[1], parts[2], parts[3]);
    return {text, parts};
}

FileVersion GetFileVersionStr(const std::string& file) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<BYTE> data(size);
    if (!::GetFileVersionInfoA(file.c_str(), 0, size, data.data())) return {};
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return {};
    return MakeFileVersion({HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                            HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS)});
}

FileVersion CorrectIEVersion(const FileVersion& v) {
    if (v.Empty() || v.Parts[0] != 4 || v.Parts[1] > 70 || v.Parts[2] != 0) return v;
    return MakeFileVersion({v.Parts[0], v.Parts[1], v.Parts[3], 0});
}

std::string HHFriendlyVersionFor(const FileVersion& v) {
    return ReleaseName(v, kHelpControlReleases, kHelpControlNewer, kHelpControlOlder);
}

std::string IEFriendlyVersionFor(const FileVersion& v) {
    return ReleaseName(v, kBrowserReleases, kBrowserNewer, kBrowserOlder);
}

}  // namespace shell
