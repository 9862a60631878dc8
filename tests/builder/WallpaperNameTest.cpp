// One table of wallpaper names through the builder's check, the installer
// writer and setup's check of what it wrote: a name the builder takes makes a
// package setup takes; a name it refuses, setup refuses with the same words.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builder/MySetup.h"
#include "classlib/Classes.h"
#include "classlib/SysUtils.h"
#include "common/RecordHead.h"
#include "common/WallpaperName.h"
#include "setup/DataExpressCore.h"
#include "tests/builder/BuilderTestUtil.h"
#include "tests/model/ModelTestUtil.h"

using namespace builder_test;

namespace {

// Letters of the ANSI code page beyond ASCII; empty when the code page lacks them.
std::string AnsiLetters(const wchar_t* wide) {
    char buf[64] = {};
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, buf, sizeof buf, nullptr, &lossy);
    return n > 0 && !lossy ? std::string(buf) : std::string();
}

struct NameCase {
    std::string name;
    bool accepted;
};

std::vector<NameCase> Names() {
    std::vector<NameCase> cases = {
        {"Driftpane Builder", true},
        {"Sunset (HD)", true},
        {"Waves, calm", true},
        {"[Blue]", true},
        {"Rock & Roll", true},
        {"100% Drift", true},
        {"Rob's Wallpaper", true},
        {"Wow!", true},
        {"Night; Day", true},
        {"{curly}", true},
        {"Sunset (HD), [Blue] & 100% 'Calm'! ; {x}", true},
        {" leading blank", true},
        {"  two leading blanks", true},
        {"CONSOLE", true},
        {std::string(MaxWallpaperNameLength, 'n'), true},
        {std::string(MaxWallpaperNameLength + 1, 'n'), false},
        {std::string(255, 'n'), false},
        {"", false},
        {"trailing blank ", false},
        {"   ", false},
        {"dot.", false},
        {"a\"b", false},
        {"a/b", false},
        {"a\\b", false},
        {"a:b", false},
        {"a*b", false},
        {"what?", false},
        {"<a>", false},
        {"a|b", false},
        {"tab\there", false},
        {std::string("del\x7f", 4), false},
        {"CON", false},
        {"nul.txt", false},
        {"com1", false},
        {"LPT9 ", false},
    };
    const std::string letters = AnsiLetters(L"Caf\u00e9 \u00dcber Se\u00f1or");
    if (!letters.empty()) cases.push_back({letters, true});
    return cases;
}

TEST(WallpaperNames, WhatTheBuilderTakesSetupTakesAndWhatItRefusesSetupRefusesAlike) {
    ScratchDir scratch;
    const std::string movie = scratch.File("drift.swf");
    WriteWholeFile(movie, MovieWithSound());
    const std::string stand = scratch.File("page.html");
    WriteWholeFile(stand, "<html></html>");
    for (const NameCase& c : Names()) {
        SCOPED_TRACE("name \"" + c.name + "\"");
        const std::string problem = WallpaperNameProblem(c.name);
        EXPECT_EQ(problem.empty(), c.accepted) << problem;

        // The package Create Installer writes (BuildInstaller); a refused name cannot
        // name a file, so another page stands in.
        const std::string page = c.accepted ? scratch.File(c.name + ".html") : stand;
        if (c.accepted) {
            WriteWholeFile(page, "<html></html>");
            ASSERT_EQ(ReadWholeFile(page), "<html></html>") << "the name makes a file";
        }
        const std::string target = scratch.File("setup.exe");
        {
            TMySetup setup(nullptr);
            setup.SetProgramName(c.name);
            setup.AddFile(page, RootInstallDir, "");
            setup.AddFile(movie, RootInstallDir, "");
            setup.AddDirectory(RootInstallDir, "");
            setup.AddLink(lkCreateGroup, RootInstallDir, "", "", c.name);
            setup.AddLink(lkWallpaper, RootInstallDir, "", c.name + ".html", "");
            ASSERT_TRUE(setup.CreateSetup(target)) << setup.ErrorText();
        }
        if (c.accepted) RemoveFile(page);

        // What setup checks before its wizard.
        TFileStream s(target, fmOpenRead | fmShareDenyNone);
        TPackIndex index;
        ASSERT_TRUE(LoadPackIndex(s, index));
        EXPECT_EQ(CheckPackIndex(index, static_cast<uint64_t>(s.Size()) - PackHeadSize), problem);
    }
}

}  // namespace
