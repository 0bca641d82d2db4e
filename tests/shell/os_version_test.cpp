#include <gtest/gtest.h>
#include "shell/os_version.h"

using namespace shell;

TEST(OsVersion, VersionsAreNamedByTheirFamilyTable) {
    struct { uint32_t platform, major, minor, build; const char* sp; uint8_t version; const char* description; } cases[] = {
        {kPlatform9x, 3, 95, 0, "", 0, "None"},
        {kPlatform9x, 4, 0, 950, "", 1, "Windows 95"},
        {kPlatform9x, 4, 0, 1111, "", 2, "Windows 95 OSR-2"},
        {kPlatform9x, 4, 10, 1998, "", 3, "Windows 98"},
        {kPlatform9x, 4, 10, 2222, " A ", 4, "Windows 98 SE"},   // no service pack on the 9x family
        {kPlatform9x, 4, 10, 2800, "", 5, "Windows ME"},
        {kPlatform9x, 4, 90, 3000, "", 5, "Windows ME"},
        {kPlatform9x, 4, 91, 0, "", 6, "Windows 9x New"},
        {kPlatform9x, 5, 0, 0, "", 6, "Windows 9x New"},
        {kPlatformNT, 3, 51, 1057, "", 7, "Windows NT 3"},
        {kPlatformNT, 4, 0, 1381, "Service Pack 6a", 8, "Windows NT 4 Service Pack 6a"},
        {kPlatformNT, 5, 0, 2195, "", 9, "Windows 2000"},
        {kPlatformNT, 5, 1, 2600, "Service Pack 2", 10, "Windows XP Service Pack 2"},
        {kPlatformNT, 5, 2, 3790, "", 11, "Windows 2003"},
        {kPlatformNT, 5, 3, 0, "", 12, "Windows NT New"},
        {kPlatformNT, 6, 1, 7601, "Service Pack 1", 12, "Windows NT New Service Pack 1"},
        {3, 10, 0, 0, "", 0, "None"},
    };
    for (const auto& c : cases) {
        TOS os = MakeOSRecord(c.platform, c.major, c.minor, c.build, c.sp);
        EXPECT_EQ(os.Version, c.version) << c.major << "." << c.minor;
        EXPECT_EQ(os.Description, c.description);
        EXPECT_EQ(os.Version9x, os.Is9x ? c.version : 0);
        EXPECT_EQ(os.VersionNT, os.IsNT ? c.version : 0);
    }
}

TEST(OsVersion, ServicePackNumberIsReadByItsLeadingDigits) {
    struct { uint32_t platform; const char* text; int32_t number; } cases[] = {
        {kPlatformNT, "Service Pack 2", 2}, {kPlatformNT, "Service Pack 6a", 6}, {kPlatformNT, "Service Pack 12", 12},
        {kPlatformNT, "Service Pack ", 0}, {kPlatformNT, "", 0}, {kPlatformNT, "Service Pack x", 0},
        {kPlatform9x, "Service Pack 2", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(MakeOSRecord(c.platform, 5, 1, 0, c.text).ServicePack, c.number) << c.text;
    EXPECT_EQ(MakeOSRecord(kPlatform9x, 4, 10, 0x04002222, "").Build, 0x2222u);   // low 16 bits on the 9x family
}

TEST(OsVersion, TheRunningSystemIsReadOnce) {
    TOS a = GetOSVersionRecord();
    TOS b = GetOSVersionRecord();
    EXPECT_TRUE(a.IsNT);
    EXPECT_FALSE(a.Description.empty());
    EXPECT_EQ(a.Description, b.Description);
    EXPECT_EQ(a.Build, b.Build);
}
