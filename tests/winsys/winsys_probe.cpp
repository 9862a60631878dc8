// Helper program for the system-wrapper tests.
//   winsys_probe /record <file> [args...]  writes how it was started into <file>, exits with 7
//   winsys_probe <topic>                   DDE server "winsys_probe" for <topic>; logs what it is
//                                          sent to %TEMP%\winsys_probe_<topic>.log until "[Quit]"
#include <windows.h>
#include <ddeml.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

DWORD g_inst = 0;
HSZ g_service = nullptr;
HSZ g_topic = nullptr;
std::string g_topicText;
std::string g_log;

int ShowState() {
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    GetStartupInfoA(&si);
    return (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : -1;
}

void AppendLog(const std::string& line) {
    if (FILE* f = std::fopen(g_log.c_str(), "ab")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

HDDEDATA CALLBACK Callback(UINT type, UINT fmt, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA data, ULONG_PTR, ULONG_PTR) {
    switch (type) {
        case XTYP_CONNECT:
            return reinterpret_cast<HDDEDATA>(static_cast<INT_PTR>(DdeCmpStringHandles(hsz1, g_topic) == 0 &&
                                                                   DdeCmpStringHandles(hsz2, g_service) == 0));
        case XTYP_EXECUTE: {
            DWORD size = DdeGetData(data, nullptr, 0, 0);
            std::string text(size, '\0');
            if (size) DdeGetData(data, reinterpret_cast<LPBYTE>(text.data()), size, 0);
            text.resize(strnlen(text.c_str(), text.size()));
            AppendLog("exec=" + text);
            if (text == "[Quit]") PostQuitMessage(0);
            if (text.rfind("[Refuse", 0) == 0) return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
            return reinterpret_cast<HDDEDATA>(DDE_FACK);
        }
        case XTYP_REQUEST: {
            if (fmt != CF_TEXT) return nullptr;
            std::string reply = "echo:" + g_topicText;
            return DdeCreateDataHandle(g_inst, reinterpret_cast<LPBYTE>(reply.data()),
                                       static_cast<DWORD>(reply.size() + 1), 0, hsz2, CF_TEXT, 0);
        }
        default: return nullptr;
    }
}

int Record(int argc, char** argv) {
    std::string out = "show=" + std::to_string(ShowState()) + "\nargs=";
    for (int i = 3; i < argc; ++i) {
        if (i > 3) out += '|';
        out += argv[i];
    }
    char cwd[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, cwd);
    out += std::string("\ncwd=") + cwd + "\n";
    // Written aside and moved in place, so a reader never sees half a file.
    std::string tmp = std::string(argv[2]) + ".tmp";
    if (FILE* f = std::fopen(tmp.c_str(), "wb")) {
        std::fwrite(out.data(), 1, out.size(), f);
        std::fclose(f);
        MoveFileExA(tmp.c_str(), argv[2], MOVEFILE_REPLACE_EXISTING);
    }
    return 7;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "/record") == 0) return Record(argc, argv);
    if (argc < 2) return 2;
    g_topicText = argv[1];
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    g_log = std::string(temp) + "winsys_probe_" + g_topicText + ".log";
    AppendLog("show=" + std::to_string(ShowState()));

    if (DdeInitializeA(&g_inst, Callback, APPCLASS_STANDARD | CBF_FAIL_POKES | CBF_FAIL_ADVISES, 0) != DMLERR_NO_ERROR)
        return 3;
    g_service = DdeCreateStringHandleA(g_inst, "winsys_probe", CP_WINANSI);
    g_topic = DdeCreateStringHandleA(g_inst, g_topicText.c_str(), CP_WINANSI);
    DdeNameService(g_inst, g_service, nullptr, DNS_REGISTER);

    // Never outlive a test that forgot to stop us.
    SetTimer(nullptr, 0, 60000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DdeNameService(g_inst, g_service, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(g_inst, g_service);
    DdeFreeStringHandle(g_inst, g_topic);
    DdeUninitialize(g_inst);
    AppendLog("end");
    return 0;
}
