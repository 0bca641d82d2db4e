#include <gtest/gtest.h>
#include "framework/registry.h"

using framework::Registry;

namespace {

constexpr const char* kTestRoot = "Software\\TessarelTests";
constexpr const char* kKey = "Software\\TessarelTests\\Registry";

void SetRaw(HKEY key, const char* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS) << name;
}

// A key holding one value of every kind the program may meet.
class RegistryReads : public ::testing::Test {
protected:
    void SetUp() override {
        Registry cleanup;
        cleanup.DeleteKey(kTestRoot);
        ASSERT_TRUE(reg.OpenKey(kKey, true));
        HKEY k = reg.Key();
        DWORD seven = 7, zero = 0;
        unsigned long long wide = 5;
        SetRaw(k, "dword", REG_DWORD, &seven, sizeof seven);
        SetRaw(k, "zero", REG_DWORD, &zero, sizeof zero);
        SetRaw(k, "text", REG_SZ, "hello", 6);
        SetRaw(k, "number text", REG_SZ, "12", 3);
        SetRaw(k, "empty", REG_SZ, "", 1);
        SetRaw(k, "unterminated", REG_SZ, "abc", 3);
        SetRaw(k, "expand", REG_EXPAND_SZ, "%TEMP%", 7);
        SetRaw(k, "binary", REG_BINARY, &seven, sizeof seven);
        SetRaw(k, "qword", REG_QWORD, &wide, sizeof wide);
    }
    void TearDown() override {
        reg.CloseKey();
        Registry cleanup;
        cleanup.DeleteKey(kTestRoot);
    }
    Registry reg;
};

}  // namespace

TEST_F(RegistryReads, IntegersAnswerTheDefaultForMissingOrWrongTypedValues) {
    struct { const char* name; int value; } cases[] = {
        {"dword", 7}, {"zero", 0}, {"missing", -5}, {"text", -5}, {"number text", -5},
        {"binary", -5}, {"qword", -5}, {"empty", -5},
    };
    for (const auto& c : cases) EXPECT_EQ(reg.ReadInteger(c.name, -5), c.value) << c.name;

    struct { const char* name; bool def, value; } flags[] = {
        {"dword", false, true}, {"zero", true, false}, {"missing", true, true}, {"text", true, true},
        {"text", false, false},
    };
    for (const auto& c : flags) EXPECT_EQ(reg.ReadBool(c.name, c.def), c.value) << c.name;
}

TEST_F(RegistryReads, StringsAnswerTheDefaultForMissingOrWrongTypedValues) {
    struct { const char* name; const char* value; } cases[] = {
        {"text", "hello"}, {"number text", "12"}, {"empty", ""}, {"unterminated", "abc"},
        {"expand", "%TEMP%"},   // read as stored, not expanded
        {"dword", "default"}, {"binary", "default"}, {"missing", "default"},
    };
    for (const auto& c : cases) EXPECT_EQ(reg.ReadString(c.name, "default"), c.value) << c.name;
    EXPECT_FALSE(reg.TryReadString("dword").has_value());
    EXPECT_FALSE(reg.TryReadInteger("text").has_value());
}

TEST_F(RegistryReads, PathsWithLeadingOrTrailingBackslashesNameTheSameKey) {
    for (const char* path : {"\\Software\\TessarelTests\\Registry", "Software\\TessarelTests\\Registry\\",
                             "\\Software\\TessarelTests\\Registry\\"}) {
        Registry other;
        EXPECT_TRUE(other.KeyExists(path)) << path;
        ASSERT_TRUE(other.OpenKeyReadOnly(path)) << path;
        EXPECT_EQ(other.ReadInteger("dword", -1), 7) << path;
        ASSERT_TRUE(other.OpenKey(path, false)) << path;
        EXPECT_TRUE(other.WriteString("written", path));
        EXPECT_EQ(reg.ReadString("written", ""), path);
    }
}

TEST_F(RegistryReads, WritesReadBackAndAMissingKeyAnswersDefaults) {
    EXPECT_TRUE(reg.WriteInteger("negative", -3));
    EXPECT_TRUE(reg.WriteBool("flag", true));
    EXPECT_TRUE(reg.WriteString("text", "replaced"));
    EXPECT_EQ(reg.ReadInteger("negative", 0), -3);
    EXPECT_TRUE(reg.ReadBool("flag", false));
    EXPECT_EQ(reg.ReadString("text", ""), "replaced");
    EXPECT_TRUE(reg.DeleteValue("flag"));
    EXPECT_FALSE(reg.ValueExists("flag"));

    Registry missing;
    EXPECT_FALSE(missing.OpenKey("Software\\TessarelTests\\No Such Key", false));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.ReadInteger("dword", 9), 9);
    EXPECT_EQ(missing.ReadString("text", "d"), "d");
    EXPECT_FALSE(missing.WriteInteger("dword", 1));
    EXPECT_FALSE(Registry().KeyExists("Software\\TessarelTests\\No Such Key"));
}
