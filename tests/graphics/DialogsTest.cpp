// Real common dialogs and message boxes: a helper thread finds each one,
// answers it as a user would, and reports what it saw.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "GraphicsTestUtil.h"
#include "classlib/Classes.h"
#include "classlib/Dialogs.h"
#include "classlib/Jpeg.h"
#include "tests/runtime/TempDir.h"

#include <commctrl.h>
#include <dlgs.h>

namespace {

std::string ClassOf(HWND w) {
    char buf[64] = {};
    GetClassNameA(w, buf, sizeof(buf));
    return buf;
}

std::string TextOf(HWND w) {
    char buf[1024] = {};
    GetWindowTextA(w, buf, sizeof(buf));
    return buf;
}

BOOL CALLBACK FindOwnDialog(HWND w, LPARAM p) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId() && IsWindowVisible(w) && ClassOf(w) == "#32770") {
        *reinterpret_cast<HWND*>(p) = w;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level dialog window of this process, or nullptr after the timeout.
HWND WaitForDialog(int timeoutMs = 20000) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        HWND found = nullptr;
        EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&found));
        if (found) return found;
        Sleep(50);
    }
    return nullptr;
}

struct ChildSearch {
    const std::function<bool(HWND)>* pred;
    HWND found = nullptr;
};

