#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "classlib/Registry.h"
#include "winsys_test_util.h"

namespace {

// Every test works below its own key of the current user and removes it afterwards.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = "Software\\DriftpaneTest_" + winsys_test::RunTag() + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    void TearDown() override { SHDeleteKeyA(HKEY_CURRENT_USER, base_.c_str()); }

    bool RawKeyExists(const std::string& path) {
        HKEY k;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
        RegCloseKey(k);
        return true;
    }
    void RawSet(const std::string& name, DWORD type, const void* data, DWORD size) {
        HKEY k;
        ASSERT_EQ(
            RegCreateKeyExA(HKEY_CURRENT_USER, base_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
            ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(k, name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(k);
    }
    // Type and bytes as stored; type REG_NONE with no bytes when missing.
    std::pair<DWORD, std::string> RawGet(const std::string& path, const std::string& name) {
        HKEY k;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return {REG_NONE, ""};
        DWORD type = REG_NONE, size = 0;
        std::string data;
        if (RegQueryValueExA(k, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            data.resize(size);
            RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        } else {
            type = REG_NONE;
        }
        RegCloseKey(k);
        return {type, data};
    }
    std::string Abs() const { return "\\" + base_; }

    std::string base_;
};

std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ERegistryException& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

TEST_F(RegistryTest, StringWrittenUnderAbsoluteKeyWithTrailingBackslashReadsBack) {
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKey(Abs() + "\\", true));
        EXPECT_EQ(reg.CurrentPath(), base_);
        reg.WriteString("Quest2", "C:\\Projects\\sample.dpb");
        reg.WriteString("Empty", "");
    }
    auto raw = RawGet(base_, "Quest2");
    EXPECT_EQ(raw.first, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.second, std::string("C:\\Projects\\sample.dpb", 23));

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Abs(), false));
    EXPECT_EQ(reg.ReadString("Quest2"), "C:\\Projects\\sample.dpb");
    EXPECT_EQ(reg.ReadString("Empty"), "");
    EXPECT_EQ(reg.ReadString("NeverWritten"), "");
}

TEST_F(RegistryTest, BooleansAreStoredAsThirtyTwoBitIntegers) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Abs(), true));
    reg.WriteBool("Quest1", false);
    reg.WriteBool("Tips", true);
    auto q1 = RawGet(base_, "Quest1");
    auto tips = RawGet(base_, "Tips");
    EXPECT_EQ(q1.first, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(q1.second, std::string("\0\0\0\0", 4));
    EXPECT_EQ(tips.first, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(tips.second, std::string("\1\0\0\0", 4));
    EXPECT_FALSE(reg.ReadBool("Quest1"));
    EXPECT_TRUE(reg.ReadBool("Tips"));

    DWORD five = 5;
    RawSet("Five", REG_DWORD, &five, 4);
    EXPECT_TRUE(reg.ReadBool("Five"));
    EXPECT_EQ(reg.ReadInteger("Five"), 5);
}

TEST_F(RegistryTest, IntegersKeepTheirSign) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Abs(), true));
    const int32_t values[] = {0, 1, -1, 16711680, INT32_MIN, INT32_MAX};
    for (int32_t v : values) {
        reg.WriteInteger("N", v);
        EXPECT_EQ(reg.ReadInteger("N"), v);
    }
    reg.WriteInteger("M", -1);
    EXPECT_EQ(RawGet(base_, "M").second, std::string("\xFF\xFF\xFF\xFF", 4));
}

TEST_F(RegistryTest, FailedReadsRaiseTheInvalidDataTypeMessage) {
    DWORD num = 1;
    RawSet("Num", REG_DWORD, &num, 4);
    RawSet("Text", REG_SZ, "1", 2);
    RawSet("Bin4", REG_BINARY, "\1\0\0\0", 4);
    RawSet("Multi", REG_MULTI_SZ, "a\0b\0\0", 5);
    RawSet("Short", REG_DWORD, "\1\0", 2);

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Abs(), false));
    struct Case {
        const char* what;
        std::function<void()> read;
        const char* message;
    } cases[] = {
        {"string from integer", [&] { reg.ReadString("Num"); }, "Invalid data type for 'Num'"},
        {"string from multi-string", [&] { reg.ReadString("Multi"); }, "Invalid data type for 'Multi'"},
        {"integer missing", [&] { reg.ReadInteger("Missing"); }, "Invalid data type for 'Missing'"},
        {"integer from text", [&] { reg.ReadInteger("Text"); }, "Invalid data type for 'Text'"},
        {"integer from binary", [&] { reg.ReadInteger("Bin4"); }, "Invalid data type for 'Bin4'"},
        {"integer of two bytes", [&] { reg.ReadInteger("Short"); }, "Invalid data type for 'Short'"},
        {"bool missing", [&] { reg.ReadBool("Quest1"); }, "Invalid data type for 'Quest1'"},
        {"bool from text", [&] { reg.ReadBool("Text"); }, "Invalid data type for 'Text'"},
    };
    for (const Case& c : cases) EXPECT_EQ(MessageOf(c.read), c.message) << c.what;
}

