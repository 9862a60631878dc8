// Preview, Cancel and Active Wallpaper against the Active Desktop stand-in.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "builder/WallPaperClass.h"
#include "builder/WallPaperDesktop.h"
#include "classlib/PathIdentity.h"
#include "classlib/SysUtils.h"
#include "tests/builder/BuilderTestUtil.h"
#include "tests/model/ModelTestUtil.h"

using namespace builder_test;

namespace {

const char kOldWallpaper[] = "C:\\old\\wall.bmp";

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        saved_ = std::make_unique<SavedDesktop>();
        SetDesktopWallpaper(kOldWallpaper, 1);  // tiled
        dir_ = ProgramDir();
        page_ = dir_ + "tmpPreview.htm";
        movie_ = scratch_.File("dp_b1_movie.swf");
        picture_ = scratch_.File("dp_b1_picture.bmp");
        WriteWholeFile(movie_, MovieWithSound());
        WriteWholeFile(picture_, PictureBytes());
        movieCopy_ = dir_ + "dp_b1_movie.swf";
        pictureCopy_ = dir_ + "dp_b1_picture.bmp";
    }
    void TearDown() override {
        for (const std::string& f :
             {page_, movieCopy_, pictureCopy_, dir_ + "dp_b1_inplace.swf", dir_ + "dp_b1_inplace.bmp"})
            RemoveFile(f);
        saved_.reset();
        CoUninitialize();
    }

    // A model as the main window leaves it before an action.
    void Configure(TDriftpaneClass& m, const std::string& movie, const std::string& picture, bool mute,
                   uint8_t position) {
        m.Clear();
        m.SetFlashFile(movie);
        m.SetBackgroundPic(picture);
        m.SetMuteFlashSound(mute);
        m.SetWallPaperPosition(position);
        m.SetWallPaperName("Drift test");
        m.SetBackgroundColor(0x00336699);
        m.SetLoop(true);
        m.SetMovieQuality(4);
        m.SetMovieSize(1);
        m.SetMovieHAligment(1);
        m.SetMovieVAligment(2);
        m.SetMoviePosition(5);
    }

    ScratchDir scratch_;
    std::unique_ptr<SavedDesktop> saved_;
    std::string dir_, page_, movie_, picture_, movieCopy_, pictureCopy_;
};

// ---------------------------------------------------------------------------
// Preview and Cancel

struct CopyCase {
    bool mute;
    uint8_t position;
};

class PreviewCopies : public DesktopTest, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(PreviewCopies, PageBesideProgramBecomesWallpaperAndCancelPutsEverythingBack) {
    const CopyCase c = GetParam();
    TDriftpaneClass m;
    Configure(m, movie_, picture_, c.mute, c.position);

    m.Preview();

    EXPECT_EQ(CurrentWallpaper(), page_);
    EXPECT_EQ(LastStyle(), c.position) << "the style is passed as it is";
    EXPECT_EQ(LastApplyFlags(), 15u);
    EXPECT_EQ(ReadWholeFile(page_), m.HtmlPageText());
    EXPECT_EQ(ReadWholeFile(movieCopy_), c.mute ? MutedMovie() : MovieWithSound());
    EXPECT_EQ(ReadWholeFile(pictureCopy_), PictureBytes());
    EXPECT_EQ(m.SavedWallpaper, kOldWallpaper);

    m.RestoreWallpaper();

    EXPECT_EQ(CurrentWallpaper(), kOldWallpaper);
    EXPECT_EQ(CurrentTileWallpaper(), L"1") << "the remembered options come back too";
    EXPECT_FALSE(FileThere(page_));
    EXPECT_FALSE(FileThere(movieCopy_));
    EXPECT_FALSE(FileThere(pictureCopy_));
    EXPECT_EQ(ReadWholeFile(movie_), MovieWithSound()) << "the source is never touched";
    EXPECT_EQ(ReadWholeFile(picture_), PictureBytes());
}