BOOL CALLBACK MatchChild(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<ChildSearch*>(p);
    if ((*s->pred)(w)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND FindDescendant(HWND parent, const std::function<bool(HWND)>& pred) {
    ChildSearch search{&pred};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string AllChildTexts(HWND parent) {
    std::string all;
    FindDescendant(parent, [&](HWND w) {
        all += TextOf(w) + "\n";
        return false;
    });
    return all;
}

void Press(HWND dlg, int id) { PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id)); }

// Runs the answer on a helper thread while the dialog runs modally here; a
// dialog the answer leaves open is cancelled so the test never hangs.
class Answerer {
public:
    explicit Answerer(std::function<void(HWND)> answer) {
        m_thread = std::thread([this, answer] {
            HWND dlg = WaitForDialog();
            m_found = dlg != nullptr;
            if (!dlg) return;
            answer(dlg);
            for (int i = 0; i < 200 && IsWindow(dlg); ++i) Sleep(50);
            while (IsWindow(dlg)) {
                Press(dlg, IDCANCEL);
                Sleep(200);
            }
        });
    }
    ~Answerer() {
        if (m_thread.joinable()) m_thread.join();
    }
    bool Found() {
        if (m_thread.joinable()) m_thread.join();
        return m_found;
    }

private:
    std::thread m_thread;
    std::atomic<bool> m_found{false};
};

void SetFileNameText(HWND dlg, const std::string& text) {
    // The explorer-style dialog's name field is a combo box on some versions, an edit on others.
    SendMessageA(dlg, CDM_SETCONTROLTEXT, GetDlgItem(dlg, cmb13) ? cmb13 : edt1, (LPARAM)text.c_str());
}

void Touch(const std::string& file) {
    TFileStream f(file, fmCreate);
    f.WriteString("x");
}

// ---------------------------------------------------------------------------

TEST(Dialogs, OptionFlags) {
    const struct {
        TOpenOptions options;
        DWORD flags;
    } cases[] = {
        {{ofHideReadOnly, ofAllowMultiSelect, ofEnableSizing},
         OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_ENABLESIZING},
        {{ofOverwritePrompt, ofPathMustExist}, OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST},
        {{ofFileMustExist, ofNoChangeDir}, OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR},
        {{}, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(OpenOptionsToFlags(c.options), c.flags);
    TOpenDialog d(nullptr);
    EXPECT_TRUE(d.Options().Contains(ofHideReadOnly));
    EXPECT_TRUE(d.Options().Contains(ofEnableSizing));
    EXPECT_FALSE(d.Options().Contains(ofAllowMultiSelect));
    SetStrProp(&d, "Filter", "*.dpb|*.dpb");
    SetStrProp(&d, "DefaultExt", "dpb");
    SetSetProp(&d, "Options", "[ofHideReadOnly,ofAllowMultiSelect,ofEnableSizing]");
    EXPECT_EQ(d.Filter(), "*.dpb|*.dpb");
    EXPECT_EQ(d.DefaultExt(), "dpb");
    EXPECT_TRUE(d.Options().Contains(ofAllowMultiSelect));
}

TEST(Dialogs, OpenDialogCancelledKeepsTheName) {
    TOpenDialog d(nullptr);
    d.SetFilter("Flash File|*.swf");
    d.SetFileName("C:\\before.swf");
    std::string title;
    Answerer a([&](HWND dlg) {
        title = TextOf(dlg);
        Press(dlg, IDCANCEL);
    });
    EXPECT_FALSE(d.Execute());
    EXPECT_TRUE(a.Found());
    EXPECT_EQ(d.FileName(), "C:\\before.swf");
    EXPECT_EQ(d.Handle(), nullptr);
}

// A handler's exception cannot cross the system's dialog code: the dialog is
// cancelled and Execute raises it afterwards.
TEST(Dialogs, HandlerExceptionEndsTheDialogAndIsRaised) {
    TOpenDialog d(nullptr);
    d.SetFileName("kept.swf");
    d.OnShow = TNotifyEvent([](TObject*) { throw EConvertError("'x' is not a valid integer value"); });
    try {
        d.Execute();
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
    }
    EXPECT_EQ(d.FileName(), "kept.swf");
    TColorDialog c(nullptr);
    c.SetColor(clRed);
    c.OnShow = TNotifyEvent([](TObject*) { throw Exception("colour"); });
    EXPECT_THROW(c.Execute(), Exception);
    EXPECT_EQ(c.Color(), clRed);
}

TEST(Dialogs, OpenDialogAddsTheDefaultExtension) {
    TempDir dir;
    Touch(dir.File("project.dpb"));
    TOpenDialog d(nullptr);
    d.SetFilter("*.dpb|*.dpb");
    d.SetDefaultExt("dpb");
    d.SetInitialDir(dir.Path());
    bool shown = false;
    d.OnShow = TNotifyEvent([&](TObject*) { shown = d.Handle() != nullptr; });
    Answerer a([&](HWND dlg) {
        SetFileNameText(dlg, "project");
        Press(dlg, IDOK);
    });
    ASSERT_TRUE(d.Execute());
    EXPECT_TRUE(a.Found());
    EXPECT_TRUE(shown);
    EXPECT_TRUE(SameText(d.FileName(), dir.File("project.dpb"))) << d.FileName();
    ASSERT_EQ(d.Files()->Count(), 1);
    EXPECT_TRUE(SameText(d.Files()->Get(0), d.FileName()));
}

TEST(Dialogs, OpenDialogWithSeveralFiles) {
    TempDir dir;
    Touch(dir.File("a.swf"));
    Touch(dir.File("b.swf"));
    TOpenDialog d(nullptr);
    d.SetFilter("Flash File|*.swf");
    d.SetOptions({ofHideReadOnly, ofAllowMultiSelect, ofEnableSizing});
    d.SetInitialDir(dir.Path());
    Answerer a([&](HWND dlg) {
        SetFileNameText(dlg, "\"a.swf\" \"b.swf\"");
        Press(dlg, IDOK);
    });
    ASSERT_TRUE(d.Execute());
    ASSERT_EQ(d.Files()->Count(), 2);
    EXPECT_TRUE(SameText(d.Files()->Get(0), dir.File("a.swf"))) << d.Files()->Get(0);
    EXPECT_TRUE(SameText(d.Files()->Get(1), dir.File("b.swf"))) << d.Files()->Get(1);
    // The file name is the first file chosen.
    EXPECT_EQ(d.FileName(), d.Files()->Get(0));
}

TEST(Dialogs, SaveDialogCancelledAndConfirmed) {
    TempDir dir;
    TSaveDialog d(nullptr);
    d.SetFilter("*.exe|*.exe");
    d.SetDefaultExt("exe");
    d.SetInitialDir(dir.Path());
    {
        Answerer a([&](HWND dlg) { Press(dlg, IDCANCEL); });
        EXPECT_FALSE(d.Execute());
        EXPECT_TRUE(a.Found());
    }
    EXPECT_EQ(d.FileName(), "");
    {
        Answerer a([&](HWND dlg) {
            SetFileNameText(dlg, "installer");
            Press(dlg, IDOK);
        });
        ASSERT_TRUE(d.Execute());
    }
    EXPECT_TRUE(SameText(d.FileName(), dir.File("installer.exe"))) << d.FileName();
}

TEST(Dialogs, ColourDialogOpensWithTheColourItReturnedLast) {
    TColorDialog d(nullptr);
    EXPECT_EQ(d.Color(), clBlack);
    d.SetOptions({cdFullOpen});
    auto readRGB = [](HWND dlg) {
        return TextOf(GetDlgItem(dlg, 706)) + "," + TextOf(GetDlgItem(dlg, 707)) + "," + TextOf(GetDlgItem(dlg, 708));
    };
    std::string first;
    {
        Answerer a([&](HWND dlg) {
            first = readRGB(dlg);
            SetDlgItemTextA(dlg, 706, "10");
            SetDlgItemTextA(dlg, 707, "20");
            SetDlgItemTextA(dlg, 708, "30");
            Press(dlg, IDOK);
        });
        ASSERT_TRUE(d.Execute());
    }
    EXPECT_EQ(first, "0,0,0");  // black before the first use
    EXPECT_EQ(d.Color(), TColor(RGB(10, 20, 30)));
    EXPECT_EQ(d.CustomColors()->Count(), 16);
    std::string second;
    {
        Answerer a([&](HWND dlg) {
            second = readRGB(dlg);
            Press(dlg, IDCANCEL);
        });
        EXPECT_FALSE(d.Execute());
    }
    EXPECT_EQ(second, "10,20,30");
    EXPECT_EQ(d.Color(), TColor(RGB(10, 20, 30)));  // a cancel changes nothing
}

TEST(Dialogs, PicturePreviewOfFiles) {
    TempDir dir;
    TOpenPictureDialog d(nullptr);
    for (const char* mask : {"*.jpg", "*.bmp", "*.ico", "*.emf", "*.wmf"})
        EXPECT_NE(d.Filter().find(mask), std::string::npos) << mask;
    EXPECT_EQ(d.PreviewText(), "(None)");
    d.UpdatePreview(DataFile("quads.jpg"));
    EXPECT_EQ(d.PreviewText(), "32 x 32");
    ASSERT_NE(d.PreviewPicture()->Graphic(), nullptr);
    EXPECT_TRUE(d.PreviewPicture()->Graphic()->Is<TJPEGImage>());
    {
        TFileStream f(dir.File("broken.jpg"), fmCreate);
        f.WriteString("no picture here");
    }
    d.UpdatePreview(dir.File("broken.jpg"));  // shows nothing, raises nothing
    EXPECT_EQ(d.PreviewText(), "(None)");
    EXPECT_EQ(d.PreviewPicture()->Graphic(), nullptr);
    d.UpdatePreview(dir.File("missing.bmp"));
    EXPECT_EQ(d.PreviewText(), "(None)");
}

TEST(Dialogs, PictureDialogShowsTheSelectedPicture) {
    TempDir dir;
    TBitmap b;
    FillBitmap(b, 48, 24, pf24bit, clRed);
    b.SaveToFile(dir.File("red.bmp"));
    TOpenPictureDialog d(nullptr);
    d.SetInitialDir(dir.Path());
    std::string shown, before;
    bool paneFound = false;
    Answerer a([&](HWND dlg) {
        HWND text = nullptr;
        for (int i = 0; i < 100 && !text; ++i, Sleep(50))
            text = FindDescendant(dlg, [](HWND w) { return GetDlgCtrlID(w) == TOpenPictureDialog::idPreviewText; });
        paneFound = text != nullptr;
        if (!text) return Press(dlg, IDCANCEL);
        before = TextOf(text);
        HWND list = nullptr;
        for (int i = 0; i < 100; ++i, Sleep(50)) {
            list = FindDescendant(dlg, [](HWND w) { return ClassOf(w) == "SysListView32"; });
            if (list && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0) break;
        }
        if (list) {
            LVITEMA item{};
            item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            item.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(list, LVM_SETITEMSTATE, 0, (LPARAM)&item);
        }
        for (int i = 0; i < 100 && TextOf(text) == "(None)"; ++i) Sleep(50);
        shown = TextOf(text);
        // A picture of the dialog for people to look at: painted now, on its own thread.
        RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        RECT r{};
        GetWindowRect(dlg, &r);
        TBitmap shot;
        shot.SetPixelFormat(pf24bit);
        shot.SetSize(r.right - r.left, r.bottom - r.top);
        HDC screen = GetDC(nullptr);
        BitBlt(shot.Canvas()->Handle(), 0, 0, shot.Width(), shot.Height(), screen, r.left, r.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
        SaveBitmapToPNGFile(shot, std::string(DP_TEST_BIN_DIR) + "/open_picture_dialog.png");
        Press(dlg, IDCANCEL);
    });
    EXPECT_FALSE(d.Execute());
    EXPECT_TRUE(a.Found());
    EXPECT_TRUE(paneFound);
    EXPECT_EQ(before, "(None)");
    EXPECT_EQ(shown, "48 x 24");
}

// The pane shows nothing once the dialog went to another folder: the picture it showed was
// one of the folder left.
TEST(Dialogs, PicturePaneForgetsThePictureOfTheFolderLeft) {
    TempDir dir;
    TBitmap b;
    FillBitmap(b, 48, 24, pf24bit, clRed);
    b.SaveToFile(dir.File("red.bmp"));
    CreateDirectoryA(dir.File("sub").c_str(), nullptr);
    TOpenPictureDialog d(nullptr);
    d.SetInitialDir(dir.Path());
    std::string shown, after;
    Answerer a([&](HWND dlg) {
        HWND text = nullptr;
        for (int i = 0; i < 100 && !text; ++i, Sleep(50))
            text = FindDescendant(dlg, [](HWND w) { return GetDlgCtrlID(w) == TOpenPictureDialog::idPreviewText; });
        if (!text) return Press(dlg, IDCANCEL);
        HWND list = nullptr;
        for (int i = 0; i < 100; ++i, Sleep(50)) {
            list = FindDescendant(dlg, [](HWND w) { return ClassOf(w) == "SysListView32"; });
            if (list && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 1) break;
        }
        if (!list) return Press(dlg, IDCANCEL);
        // The picture, found by its name among the folder's items.
        LVFINDINFOA find{};
        find.flags = LVFI_PARTIAL;
        find.psz = "red";
        const LRESULT at = SendMessageA(list, LVM_FINDITEMA, WPARAM(-1), (LPARAM)&find);
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, WPARAM(at < 0 ? 0 : at), (LPARAM)&item);
        for (int i = 0; i < 100 && TextOf(text) == "(None)"; ++i) Sleep(50);
        shown = TextOf(text);
        // Into the sub-folder by its name and OK, as a user types it.
        SetFileNameText(dlg, dir.File("sub"));
        Press(dlg, IDOK);
        for (int i = 0; i < 100 && TextOf(text) != "(None)"; ++i) Sleep(50);
        after = TextOf(text);
        Press(dlg, IDCANCEL);
    });
    EXPECT_FALSE(d.Execute());
    EXPECT_TRUE(a.Found());
    EXPECT_EQ(shown, "48 x 24");
    EXPECT_EQ(after, "(None)");
}

// A dialog made wider by the preview pane, or by the size the system remembers from the last
// resizable one, opens inside the work area.
TEST(Dialogs, FileDialogsOpenInsideTheWorkArea) {
    TempDir dir;
    RECT area{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    auto inside = [&](const RECT& r) {
        return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
    };
    RECT picture{}, save{};
    {
        TOpenPictureDialog d(nullptr);
        d.SetInitialDir(dir.Path());
        Answerer a([&](HWND dlg) {
            for (int i = 0; i < 100; ++i, Sleep(50)) {
                GetWindowRect(dlg, &picture);
                if (inside(picture)) break;
            }
            // The user drags it wider than the screen; the system keeps that size.
            SetWindowPos(dlg, nullptr, area.left + 100, area.top, (area.right - area.left) + 300, 500,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            Press(dlg, IDCANCEL);
        });
        EXPECT_FALSE(d.Execute());
        EXPECT_TRUE(a.Found());
    }
    EXPECT_TRUE(inside(picture)) << picture.left << "," << picture.top << " " << picture.right << "," << picture.bottom;
    {
        TSaveDialog d(nullptr);
        d.SetInitialDir(dir.Path());
        Answerer a([&](HWND dlg) {
            // The dialog is fitted once shown: wait for a fitted rectangle, for a while.
            for (int i = 0; i < 100; ++i, Sleep(50)) {
                GetWindowRect(dlg, &save);
                if (inside(save)) break;
            }
            Press(dlg, IDCANCEL);
        });
        EXPECT_FALSE(d.Execute());
        EXPECT_TRUE(a.Found());
    }
    EXPECT_TRUE(inside(save)) << save.left << "," << save.top << " " << save.right << "," << save.bottom;
}

// ---------------------------------------------------------------------------
// Message boxes

TEST(MessageBoxes, LongUnbrokenTextIsWrappedInsideTheScreen) {
    const std::string path =
        "C:\\" + std::string(40, 'd') + "\\" + std::string(300, 'n') + "\\" + std::string(200, 'x') + ".html";
    RECT box{};
    std::string texts;
    Answerer a([&](HWND dlg) {
        GetWindowRect(dlg, &box);
        texts = AllChildTexts(dlg);
        Press(dlg, IDOK);
    });
    ShowMessage("The path " + path + " is too long.");
    EXPECT_TRUE(a.Found());
    EXPECT_LE(box.right - box.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_GE(box.left, 0);
    EXPECT_LE(box.right, GetSystemMetrics(SM_CXSCREEN));
    // Every character is still there, only broken into lines.
    std::string joined;
    for (char c : texts)
        if (c != '\n' && c != '\r') joined += c;
    EXPECT_NE(joined.find(path), std::string::npos);
}

TEST(MessageBoxes, DefaultTitleRule) {
    const struct {
        const char* path;
        const char* title;
    } cases[] = {{"C:\\Program Files\\Kestrow\\DriftPane.EXE", "Driftpane"},
                 {"setup.exe", "setup"},
                 {"Z:\\x\\UNINSTALL.EXE", "Uninstall"},
                 {"C:\\a.b\\My.Tool.exe", "My.tool"},
                 {"X", "X"},
                 {"", ""}};
    for (const auto& c : cases) EXPECT_EQ(DefaultTitleFromPath(c.path), c.title) << c.path;
    EXPECT_EQ(MessageBoxTitle(), "dialogs_test");  // the first character stays as it is
    SetMessageBoxTitleProc([] { return std::string("Other"); });
    EXPECT_EQ(MessageBoxTitle(), "Other");
    SetMessageBoxTitleProc(nullptr);
    EXPECT_EQ(MessageBoxTitle(), "dialogs_test");  // the first character stays as it is
}

TEST(MessageBoxes, StylesOfMessageDlg) {
    EXPECT_EQ(MessageDlgStyle(mtConfirmation, mbYesNo), UINT(MB_ICONQUESTION | MB_YESNO));
    EXPECT_EQ(MessageDlgStyle(mtWarning, mbYesNoCancel), UINT(MB_ICONWARNING | MB_YESNOCANCEL));
    EXPECT_EQ(MessageDlgStyle(mtError, {mbOK}), UINT(MB_ICONERROR | MB_OK));
    EXPECT_EQ(MessageDlgStyle(mtInformation, mbOKCancel), UINT(MB_ICONINFORMATION | MB_OKCANCEL));
    EXPECT_EQ(MessageDlgStyle(mtCustom, mbAbortRetryIgnore), UINT(MB_ABORTRETRYIGNORE));
}

TEST(MessageBoxes, ShownWithTextAndTitleAndAnswered) {
    std::string caption, texts;
    {
        Answerer a([&](HWND dlg) {
            caption = TextOf(dlg);
            texts = AllChildTexts(dlg);
            Press(dlg, IDOK);
        });
        ShowMessage("Flash file do not exists.");
        EXPECT_TRUE(a.Found());
    }
    EXPECT_EQ(caption, "dialogs_test");
    EXPECT_NE(texts.find("Flash file do not exists."), std::string::npos) << texts;
    {
        Answerer a([&](HWND dlg) {
            caption = TextOf(dlg);
            Press(dlg, IDNO);
        });
        EXPECT_EQ(MessageDlg("Replace it?", mtConfirmation, mbYesNo), IDNO);
    }
    EXPECT_EQ(caption, "Confirm");
    {
        Answerer a([&](HWND dlg) {
            caption = TextOf(dlg);
            Press(dlg, IDYES);
        });
        EXPECT_EQ(ShowMessageBox("Save it now?", "", MB_YESNO | MB_ICONQUESTION), IDYES);
    }
    EXPECT_EQ(caption, "dialogs_test");
}

}  // namespace
