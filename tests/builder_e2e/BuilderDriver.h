// What the end-to-end tests of the builder share: the program in a folder of its own, the
// builder's and the stand-ins' registry values, the running builder with its fields and pages,
// the file dialogs and the written installer as setup reads it.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "common/RecordHead.h"
#include "tests/driver/TestDriver.h"

namespace builder_e2e {
using namespace dptest;

const char* const kTitle = "driftpane";  // message boxes: the program file's name, first letter kept
const char* const kRegKey = "software\\Kestrow";

// The program and its sample movie in a folder of their own: the builder writes beside itself.
inline std::string ProgramDir() { return BinDir() + "builder_e2e\\"; }
inline std::string Program() { return ProgramDir() + "driftpane.exe"; }
// Where the user's own movies are.
inline std::string SourceDir() { return BinDir() + "builder_e2e_movies\\"; }

// --- registry of the builder and of the stand-ins

inline void ForgetBuilderSettings() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRegKey); }

// The key has values only, so a plain delete takes it.
inline bool QueryValue(HKEY root, const char* key, const char* name, DWORD wantType, void* data, DWORD size) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    const LONG r = RegQueryValueExA(k, name, nullptr, &type, static_cast<BYTE*>(data), &size);
    RegCloseKey(k);
    return r == ERROR_SUCCESS && type == wantType;
}

inline bool ReadDword(HKEY root, const char* key, const char* name, DWORD& value) {
    return QueryValue(root, key, name, REG_DWORD, &value, sizeof value);
}

inline std::string ReadText(HKEY root, const char* key, const char* name, bool* found = nullptr) {
    char buf[1024] = {};
    const bool ok = QueryValue(root, key, name, REG_SZ, buf, sizeof buf - 1);
    if (found) *found = ok;
    return ok ? buf : "";
}

inline void WriteText(HKEY root, const char* key, const char* name, const std::string& value) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1));
    RegCloseKey(k);
}

inline void WriteDword(HKEY root, const char* key, const char* name, DWORD value) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(k);
}

const char* const kFlashKey = "Software\\DriftpaneTest\\FlashStandIn";
const char* const kDesktopKey = "Software\\Microsoft\\Internet Explorer\\Desktop\\General";

inline std::string CurrentWallpaper() { return ReadText(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper"); }

inline bool MainCaption(HWND w, const std::string& prefix) {
    return Text(w).rfind(prefix, 0) == 0 && IsWindowVisible(w) && ClassOf(w) == "TfrmMain";
}

// --- the running builder

class Builder : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileA((ProgramDir() + "sample.dpb").c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, kFlashKey);
    }
    void TearDown() override {
        if (proc_.Running()) proc_.Kill();
    }

    // Starts the builder; with tips expected, waits for the tips dialog, else for the main window.
    bool Start() { return proc_.Start(Program(), "", ProgramDir()); }
    HWND WaitMain() {
        main_ = WaitForWindow([](HWND w) { return MainCaption(w, "Driftpane Maker 2.07"); }, "the main window");
        return main_;
    }
    // The index-th control of a class in a group box (by caption), top to bottom, then left to right.
    HWND Field(const std::string& group, int index, const std::string& cls = "TEdit") {
        HWND box = FindChild(main_, "TGroupBox", group);
        if (!box) {
            ADD_FAILURE() << "no group box " << group << "\n" << Describe(main_);
            return nullptr;
        }
        std::vector<std::pair<std::pair<LONG, LONG>, HWND>> edits;
        for (HWND c : Children(box)) {
            if (ClassOf(c) != cls) continue;
            RECT r;
            GetWindowRect(c, &r);
            edits.push_back({{r.top, r.left}, c});
        }
        std::sort(edits.begin(), edits.end());
        return index < int(edits.size()) ? edits[size_t(index)].second : nullptr;
    }
    HWND NameField() { return Field("File Information", 0); }
    HWND MovieField() { return Field("File Information", 1); }
    HWND PictureField() { return Field("Background Setting", 0); }
    HWND AuthorField() { return Field("Author Information", 0); }
    // Closes the main window, answering the save question when one comes.
    void CloseAnswering(int answer) {
        RequestClose(main_);
        if (answer) AnswerMessageBox(kTitle, answer);
        EXPECT_EQ(proc_.WaitExit(), 0);
    }
    void DismissTips(bool keepShowing) {
        HWND tips = WaitForWindow("Tip of days");
        ASSERT_NE(tips, nullptr);
        HWND box = NeedChild(tips, "TCheckBox", "Show tips on star");
        SetCheck(box, keepShowing);
        Click(NeedChild(tips, "TButton", "&OK"));
        WaitWindowGone(tips);
    }
    // With realClick the tab is clicked through the system's input queue, else by posted messages.
    void SelectPage(int index, bool realClick = false) {
        HWND tabs = NeedChild(main_, "TPageControl");
        ASSERT_NE(tabs, nullptr);
        // The three tabs lie side by side at the top; their captions are about 130, 90 and
        // 160 pixels wide.
        const int x[] = {60, 180, 300};
        if (realClick)
            SendClick(tabs, x[index], 10);
        else
            ClickAt(tabs, x[index], 10);
        // The click is asynchronous: the page has changed when the tab control says so.
        EXPECT_TRUE(WaitUntil(
            [&] {
                DWORD_PTR current = 0;
                return SendMessageTimeoutA(tabs, TCM_GETCURSEL, 0, 0, SMTO_NORMAL, kWaitMs, &current) &&
                       static_cast<int>(current) == index;
            },
            kWaitMs, "page " + std::to_string(index) + " of the main window"));
    }

    TestProcess proc_;
    HWND main_ = nullptr;
};

