// TDdeClientConv: a DDE client conversation over the DDE management library.
// The object owns its own DDEML instance, so it must be used on the thread that
// opened the link.
#pragma once

#include <windows.h>
#include <ddeml.h>

#include <string>

enum TDataMode { ddeAutomatic, ddeManual };

class TDdeClientConv {
public:
    TDdeClientConv();
    ~TDdeClientConv();
    TDdeClientConv(const TDdeClientConv&) = delete;
    TDdeClientConv& operator=(const TDdeClientConv&) = delete;

    // ddeAutomatic opens the link as soon as SetLink names it; ddeManual waits for OpenLink.
    TDataMode ConnectMode = ddeAutomatic;
    // Program started when the server does not answer; empty means the service name.
    std::string ServiceApplication;
    // Longest wait, in milliseconds, for a waited-for macro or a data request.
    DWORD Timeout = 30000;

    // Closes an open link and names the new one. Returns false only when
    // automatic mode could not open it.
    bool SetLink(const std::string& service, const std::string& topic);
    const std::string& DdeService() const { return m_service; }
    const std::string& DdeTopic() const { return m_topic; }

    // Connects to service/topic. When nobody answers, starts the command line
    // "<application> <topic>" minimised without activation and, when that start
    // succeeds, tries once more.
    bool OpenLink();
    void CloseLink();
    // Asks the library, since a server that went away is not always reported.
    bool Connected() const;
    HCONV Conv() const { return m_conv; }

    // Sends a macro as NUL-terminated ANSI text. waitFlg false: the transaction is
    // asynchronous and the result only says that it was handed over; true: waits
    // for the server and returns whether it accepted the macro.
    bool ExecuteMacro(const char* cmd, bool waitFlg);
    // Text of an item (CF_TEXT), empty when the server has none.
    std::string RequestData(const std::string& item);

private:
    static HDDEDATA CALLBACK Callback(UINT type, UINT fmt, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                                      ULONG_PTR data1, ULONG_PTR data2);
    void ReleaseInstance();

    std::string m_service;
    std::string m_topic;
    DWORD m_inst = 0;
    HSZ m_hszService = nullptr;
    HSZ m_hszTopic = nullptr;
    HCONV m_conv = nullptr;
};
