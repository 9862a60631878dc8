// The main window in process: the transfer between controls and model, the modified flag and
// its caption mark, the key filter of the custom fields, the name check of installers, the tips.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "builder/Main.h"
#include "builder/tips.h"
#include "classlib/Registry.h"
#include "common/RecordHead.h"

namespace {

class MainForm : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        // An earlier run's choice: no last project and no sample, so the window shows its definition.
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey(BuilderRegKey, true));
        reg.WriteString("Quest2", "");
        reg.WriteBool("Quest1", false);
        form = NewForm<TfrmMain>(Application);
        ASSERT_NE(form->ShockwaveFlash1, nullptr);
    }
    void TearDown() override {
        if (form) form->Free();
        for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    }
    TfrmMain* form = nullptr;
};

TEST_F(MainForm, StartsFromItsDefinitionWithoutMarks) {
    EXPECT_EQ(form->Caption(), "Driftpane Maker 2.07");
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(form->edtWallpaperName->Text(), "Driftpane Builder");
    EXPECT_EQ(form->CbbMoveQuality->ItemIndex(), 1);
    EXPECT_EQ(form->cbbMovieSize->ItemIndex(), -1);
    EXPECT_EQ(form->cbbYAlignment->Items()->Get(0), "Left");  // the horizontal items
    EXPECT_EQ(form->cbbXAlignment->Items()->Get(0), "Top");
    EXPECT_FALSE(form->cbbYAlignment->Visible());
    EXPECT_TRUE(form->edtLeft->Enabled());  // the definition's state until a position is chosen
    EXPECT_EQ(form->PageControl1->PageCount(), 3);
    EXPECT_EQ(form->TabSheet1->Caption(), "      Select Flash File      ");
    EXPECT_EQ(form->TabSheet3->Caption(), "       Author Information       ");
    EXPECT_EQ(form->btnPublish->Caption(), "&Create A Installer");
    EXPECT_EQ(form->ClientWidth(), 527);
    EXPECT_EQ(form->ClientHeight(), 324);
}

TEST_F(MainForm, ControlsToModelFillBlanksAndPassUnselectedListsAs255) {
    form->edtWallpaperName->SetText("   ");
    form->edtAuthor->SetText("");
    form->edtEmail->SetText(" ");
    form->edtWebSite->SetText("");
    form->edtFlashfileName->SetText("C:\\movie.swf ");
    form->SyncSettings(true);
    const TDriftpaneClass& m = *form->Model();
    EXPECT_EQ(m.WallPaperName, "Driftpane Maker");
    EXPECT_EQ(m.Author, "Orvell");
    EXPECT_EQ(m.Email, MakerSalesEmail);
    EXPECT_EQ(m.Website, "http://www.driftpane.example.com");
    EXPECT_EQ(m.FlashFile, "C:\\movie.swf ");  // as typed
    EXPECT_EQ(m.MovieQuality, 1);
    EXPECT_EQ(m.MovieSize, 255);
    EXPECT_EQ(m.WallPaperPosition, 255);
    EXPECT_EQ(m.MoviePosition, 255);
    EXPECT_EQ(m.MovieHAligment, 1);
    EXPECT_EQ(m.MovieLeft, 0);
    EXPECT_TRUE(m.Loop);

    form->edtWallpaperName->SetText(" Named ");
    form->edtLeft->SetText("12");
    form->edtBottom->SetText("40");
    form->SyncSettings(true);
    EXPECT_EQ(m.WallPaperName, " Named ");
    EXPECT_EQ(m.MovieLeft, 12);
    EXPECT_EQ(m.MovieBottom, 40);
}

TEST_F(MainForm, PastedTextInACustomFieldRaisesTheConversionError) {
    form->edtTop->SetText("12a");
    try {
        form->SyncSettings(true);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "'12a' is not a valid integer value");
    }
}

TEST_F(MainForm, ModelToControlsMarksNothingAndDropsIndexesOutOfRange) {
    TDriftpaneClass& m = *form->Model();
    m.SetWallPaperName("Loaded");
    m.SetMoviePosition(10);
    m.SetMovieSize(7);
    m.SetMovieLeft(5);
    m.SetLoop(false);
    form->SyncSettings(false);
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(form->Caption(), "Driftpane Maker 2.07");
    EXPECT_EQ(form->edtWallpaperName->Text(), "Loaded");
    EXPECT_EQ(form->cbbMovieSize->ItemIndex(), -1);
    EXPECT_EQ(form->edtLeft->Text(), "5");
    EXPECT_FALSE(form->CheckBox1->Checked());
    EXPECT_TRUE(form->edtLeft->Enabled());  // "Custom"
    EXPECT_TRUE(form->lblBFH2->Enabled());
}