INSTANTIATE_TEST_SUITE_P(MuteAndStyle, PreviewCopies,
                         ::testing::Values(CopyCase{true, 1}, CopyCase{false, 0}, CopyCase{true, 2}));

TEST_F(DesktopTest, MovieAndPictureBesideProgramAreUsedInPlaceAndNeverDeleted) {
    const std::string movie = dir_ + "dp_b1_inplace.swf";
    const std::string picture = dir_ + "dp_b1_inplace.bmp";
    WriteWholeFile(movie, MovieWithSound());
    WriteWholeFile(picture, PictureBytes());
    TDriftpaneClass m;
    // Another spelling of the same files: the file system does not tell letter case apart.
    Configure(m, UpperCase(movie), LowerCase(picture), /*mute=*/true, 0);

    m.Preview();
    EXPECT_EQ(CurrentWallpaper(), page_);
    EXPECT_EQ(ReadWholeFile(movie), MovieWithSound()) << "a movie already in place is used as it is, unmuted";
    EXPECT_EQ(ReadWholeFile(picture), PictureBytes());

    m.RestoreWallpaper();
    EXPECT_EQ(CurrentWallpaper(), kOldWallpaper);
    EXPECT_FALSE(FileThere(page_));
    EXPECT_EQ(ReadWholeFile(movie), MovieWithSound());
    EXPECT_EQ(ReadWholeFile(picture), PictureBytes());
}

TEST_F(DesktopTest, InPlaceMovieSurvivesCancelAfterTheFieldsChanged) {
    const std::string movie = dir_ + "dp_b1_inplace.swf";
    WriteWholeFile(movie, MovieWithSound());
    TDriftpaneClass m;
    Configure(m, movie, "", false, 0);
    m.Preview();
    // The user picks another movie, then ends the preview.
    m.SetFlashFile(movie_);
    m.RestoreWallpaper();
    EXPECT_EQ(CurrentWallpaper(), kOldWallpaper);
    EXPECT_EQ(ReadWholeFile(movie), MovieWithSound());
    EXPECT_FALSE(FileThere(page_));
}

TEST_F(DesktopTest, CancelAfterFieldsEmptiedStillRestoresAndDeletesTheCopies) {
    TDriftpaneClass m;
    Configure(m, movie_, picture_, true, 0);
    m.Preview();
    ASSERT_TRUE(FileThere(movieCopy_));
    // New Project empties the movie; the picture field is emptied by hand.
    m.Clear();
    m.SetFlashFile("");
    m.SetBackgroundPic("");

    m.RestoreWallpaper();

    EXPECT_EQ(CurrentWallpaper(), kOldWallpaper);
    EXPECT_FALSE(FileThere(page_));
    EXPECT_FALSE(FileThere(movieCopy_));
    EXPECT_FALSE(FileThere(pictureCopy_));
    EXPECT_TRUE(FileThere(movie_));
    EXPECT_TRUE(FileThere(picture_));
}

TEST_F(DesktopTest, CopyThatBecameTheProjectsMovieIsNotDeleted) {
    TDriftpaneClass m;
    Configure(m, movie_, "", false, 0);
    m.Preview();
    // The user picks the copy beside the program as the movie.
    m.SetFlashFile(movieCopy_);
    m.RestoreWallpaper();
    EXPECT_TRUE(FileThere(movieCopy_));
    EXPECT_FALSE(FileThere(page_));
}

TEST_F(DesktopTest, MissingPictureIsNotCopiedAndNothingOfAnEarlierPreviewIsDeleted) {
    TDriftpaneClass m;
    Configure(m, movie_, picture_, false, 0);
    m.Preview();
    m.RestoreWallpaper();
    // A file of that name appears beside the program; the next preview's picture is gone.
    WriteWholeFile(pictureCopy_, "somebody else's picture");
    Configure(m, movie_, scratch_.File("absent.bmp"), false, 0);
    m.Preview();
    EXPECT_NE(ReadWholeFile(page_).find("url(&quot;absent.bmp&quot;)"), std::string::npos) << "the page still names it";
    m.RestoreWallpaper();
    EXPECT_EQ(ReadWholeFile(pictureCopy_), "somebody else's picture");
}

