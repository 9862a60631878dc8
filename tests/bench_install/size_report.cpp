// Sizes of what people download: the three programs, and the installer Create Installer
// writes for the sample movie (the builder's own window, its real resources). Prints them;
// asserts nothing.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "builder/Main.h"
#include "classlib/Registry.h"

namespace {

std::string ExeDir() {
    char buf[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buf, MAX_PATH);
    return std::filesystem::path(buf).parent_path().string() + "\\";
}

long long SizeOf(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? -1 : static_cast<long long>(size);
}

void Line(const char* what, long long bytes) {
    if (bytes < 0)
        std::printf("%-34s missing\n", what);
    else
        std::printf("%-34s %10lld bytes %8.1f KiB\n", what, bytes, bytes / 1024.0);
}

}  // namespace

int main() {
    Application->Initialize();
    {
        // No last project and no sample: the window starts from its definition.
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (reg.OpenKey(BuilderRegKey, true)) {
            reg.WriteString("Quest2", "");
            reg.WriteBool("Quest1", false);
        }
    }
    const std::string bin = ExeDir();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "dp_size_report";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string installer = (dir / "Sample Setup.exe").string();

    TfrmMain* form = NewForm<TfrmMain>(Application);
    form->edtWallpaperName->SetText("Sample");
    form->edtFlashfileName->SetText(bin + "sample.swf");
    form->BuildInstaller(installer);
    form->Free();

    const long long setup = SizeOf(bin + "setup.exe"), uninstall = SizeOf(bin + "uninstall.exe");
    Line("driftpane.exe", SizeOf(bin + "driftpane.exe"));
    Line("setup.exe", setup);
    Line("uninstall.exe", uninstall);
    Line("setup.exe + uninstall.exe", setup < 0 || uninstall < 0 ? -1 : setup + uninstall);
    Line("sample.swf", SizeOf(bin + "sample.swf"));
    Line("installer of the sample movie", SizeOf(installer));
    DeleteFileA((bin + "Sample.html").c_str());
    std::filesystem::remove_all(dir);
    return 0;
}