// --- the common file dialogs

// A common open or save dialog: OK and a file name field.
inline bool IsFileDialog(HWND w) {
    return ClassOf(w) == "#32770" && FindChildById(w, 1) && (FindChildById(w, 0x47c) || FindChildById(w, 0x480));
}

// Types the name into the open dialog of the program and presses its OK button (or Cancel).
inline void AnswerFileDialog(const std::string& path, bool ok = true) {
    HWND dlg = WaitForWindow(IsFileDialog, "a file dialog");
    ASSERT_NE(dlg, nullptr);
    if (ok) {
        HWND name = FindChildById(dlg, 0x47c);
        if (!name) name = FindChildById(dlg, 0x480);
        ASSERT_TRUE(SetEditText(name, path));
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    } else {
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    }
    WaitWindowGone(dlg);
}

// A combo box of the main window, known by its first item.
inline HWND ComboStartingWith(HWND top, const std::string& first) {
    for (HWND c : Children(top)) {
        if (ClassOf(c) == "TComboBox") {
            const std::vector<std::string> items = ComboItems(c);
            if (!items.empty() && items[0] == first) return c;
        }
        if (HWND inner = ComboStartingWith(c, first)) return inner;
    }
    return nullptr;
}

// The installer as setup reads it: the setup program first, the head last, the tables where
// the head says, each stored file where its record says.
struct WrittenInstaller {
    TPackHead head{};
    std::vector<TPackFileRec> files;
    std::vector<TPackDirRec> dirs;
    std::vector<TPackLinkRec> links;
};

inline WrittenInstaller ReadInstaller(const std::string& bytes) {
    WrittenInstaller w;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (bytes.size() < PackHeadSize) return w;
    DecodePackHead(data + bytes.size() - PackHeadSize, w.head);
    auto table = [&](uint32_t offset, uint32_t count, size_t size, auto& out, auto decode) {
        if (uint64_t(offset) + uint64_t(count) * size > bytes.size()) return;
        out.resize(count);
        for (uint32_t i = 0; i < count; ++i) decode(data + offset + i * size, out[i]);
    };
    table(w.head.FileOffset, w.head.FileCount, PackFileRecSize, w.files,
          [](const uint8_t* in, TPackFileRec& r) { DecodePackFileRec(in, r); });
    table(w.head.DirOffset, w.head.DirCount, PackDirRecSize, w.dirs,
          [](const uint8_t* in, TPackDirRec& r) { DecodePackDirRec(in, r); });
    table(w.head.LinkOffset, w.head.LinkCount, PackLinkRecSize, w.links,
          [](const uint8_t* in, TPackLinkRec& r) { DecodePackLinkRec(in, r); });
    return w;
}

}  // namespace builder_e2e
