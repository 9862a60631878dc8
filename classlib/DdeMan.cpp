#include "classlib/DdeMan.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Live conversations, so that the callback (which carries no object) can tell
// the right one that its server went away. DDEML calls back on the owning thread only.
std::vector<TDdeClientConv*>& LiveConversations() {
    static std::vector<TDdeClientConv*> list;
    return list;
}

}  // namespace

TDdeClientConv::TDdeClientConv() { LiveConversations().push_back(this); }

TDdeClientConv::~TDdeClientConv() {
    CloseLink();
    auto& list = LiveConversations();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

HDDEDATA CALLBACK TDdeClientConv::Callback(UINT type, UINT, HCONV conv, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    if (type == XTYP_DISCONNECT) {
        for (TDdeClientConv* c : LiveConversations())
            if (c->m_conv == conv) c->m_conv = nullptr;
    }
    return nullptr;
}

bool TDdeClientConv::SetLink(const std::string& service, const std::string& topic) {
    CloseLink();
    m_service = service;
    m_topic = topic;
    if (ConnectMode == ddeAutomatic) return OpenLink();
    return true;
}

bool TDdeClientConv::Connected() const {
    if (!m_conv) return false;
    CONVINFO info = {};
    info.cb = sizeof(info);
    if (!DdeQueryConvInfo(m_conv, QID_SYNC, &info)) return false;
    return (info.wStatus & ST_CONNECTED) != 0;
}

bool TDdeClientConv::OpenLink() {
    if (Connected()) return true;
    // A conversation the server has ended: start afresh.
    if (m_conv) CloseLink();
    if (m_service.empty()) return false;
    if (!m_inst) {
        if (DdeInitializeA(&m_inst, &TDdeClientConv::Callback, APPCLASS_STANDARD | APPCMD_CLIENTONLY, 0) !=
            DMLERR_NO_ERROR) {
            m_inst = 0;
            return false;
        }
    }
    if (!m_hszService) m_hszService = DdeCreateStringHandleA(m_inst, m_service.c_str(), CP_WINANSI);
    if (!m_hszTopic) m_hszTopic = DdeCreateStringHandleA(m_inst, m_topic.c_str(), CP_WINANSI);
    if (!m_hszService || !m_hszTopic) {
        ReleaseInstance();
        return false;
    }
    m_conv = DdeConnect(m_inst, m_hszService, m_hszTopic, nullptr);
    if (!m_conv) {
        // WinExec waits until the started program is idle, so it has had the
        // chance to register its service before the second attempt.
        std::string app = ServiceApplication.empty() ? m_service : ServiceApplication;
        std::string cmdLine = app + " " + m_topic;
        if (WinExec(cmdLine.c_str(), SW_SHOWMINNOACTIVE) > 31)
            m_conv = DdeConnect(m_inst, m_hszService, m_hszTopic, nullptr);
    }
    if (!m_conv) {
        ReleaseInstance();
        return false;
    }
    return true;
}

void TDdeClientConv::ReleaseInstance() {
    if (m_inst) {
        if (m_hszService) DdeFreeStringHandle(m_inst, m_hszService);
        if (m_hszTopic) DdeFreeStringHandle(m_inst, m_hszTopic);
        DdeUninitialize(m_inst);
    }
    m_hszService = nullptr;
    m_hszTopic = nullptr;
    m_inst = 0;
}

void TDdeClientConv::CloseLink() {
    if (m_conv) DdeDisconnect(m_conv);
    m_conv = nullptr;
    ReleaseInstance();
}

bool TDdeClientConv::ExecuteMacro(const char* cmd, bool waitFlg) {
    if (!cmd || !Connected()) return false;
    DWORD size = static_cast<DWORD>(std::strlen(cmd) + 1);
    DWORD result = 0;
    HDDEDATA h = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(cmd)), size, m_conv, nullptr, CF_TEXT,
                                      XTYP_EXECUTE, waitFlg ? Timeout : TIMEOUT_ASYNC, &result);
    return h != nullptr;
}

std::string TDdeClientConv::RequestData(const std::string& item) {
    if (!Connected() || item.empty()) return std::string();
    HSZ hszItem = DdeCreateStringHandleA(m_inst, item.c_str(), CP_WINANSI);
    if (!hszItem) return std::string();
    DWORD result = 0;
    HDDEDATA h = DdeClientTransaction(nullptr, 0, m_conv, hszItem, CF_TEXT, XTYP_REQUEST, Timeout, &result);
    DdeFreeStringHandle(m_inst, hszItem);
    if (!h) return std::string();
    std::string text;
    DWORD size = DdeGetData(h, nullptr, 0, 0);
    if (size) {
        std::vector<char> buffer(size);
        DWORD got = DdeGetData(h, reinterpret_cast<LPBYTE>(buffer.data()), size, 0);
        got = std::min(got, size);
        text.assign(buffer.data(), strnlen(buffer.data(), got));
    }
    DdeFreeDataHandle(h);
    return text;
}