TEST_F(RegistryTest, StoredTextEndsAtItsFirstNulEvenWithoutTerminator) {
    RawSet("NoNul", REG_SZ, "abc", 3);
    RawSet("Inner", REG_SZ, "ab\0cd", 6);
    RawSet("Expand", REG_EXPAND_SZ, "%TEMP%\\x", 9);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Abs(), false));
    EXPECT_EQ(reg.ReadString("NoNul"), "abc");
    EXPECT_EQ(reg.ReadString("Inner"), "ab");
    EXPECT_EQ(reg.ReadString("Expand"), "%TEMP%\\x");
}

TEST_F(RegistryTest, LongStringsRoundTrip) {
    std::string big(100000, 'x');
    for (size_t i = 0; i < big.size(); i += 7) big[i] = static_cast<char>('a' + i % 26);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Abs(), true));
    reg.WriteString("Big", big);
    EXPECT_EQ(reg.ReadString("Big"), big);
}

TEST_F(RegistryTest, OpenWithoutCreateFailsOnMissingKeyAndCreatesNothing) {
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey(Abs() + "\\Missing", false));
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    EXPECT_FALSE(RawKeyExists(base_ + "\\Missing"));
    EXPECT_FALSE(reg.KeyExists(Abs() + "\\Missing"));
    ASSERT_TRUE(reg.OpenKey(Abs() + "\\Missing", true));
    EXPECT_TRUE(RawKeyExists(base_ + "\\Missing"));
}

TEST_F(RegistryTest, RelativeKeysHangBelowTheCurrentKey) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Abs(), true));
    ASSERT_TRUE(reg.OpenKey("Sub\\Deeper", true));
    EXPECT_EQ(reg.CurrentPath(), base_ + "\\Sub\\Deeper");
    reg.WriteString("V", "deep");
    EXPECT_EQ(RawGet(base_ + "\\Sub\\Deeper", "V").second, std::string("deep", 5));

    // Absolute again, regardless of where we are.
    ASSERT_TRUE(reg.OpenKey(Abs() + "\\Sub", false));
    EXPECT_EQ(reg.CurrentPath(), base_ + "\\Sub");
    EXPECT_TRUE(reg.KeyExists("Deeper"));
    EXPECT_FALSE(reg.KeyExists("Sub"));

    // With no key open, a relative path starts at the root.
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey(base_ + "\\Sub\\Deeper", false));
    EXPECT_EQ(reg.ReadString("V"), "deep");
}

TEST_F(RegistryTest, FailedOpenLeavesNoKeyForLaterWritesOrDeletes) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Abs(), true));
    reg.WriteString("Keep", "original");
    EXPECT_FALSE(reg.OpenKey(Abs() + "\\NotThere", false));
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    EXPECT_EQ(MessageOf([&] { reg.WriteString("Keep", "changed"); }), "Failed to set data for 'Keep'");
    EXPECT_FALSE(reg.DeleteValue("Keep"));
    EXPECT_FALSE(reg.ValueExists("Keep"));
    EXPECT_EQ(RawGet(base_, "Keep").second, std::string("original", 9));
}

TEST_F(RegistryTest, ChangingTheRootKeyClosesTheCurrentKey) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Abs(), true));
    reg.SetRootKey(HKEY_CURRENT_USER);
    EXPECT_NE(reg.CurrentKey(), nullptr);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.RootKey(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    EXPECT_EQ(reg.CurrentPath(), "");
}

