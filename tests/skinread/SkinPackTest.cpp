// The skin packer: the container's bytes, what it refuses to write, and the
// command-line program read back by the reader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "skin/SkinRead.h"
#include "tests/runtime/TempDir.h"
#include "tests/skinread/SkinTestUtil.h"
#include "tools/skinpack/SkinPack.h"

namespace {

using namespace skintest;
using skinpack::TSkinEntry;

TEST(SkinPack, ContainerBytes) {
    const Bytes c = skinpack::SkinContainer({{"Ab.bmp", ToBytes("xy")}, {"c.ini", ToBytes("")}, {"d", ToBytes("z")}},
                                            {9, 8, 7, 6, 5, 4, 3, 2});
    Bytes expected = {0x20, 0x4E, 0, 0,  // 20000
                      18,   0,    0, 0,  // "Ab.bmp\r\nc.ini\r\nd\r\n"
                      9,    8,    7, 6, 5, 4, 3, 2};
    Append(expected, ToBytes("Ab.bmp\r\nc.ini\r\nd\r\n"));
    Append(expected, {2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0});
    Append(expected, ToBytes("xyz"));
    EXPECT_EQ(c, expected);

    const Bytes empty = skinpack::SkinContainer({});
    EXPECT_EQ(empty, (Bytes{0x20, 0x4E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(SkinPack, PackageIsSizeThenCodedContainer) {
    const Bytes container = skinpack::SkinContainer({{"a.bmp", Noise(700, 1)}});
    const Bytes package = skinpack::SkinPackage(container);
    ASSERT_GE(package.size(), 4u);
    const int32_t n = static_cast<int32_t>(package[0] | (package[1] << 8) | (package[2] << 16) | (package[3] << 24));
    EXPECT_EQ(n, static_cast<int32_t>(container.size()));
    EXPECT_EQ(Bytes(package.begin() + 4, package.end()), skinpack::LzhCompress(container));
}

TEST(SkinPack, RefusesWhatTheReaderCouldNotUse) {
    std::vector<TSkinEntry> tooMany;
    for (int i = 0; i <= skinpack::MaxEntries; ++i) tooMany.push_back({"e" + std::to_string(i), {}});
    const std::vector<std::vector<TSkinEntry>> cases = {
        {{"a\r\nb", {}}},     {{"a\nb", {}}}, {{"a\r", {}}}, {{"Button.bmp", {}}, {"button.BMP", {}}},
        {{"", {}}, {"", {}}}, tooMany,
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_THROW(skinpack::SkinContainer(cases[i]), std::invalid_argument);
    }
    tooMany.pop_back();
    EXPECT_NO_THROW(skinpack::SkinContainer(tooMany));
}

TEST(SkinPack, EntryNameOfAFileArgument) {
    struct Case {
        const char* path;
        const char* name;
    };
    const Case cases[] = {
        {"My_Button.bmp", "My_Button.bmp"},
        {"skins/steel/Close.BMP", "Close.BMP"},
        {"C:\\skins\\brushed-steel.ini", "brushed-steel.ini"},
        {"./x", "x"},
    };
    for (const Case& c : cases) EXPECT_EQ(skinpack::EntryNameOf(c.path), c.name) << c.path;
}

#ifdef DP_SKINPACK_EXE

}  // namespace

#include <sys/wait.h>

namespace {

int RunSkinpack(const std::vector<std::string>& args) {
    std::string cmd = "'" DP_SKINPACK_EXE "'";
    for (const std::string& a : args) cmd += " '" + a + "'";
    cmd += " 2>/dev/null";
    const int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(SkinPackProgram, WritesAPackageTheReaderLoads) {
    TempDir dir;
    const std::string d = dir.Path();
    const Bytes bitmap = Noise(20000, 5);
    WriteAll(d + "/Brushed-Steel.ini", "[Form]\r\nCaption=x\r\n");
    WriteAll(d + "/my_MenuItem.bmp", std::string(bitmap.begin(), bitmap.end()));
    WriteAll(d + "/empty.bmp", "");
    const std::string out = d + "/out.skn";
    ASSERT_EQ(RunSkinpack({out, d + "/Brushed-Steel.ini", d + "/my_MenuItem.bmp", d + "/empty.bmp"}), 0);

    const std::string package = ReadAll(out);
    TMemoryStream s;
    s.WriteString(package);
    // The names are stored as given.
    TSkinReader r;
    TMemoryStream container;
    r.Unpack(s, container);
    const Bytes c = StreamBytes(container);
    const std::string names = "Brushed-Steel.ini\r\nmy_MenuItem.bmp\r\nempty.bmp\r\n";
    ASSERT_GE(c.size(), 16 + names.size());
    EXPECT_EQ(std::string(c.begin() + 16, c.begin() + 16 + static_cast<std::ptrdiff_t>(names.size())), names);

    ASSERT_TRUE(r.LoadFromStream(s));
    EXPECT_EQ(r.Count, 3);
    std::string found;
    TMemoryStream entry;
    r.FindEntry(".ini", entry, found);
    EXPECT_EQ(found, "brushed-steel.ini");
    EXPECT_EQ(StreamBytes(entry), ToBytes("[Form]\r\nCaption=x\r\n"));
    r.ReadEntry("My_MenuItem.BMP", entry);
    EXPECT_EQ(StreamBytes(entry), bitmap);
    r.ReadEntry("empty.bmp", entry);
    EXPECT_EQ(entry.Size(), 0);
}

TEST(SkinPackProgram, Failures) {
    TempDir dir;
    const std::string d = dir.Path();
    WriteAll(d + "/a.bmp", "a");
    WriteAll(d + "/A.BMP.txt", "b");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int rc;
    };
    const Case cases[] = {
        {"no files", {d + "/out.skn"}, 2},
        {"missing file", {d + "/out.skn", d + "/a.bmp", d + "/none.bmp"}, 1},
        {"same name twice", {d + "/out.skn", d + "/a.bmp", d + "/./a.bmp"}, 1},
        {"folder cannot be created in", {d + "/no/such/out.skn", d + "/a.bmp"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RunSkinpack(c.args), c.rc);
        EXPECT_EQ(ReadAll(d + "/out.skn"), "");
    }
}

#endif

}  // namespace