TEST_F(MainForm, SettingsChangesMarkTheProjectButTheCustomFieldsDoNot) {
    form->edtLeft->SetText("7");
    EXPECT_FALSE(form->Modified());
    form->edtAuthor->SetText("Someone");
    EXPECT_TRUE(form->Modified());
    EXPECT_EQ(form->Caption(), "Driftpane Maker 2.07-*");
}

TEST_F(MainForm, ChoosingAPositionEnablesExactlyTheCustomControlsForCustom) {
    for (int index : {10, 0, 5}) {
        SCOPED_TRACE(index);
        form->cbbMoviePosition->SetItemIndex(index);
        form->cbbMoviePositionChange(form->cbbMoviePosition);
        for (TControl* c : std::initializer_list<TControl*>{form->lblLeft, form->edtLeft, form->lblTop, form->edtTop,
                                                            form->lblRight, form->edtRight, form->lblBottom,
                                                            form->edtBottom, form->lblBFH1, form->lblBFH2})
            EXPECT_EQ(c->Enabled(), index == 10) << c->Name();
        EXPECT_TRUE(form->edtAuthor->Enabled());
    }
    EXPECT_TRUE(form->Modified());
}

TEST_F(MainForm, ResetControlsGivesTheNewProjectValuesAndMarksTheProject) {
    form->CheckBox1->SetChecked(false);
    form->ResetControls();
    EXPECT_EQ(form->edtWallpaperName->Text(), "New Project");
    EXPECT_EQ(form->cbbMovieSize->ItemIndex(), 1);
    EXPECT_EQ(form->cbbMoviePosition->ItemIndex(), 0);
    EXPECT_EQ(form->edtWebSite->Text(), MakerWebHost);
    EXPECT_TRUE(form->CheckBox1->Checked());
    EXPECT_FALSE(form->edtLeft->Enabled());
    EXPECT_TRUE(form->Modified());
    EXPECT_EQ(form->Caption(), "Driftpane Maker 2.07-*");
}

TEST_F(MainForm, CustomFieldsTakeDigitsAndEnterOnly) {
    struct KeyCase {
        char typed;
        bool passes;
    };
    const KeyCase cases[] = {{'0', true},  {'9', true},  {13, true},  {8, false},
                             {'a', false}, {'-', false}, {' ', false}};
    for (const KeyCase& c : cases) {
        char key = c.typed;
        form->edtLeftKeyPress(form->edtLeft, key);
        EXPECT_EQ(key, c.passes ? c.typed : 0) << int(c.typed);
    }
}