struct TwoPreviewsCase {
    const char* before;
};

class TwoPreviews : public DesktopTest, public ::testing::WithParamInterface<TwoPreviewsCase> {};

TEST_P(TwoPreviews, CancelReturnsToTheWallpaperBeforeTheFirst) {
    SetDesktopWallpaper(GetParam().before, 2);
    TDriftpaneClass m;
    Configure(m, movie_, picture_, false, 1);
    m.Preview();
    m.Preview();
    EXPECT_EQ(CurrentWallpaper(), page_);
    m.RestoreWallpaper();
    EXPECT_EQ(CurrentWallpaper(), GetParam().before);
    EXPECT_FALSE(FileThere(page_));
    EXPECT_FALSE(FileThere(movieCopy_));
}

INSTANTIATE_TEST_SUITE_P(Before, TwoPreviews,
                         ::testing::Values(TwoPreviewsCase{"C:\\old\\wall.bmp"}, TwoPreviewsCase{""}));

TEST_F(DesktopTest, WallpaperIsCapturedOncePerModel) {
    TDriftpaneClass m;
    Configure(m, movie_, "", false, 0);
    m.Preview();
    m.RestoreWallpaper();
    SetDesktopWallpaper("C:\\later\\other.bmp", 0);
    m.Preview();
    m.RestoreWallpaper();
    EXPECT_EQ(CurrentWallpaper(), kOldWallpaper);
}

TEST_F(DesktopTest, RestoreWithoutPreviewChangesAndDeletesNothing) {
    WriteWholeFile(page_, "not ours");
    const DWORD applied = ApplyCount();
    TDriftpaneClass m;
    Configure(m, movie_, picture_, false, 0);
    m.RestoreWallpaper();
    EXPECT_EQ(ApplyCount(), applied);
    EXPECT_EQ(CurrentWallpaper(), kOldWallpaper);
    EXPECT_EQ(ReadWholeFile(page_), "not ours");
}

TEST_F(DesktopTest, SecondRestoreDoesNothing) {
    TDriftpaneClass m;
    Configure(m, movie_, "", false, 0);
    m.Preview();
    m.RestoreWallpaper();
    // Files written beside the program since (an installer's copies) stay.
    WriteWholeFile(movieCopy_, "installer copy");
    SetDesktopWallpaper("C:\\now\\active.htm", 0);
    m.RestoreWallpaper();
    EXPECT_EQ(ReadWholeFile(movieCopy_), "installer copy");
    EXPECT_EQ(CurrentWallpaper(), "C:\\now\\active.htm");
}

TEST_F(DesktopTest, UnreadableWallpaperStopsPreviewBeforeAnythingIsWritten) {
    // Too long for the exchange buffer: the stand-in refuses to answer with a cut path.
    const std::string longWallpaper = "C:\\" + std::string(300, 'w') + ".bmp";
    SetDesktopWallpaper(longWallpaper, 0);
    const DWORD applied = ApplyCount();
    TDriftpaneClass m;
    Configure(m, movie_, picture_, false, 0);
    EXPECT_THROW(m.Preview(), Exception);
    EXPECT_EQ(CurrentWallpaper(), longWallpaper);
    EXPECT_EQ(ApplyCount(), applied);
    EXPECT_FALSE(FileThere(page_));
    EXPECT_FALSE(FileThere(movieCopy_));
    EXPECT_TRUE(m.SavedWallpaper.empty());
}