TEST_F(RegistryTest, ValuesCanBeTestedAndDeleted) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Abs(), true));
    reg.WriteString("SCRNSAVE.EXE", "C:\\WINDOWS\\X.SCR");
    reg.WriteInteger("Count", 3);
    EXPECT_TRUE(reg.ValueExists("SCRNSAVE.EXE"));
    EXPECT_TRUE(reg.ValueExists("scrnsave.exe"));
    EXPECT_EQ(reg.GetDataType("Count"), rdInteger);
    EXPECT_EQ(reg.GetDataType("SCRNSAVE.EXE"), rdString);
    EXPECT_EQ(reg.GetDataSize("Count"), 4);
    EXPECT_EQ(reg.GetDataSize("Nothing"), -1);

    TStringList names;
    reg.GetValueNames(names);
    EXPECT_EQ(names.Count(), 2);
    EXPECT_GE(names.IndexOf("Count"), 0);

    EXPECT_TRUE(reg.DeleteValue("SCRNSAVE.EXE"));
    EXPECT_FALSE(reg.DeleteValue("SCRNSAVE.EXE"));
    EXPECT_FALSE(reg.ValueExists("SCRNSAVE.EXE"));
    EXPECT_EQ(RawGet(base_, "SCRNSAVE.EXE").first, static_cast<DWORD>(REG_NONE));
    EXPECT_TRUE(reg.ValueExists("Count"));
}

TEST_F(RegistryTest, DeleteKeyRemovesTheWholeSubtree) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Abs() + "\\App\\Sub1\\Leaf", true));
    reg.WriteString("A", "1");
    ASSERT_TRUE(reg.OpenKey(Abs() + "\\App\\Sub2", true));
    reg.WriteString("B", "2");
    ASSERT_TRUE(reg.OpenKey(Abs() + "\\Other", true));

    ASSERT_TRUE(reg.OpenKey(Abs() + "\\App", false));
    EXPECT_TRUE(reg.HasSubKeys());
    TStringList keys;
    reg.GetKeyNames(keys);
    EXPECT_EQ(keys.Count(), 2);

    EXPECT_TRUE(reg.DeleteKey(Abs() + "\\App"));
    EXPECT_FALSE(RawKeyExists(base_ + "\\App"));
    EXPECT_TRUE(RawKeyExists(base_ + "\\Other"));
    EXPECT_FALSE(reg.DeleteKey(Abs() + "\\App"));
}

TEST_F(RegistryTest, DeleteKeyRefusesAnEmptyPath) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Abs(), true));
    // "...\uninstall\" + an empty name must not take the parent with it.
    for (const char* path : {"", "\\", "\\\\", "\\\\\\"}) EXPECT_FALSE(reg.DeleteKey(path)) << path;
    EXPECT_TRUE(RawKeyExists(base_));
    EXPECT_TRUE(RawKeyExists("Software"));
}

TEST_F(RegistryTest, KeysOpenWithTheAccessMember) {
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(Abs(), true));
        reg.WriteString("X", "1");
    }
    TRegistry reg(KEY_READ);
    EXPECT_EQ(reg.Access, static_cast<REGSAM>(KEY_READ));
    ASSERT_TRUE(reg.OpenKey(Abs(), false));
    EXPECT_EQ(reg.ReadString("X"), "1");
    EXPECT_EQ(MessageOf([&] { reg.WriteString("X", "2"); }), "Failed to set data for 'X'");

    TRegistry rw;
    EXPECT_EQ(rw.Access, static_cast<REGSAM>(KEY_ALL_ACCESS));
    ASSERT_TRUE(rw.OpenKeyReadOnly(Abs()));
    EXPECT_EQ(MessageOf([&] { rw.WriteString("X", "3"); }), "Failed to set data for 'X'");
    EXPECT_EQ(rw.Access, static_cast<REGSAM>(KEY_ALL_ACCESS));
    EXPECT_EQ(RawGet(base_, "X").second, std::string("1", 2));
}

TEST_F(RegistryTest, NoOpenKeyMeansNoValues) {
    TRegistry reg;
    EXPECT_FALSE(reg.ValueExists("X"));
    EXPECT_EQ(MessageOf([&] { reg.WriteBool("X", true); }), "Failed to set data for 'X'");
    EXPECT_EQ(MessageOf([&] { reg.ReadInteger("X"); }), "Invalid data type for 'X'");
}

}  // namespace