std::string ExeDir() {
    char buf[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string s = buf;
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// The installer of the current wallpaper: the setup program, the page, the movie and the
// uninstaller, the tables and the head, as setup reads them.
TEST_F(MainForm, BuildInstallerPacksThePageTheMovieAndTheUninstaller) {
    const std::string dir = ExeDir();
    CreateDirectoryA((dir + "ui_movies").c_str(), nullptr);
    const std::string movie = dir + "ui_movies\\pack.swf";
    ASSERT_TRUE(CopyFileA((dir + "sample.swf").c_str(), movie.c_str(), FALSE));
    const std::string target = dir + "ui_movies\\Pack Test.exe";
    form->edtWallpaperName->SetText("Pack Test");
    form->edtFlashfileName->SetText(movie);
    form->edtAuthor->SetText("The Author");
    form->BuildInstaller(target);

    const std::string bytes = Slurp(target);
    const std::string setup = Slurp(DP_SETUP_STANDIN);
    const std::string uninstall = Slurp(DP_UNINSTALL_STANDIN);
    ASSERT_GT(bytes.size(), setup.size() + PackHeadSize);
    EXPECT_EQ(bytes.substr(0, setup.size()), setup);
    TPackHead head{};
    DecodePackHead(reinterpret_cast<const uint8_t*>(bytes.data()) + bytes.size() - PackHeadSize, head);
    EXPECT_TRUE(PackHeadHasMagic(head));
    EXPECT_EQ(GetPackText(head.ProgramName), "Pack Test");
    EXPECT_EQ(GetPackText(head.Author), "The Author");
    EXPECT_EQ(GetPackText(head.Website), "www.driftpane.example.com");
    ASSERT_EQ(head.FileCount, 3u);
    EXPECT_EQ(head.DirCount, 1u);
    ASSERT_EQ(head.LinkCount, 3u);
    EXPECT_EQ(head.RegCount, 0u);
    ASSERT_LE(size_t(head.FileOffset) + 3 * PackFileRecSize, bytes.size());

    const char* names[] = {"Pack Test.html", "pack.swf", "Uninstall.exe"};
    const std::string original = Slurp(movie);
    for (uint32_t i = 0; i < 3; ++i) {
        TPackFileRec rec{};
        DecodePackFileRec(reinterpret_cast<const uint8_t*>(bytes.data()) + head.FileOffset + i * PackFileRecSize, rec);
        EXPECT_EQ(GetPackText(rec.FileName), names[i]);
        EXPECT_EQ(GetPackText(rec.Root), "InstallDir");
        ASSERT_LE(size_t(rec.Offset) + rec.Size, bytes.size());
        const std::string stored = bytes.substr(rec.Offset, rec.Size);
        if (i == 1) {
            EXPECT_EQ(stored, original);
        }  // no mute asked: byte for byte
        if (i == 2) {
            EXPECT_EQ(stored, uninstall);
        }
        if (i == 0) {
            EXPECT_NE(stored.find("pack.swf"), std::string::npos);
        }
    }
    const uint8_t kinds[] = {0, 4, 1};
    for (uint32_t i = 0; i < 3; ++i) {
        TPackLinkRec rec{};
        DecodePackLinkRec(reinterpret_cast<const uint8_t*>(bytes.data()) + head.LinkOffset + i * PackLinkRecSize, rec);
        EXPECT_EQ(rec.Kind, kinds[i]);
        if (i == 0) {
            EXPECT_EQ(GetPackText(rec.Caption), "Pack Test");
        }
        if (i == 1) {
            EXPECT_EQ(GetPackText(rec.FileName), "Pack Test.html");
        }
        if (i == 2) {
            EXPECT_EQ(GetPackText(rec.FileName), "Uninstall.exe");
        }
    }
    // The page and the movie copy stay beside the program.
    EXPECT_TRUE(FileExists(dir + "Pack Test.html"));
    EXPECT_TRUE(FileExists(dir + "pack.swf"));
    DeleteFileA((dir + "Pack Test.html").c_str());
    DeleteFileA((dir + "pack.swf").c_str());
    DeleteFileA(target.c_str());
}

// A movie gone between the check and the build: its copy beside the program fails, and no
// installer is written. (Gone from beside the program itself, CreateSetup says so in a box.)
TEST_F(MainForm, BuildInstallerWithTheMovieGoneRaisesAndWritesNoInstaller) {
    const std::string dir = ExeDir();
    const std::string target = dir + "Gone Test.exe";
    DeleteFileA(target.c_str());
    form->edtWallpaperName->SetText("Gone Test");
    CreateDirectoryA((dir + "ui_movies").c_str(), nullptr);
    form->edtFlashfileName->SetText(dir + "ui_movies\\gone.swf");
    EXPECT_THROW(form->BuildInstaller(target), Exception);
    EXPECT_FALSE(FileExists(target));
    DeleteFileA((dir + "Gone Test.html").c_str());
}

TEST(WallpaperName, ThatCannotNameAFileIsRefused) {
    struct NameCase {
        std::string name;
        bool ok;
    };
    const NameCase cases[] = {
        {"Driftpane Builder", true},
        {" leading blank", true},
        {std::string(MaxWallpaperNameLength, 'n'), true},
        {std::string(MaxWallpaperNameLength + 1, 'n'), false},
        {"Sunset (HD), [Blue] & 100%", true},
        {"CON", false},
        {"a/b", false},
        {"a\\b", false},
        {"a:b", false},
        {"a*", false},
        {"a?", false},
        {"a\"b", false},
        {"<a>", false},
        {"a|b", false},
        {"tab\there", false},
        {"dot.", false},
        {"blank ", false},
    };
    for (const NameCase& c : cases) EXPECT_EQ(WallpaperNameProblem(c.name).empty(), c.ok) << c.name;
}

TEST(Tips, EachIsAQuestionLineFeedCarriageReturnAndAnAnswer) {
    EXPECT_EQ(
        TipText(0),
        "How to publish your driftpane?\n\r Click the [Create Installer] button and select input the name you want.");
    EXPECT_EQ(TipText(1).find("\n\r Set Movie Size to Show All"),
              std::string("How to set the flash to be full of the desktop?").size());
    EXPECT_EQ(TipText(2).substr(0, 35), "How to change wallpaper back color?");
}

TEST(Tips, NextTipCyclesThroughTheThree) {
    Application->Initialize();
    TfrmTips* tips = NewForm<TfrmTips>(Application);
    tips->FormShow(tips);
    EXPECT_EQ(tips->lblMessage->Caption(), TipText(0));
    const int expected[] = {1, 2, 0, 1};
    for (int want : expected) {
        tips->Button1Click(tips->Button1);
        EXPECT_EQ(tips->TipIndex(), want);
        EXPECT_EQ(tips->lblMessage->Caption(), TipText(want));
    }
    EXPECT_EQ(tips->Caption(), "Tip of days");
    tips->Free();
}

}  // namespace