TEST_F(DesktopTest, FailedPreviewTakesBackWhatItWrote) {
    TDriftpaneClass m;
    Configure(m, movie_, picture_, false, 0);
    // The picture cannot be opened: the preview fails after the movie was copied.
    HANDLE lock = CreateFileA(picture_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const DWORD applied = ApplyCount();
    EXPECT_THROW(m.Preview(), Exception);
    CloseHandle(lock);
    EXPECT_EQ(CurrentWallpaper(), kOldWallpaper);
    EXPECT_EQ(ApplyCount(), applied);
    EXPECT_FALSE(FileThere(movieCopy_));
    EXPECT_FALSE(FileThere(page_));
    EXPECT_TRUE(m.PreviewPage.empty());
    // Nothing runs, so there is nothing to restore.
    m.RestoreWallpaper();
    EXPECT_EQ(ApplyCount(), applied);
}

TEST_F(DesktopTest, PageIsNeverWrittenOverItsOwnMovie) {
    TDriftpaneClass m;
    Configure(m, movie_, "", false, 0);
    EXPECT_THROW(m.PublishPage(UpperCase(movie_), false), Exception);
    EXPECT_EQ(ReadWholeFile(movie_), MovieWithSound());
}

// ---------------------------------------------------------------------------
// A desktop that refuses

class RefusingDesktop : public DesktopTest, public ::testing::WithParamInterface<const wchar_t*> {
protected:
    // The error names the page and the method that was refused.
    void ExpectRefusal(const std::function<void()>& action, const std::string& page) {
        DesktopRefusal refuse(GetParam());
        try {
            action();
            ADD_FAILURE() << "a refused wallpaper was taken for a success";
        } catch (const Exception& e) {
            EXPECT_NE(e.Message().find("refused the wallpaper " + page), std::string::npos) << e.Message();
            std::wstring method(GetParam());
            EXPECT_NE(e.Message().find(std::string(method.begin(), method.end())), std::string::npos) << e.Message();
        }
    }
};

TEST_P(RefusingDesktop, PreviewShowsTheErrorKeepsTheWallpaperAndTakesBackItsFiles) {
    TDriftpaneClass m;
    Configure(m, movie_, picture_, false, 2);
    const DWORD applied = ApplyCount();
    ExpectRefusal([&] { m.Preview(); }, page_);
    EXPECT_EQ(CurrentWallpaper(), kOldWallpaper);
    EXPECT_EQ(CurrentTileWallpaper(), L"1") << "the options as they were";
    EXPECT_EQ(CurrentWallpaperStyle(), L"0");
    EXPECT_EQ(ApplyCount(), applied);
    // As a cancelled preview: nothing of it stays.
    EXPECT_FALSE(FileThere(page_));
    EXPECT_FALSE(FileThere(movieCopy_));
    EXPECT_FALSE(FileThere(pictureCopy_));
    EXPECT_TRUE(m.PreviewPage.empty());

    // Once the desktop takes it, the same model previews and restores.
    m.Preview();
    EXPECT_EQ(CurrentWallpaper(), page_);
    m.RestoreWallpaper();
    EXPECT_EQ(CurrentWallpaper(), kOldWallpaper);
}

TEST_P(RefusingDesktop, RefusedRestoreKeepsThePreviewShownAndDeletesNothing) {
    TDriftpaneClass m;
    Configure(m, movie_, picture_, false, 2);
    m.Preview();
    ASSERT_EQ(CurrentWallpaper(), page_);
    ExpectRefusal([&] { m.RestoreWallpaper(); }, kOldWallpaper);
    EXPECT_EQ(CurrentWallpaper(), page_);
    EXPECT_EQ(CurrentWallpaperStyle(), L"2");
    // Still shown, so still there.
    EXPECT_EQ(ReadWholeFile(page_), m.HtmlPageText());
    EXPECT_TRUE(FileThere(movieCopy_));
    EXPECT_TRUE(FileThere(pictureCopy_));

    // A second Cancel, once the desktop takes it, ends the preview.
    m.RestoreWallpaper();
    EXPECT_EQ(CurrentWallpaper(), kOldWallpaper);
    EXPECT_EQ(CurrentTileWallpaper(), L"1");
    EXPECT_FALSE(FileThere(page_));
    EXPECT_FALSE(FileThere(movieCopy_));
    EXPECT_FALSE(FileThere(pictureCopy_));
}

TEST_P(RefusingDesktop, RefusedActivationLeavesTheWallpaperAsItWas) {
    TDriftpaneClass m;
    Configure(m, movie_, "", false, 0);
    // What Activate does to the desktop, without writing under Windows.
    const std::string active = scratch_.File("Driftpane.htm");
    m.PublishPage(active, false);
    ExpectRefusal([&] { m.ApplyWallpaper(active); }, active);
    EXPECT_EQ(CurrentWallpaper(), kOldWallpaper);
    EXPECT_EQ(CurrentTileWallpaper(), L"1");
    m.ApplyWallpaper(active);
    EXPECT_EQ(CurrentWallpaper(), active);
}

TEST_F(DesktopTest, WithoutAPositionTheDesktopKeepsItsStyle) {
    TDriftpaneClass m;
    // The main window passes 255 when no position is chosen; the desktop takes no such style.
    Configure(m, movie_, "", false, 255);
    m.Preview();
    EXPECT_EQ(CurrentWallpaper(), page_);
    EXPECT_EQ(CurrentTileWallpaper(), L"1");
    m.RestoreWallpaper();
    EXPECT_EQ(CurrentWallpaper(), kOldWallpaper);
    EXPECT_FALSE(FileThere(page_));
}

INSTANTIATE_TEST_SUITE_P(Methods, RefusingDesktop,
                         ::testing::Values(L"SetWallpaper", L"SetWallpaperOptions", L"ApplyChanges"));

// ---------------------------------------------------------------------------
// Paths that do not fit

struct FitCase {
    size_t length;
    bool fits;
};

class PathFits : public ::testing::TestWithParam<FitCase> {};

TEST_P(PathFits, AtMost259Characters) {
    const std::string path = "C:\\" + std::string(GetParam().length - 3, 'p');
    EXPECT_EQ(WallpaperPathFits(path), GetParam().fits);
    if (GetParam().fits)
        EXPECT_NO_THROW(CheckWallpaperPath(path));
    else
        EXPECT_THROW(CheckWallpaperPath(path), Exception);
}

INSTANTIATE_TEST_SUITE_P(Lengths, PathFits,
                         ::testing::Values(FitCase{10, true}, FitCase{259, true}, FitCase{260, false},
                                           FitCase{400, false}));

TEST_F(DesktopTest, LongPageIsRefusedBeforeTheWallpaperIsTouched) {
    const DWORD applied = ApplyCount();
    TDriftpaneClass m;
    Configure(m, movie_, "", false, 0);
    EXPECT_THROW(m.ApplyWallpaper("C:\\" + std::string(257, 'x')), Exception);
    EXPECT_EQ(CurrentWallpaper(), kOldWallpaper);
    EXPECT_EQ(ApplyCount(), applied);
}

// ---------------------------------------------------------------------------
// Active Wallpaper

TEST(ActiveWallpaperPage, UnderTheWindowsFolderAndNeverUnderTheRoot) {
    EXPECT_EQ(ActiveWallpaperPage("C:\\WINDOWS"), "C:\\WINDOWS\\Web\\Wallpaper\\Driftpane.htm");
    EXPECT_EQ(ActiveWallpaperPage("C:\\"), "C:\\Web\\Wallpaper\\Driftpane.htm");
    EXPECT_THROW(ActiveWallpaperPage(""), Exception);
    EXPECT_THROW(ActiveWallpaperPage("  "), Exception);
}

TEST_F(DesktopTest, ActivateWritesThePageUnderWindowsAndMakesItTheWallpaper) {
    char win[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryA(win, MAX_PATH), 0u);
    const std::string web = std::string(win) + "\\Web";
    const std::string folder = web + "\\Wallpaper";
    const std::string page = folder + "\\Driftpane.htm";
    const std::string movieThere = folder + "\\dp_b1_movie.swf";
    const std::string pictureThere = folder + "\\dp_b1_picture.bmp";
    const bool webWas = DirectoryExists(web), folderWas = DirectoryExists(folder);
    std::string oldPage;
    const bool pageWas = ReadWholeFile(page, oldPage);

    TDriftpaneClass m;
    Configure(m, movie_, picture_, true, 2);
    // A fresh Windows lacks Web\Wallpaper (a fresh Wine prefix too): Activate makes it.
    m.Activate();
    EXPECT_TRUE(DirectoryExists(folder));
    EXPECT_EQ(CurrentWallpaper(), page);
    EXPECT_EQ(LastStyle(), 2u);
    EXPECT_EQ(LastApplyFlags(), 15u);
    EXPECT_EQ(ReadWholeFile(page), m.HtmlPageText());
    EXPECT_EQ(ReadWholeFile(movieThere), MutedMovie());
    EXPECT_EQ(ReadWholeFile(pictureThere), PictureBytes());
    EXPECT_TRUE(m.SavedWallpaper.empty()) << "Activate remembers nothing";
    EXPECT_TRUE(m.PreviewPage.empty());

    RemoveFile(movieThere);
    RemoveFile(pictureThere);
    if (pageWas)
        WriteWholeFile(page, oldPage);
    else
        RemoveFile(page);
    if (!folderWas) RemoveDirectoryA(folder.c_str());
    if (!webWas) RemoveDirectoryA(web.c_str());
}

TEST_F(DesktopTest, ActiveWallpaperDuringPreviewIsUndoneByCancel) {
    TDriftpaneClass m;
    Configure(m, movie_, "", false, 0);
    m.Preview();
    // What Activate does to the desktop, without writing under Windows.
    const std::string active = scratch_.File("Driftpane.htm");
    m.PublishPage(active, false);
    m.ApplyWallpaper(active);
    EXPECT_EQ(CurrentWallpaper(), active);
    m.RestoreWallpaper();
    EXPECT_EQ(CurrentWallpaper(), kOldWallpaper);
    EXPECT_TRUE(FileThere(active)) << "only the preview's files go";
    EXPECT_TRUE(FileThere(scratch_.File("dp_b1_movie.swf")));
}

// ---------------------------------------------------------------------------
// Same file

TEST_F(DesktopTest, SameFileNameComparesAsTheFileSystemDoes) {
    const std::string longName = scratch_.File("A Long Movie Name.swf");
    WriteWholeFile(longName, "x");
    char shortName[MAX_PATH] = {};
    GetShortPathNameA(longName.c_str(), shortName, MAX_PATH);
    const std::string folder = ExtractFilePath(longName);
    struct Case {
        std::string a, b;
        bool same;
    };
    const Case cases[] = {
        {longName, longName, true},
        {longName, UpperCase(longName), true},
        {longName, LowerCase(longName), true},
        {longName, folder + ".\\A Long Movie Name.swf", true},
        {longName, folder + "sub\\..\\A Long Movie Name.swf", true},
        {longName, StringReplace(longName, "\\", "/", rfReplaceAll), true},
        {longName, shortName, true},
        {longName, folder + "A Long Movie Name.swf2", false},
        {longName, folder + "other.swf", false},
        {folder + "absent.swf", folder + "ABSENT.SWF", true},
        {folder + "absent.swf", folder + "absent2.swf", false},
        {longName, "", false},
        {"", "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(SameFileName(c.a, c.b), c.same) << c.a << " | " << c.b;
}

}  // namespace
