#pragma once
// The operating-system version record: read once per run, handed out as a
// copy. The shell code chooses between the two platform families by it.
#include <cstdint>
#include <string>
#include <string_view>

namespace shell {

struct TOS {
    uint32_t Major = 0;
    uint32_t Minor = 0;
    uint32_t Build = 0;             // on the 95 family its low 16 bits only
    std::string ServicePackText;
    bool Is9x = false;
    uint8_t Version9x = 0;
    bool IsNT = false;
    uint8_t VersionNT = 0;
    uint8_t Version = 0;
    int32_t ServicePack = 0;
    std::string Description;
};

constexpr uint32_t kPlatform9x = 1;
constexpr uint32_t kPlatformNT = 2;

// The record for these version numbers, as GetOSVersionRecord fills it.
TOS MakeOSRecord(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build, std::string_view servicePack);

// The version names, indexed by TOS::Version.
std::string_view OSVersionName(uint8_t version);

TOS GetOSVersionRecord();

}  // namespace shell
