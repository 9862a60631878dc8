#include "classlib/DateTimePicker.h"

#include <cmath>

#include "classlib/Forms.h"

namespace {

// Days between 0000-03-01 based civil dates (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

const int64_t kEpoch = DaysFromCivil(1899, 12, 30);
// What the system's date controls accept: 1 January 1753 to 31 December 9999.
const double kMinDate = static_cast<double>(DaysFromCivil(1753, 1, 1) - kEpoch);
const double kMaxDate = static_cast<double>(DaysFromCivil(9999, 12, 31) - kEpoch) + 0.99999;

}  // namespace

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st) {
    const int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) - kEpoch;
    const double ms = ((st.wHour * 60.0 + st.wMinute) * 60.0 + st.wSecond) * 1000.0 + st.wMilliseconds;
    return static_cast<double>(days) + ms / 86400000.0;
}

SYSTEMTIME DateTimeToSystemTime(TDateTime dt) {
    if (!(dt >= kMinDate)) dt = kMinDate;  // NaN too
    if (dt > kMaxDate) dt = kMaxDate;
    double whole = std::floor(dt);
    int64_t days = static_cast<int64_t>(whole);
    int64_t ms = std::llround((dt - whole) * 86400000.0);
    if (ms >= 86400000) {
        ++days;
        ms -= 86400000;
    }
    int y = 0;
    unsigned m = 0, d = 0;
    CivilFromDays(days + kEpoch, y, m, d);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    st.wDayOfWeek = static_cast<WORD>(((days % 7) + 7 + 6) % 7);  // 30 December 1899 was a Saturday
    st.wHour = static_cast<WORD>(ms / 3600000);
    st.wMinute = static_cast<WORD>(ms / 60000 % 60);
    st.wSecond = static_cast<WORD>(ms / 1000 % 60);
    st.wMilliseconds = static_cast<WORD>(ms % 1000);
    return st;
}

// ---------------------------------------------------------------------------
// Date-time picker

DP_PUBLISHED(TDateTimePicker){
    DP_PROP_FLOAT(Date, Date, SetDate), DP_PROP_FLOAT(Time, Time, SetTime),
    DP_PROP_ENUM(Kind, Kind, SetKind),  DP_PROP_ENUM(DateFormat, DateFormat, SetDateFormat),
    DP_PROP_FIELD(OnChange, OnChange),
};

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner) {
    m_width = 186;
    m_height = 21;
    m_tabStop = true;
    m_color = clWindow;
    SYSTEMTIME now;
    GetLocalTime(&now);
    m_dateTime = SystemTimeToDateTime(now);
}

void TDateTimePicker::CreateParams(TCreateParams& p) {
    InitComCtl(ICC_DATE_CLASSES);
    TWinControl::CreateParams(p);
    CreateSubClass(p, DATETIMEPICK_CLASSA);
    if (m_kind == dtkTime)
        p.Style |= DTS_TIMEFORMAT | DTS_UPDOWN;
    else
        p.Style |= m_dateFormat == dfLong ? DTS_LONGDATEFORMAT : DTS_SHORTDATEFORMAT;
}

void TDateTimePicker::CreateHandleState() {
    SYSTEMTIME st = DateTimeToSystemTime(m_dateTime);
    SendMessageA(m_handle, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

TDateTime TDateTimePicker::DateTime() {
    if (HandleAllocated()) {
        SYSTEMTIME st{};
        if (SendMessageA(m_handle, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) == GDT_VALID)
            m_dateTime = SystemTimeToDateTime(st);
    }
    return m_dateTime;
}

void TDateTimePicker::SetDateTime(TDateTime v) {
    // Only what the control can show is kept: no NaN, no year outside 1753..9999.
    m_dateTime = SystemTimeToDateTime(DateTimeToSystemTime(v));
    if (HandleAllocated()) CreateHandleState();
}

TDateTime TDateTimePicker::Date() { return std::floor(DateTime()); }

void TDateTimePicker::SetDate(TDateTime v) {
    const TDateTime now = DateTime();
    SetDateTime(std::floor(v) + (now - std::floor(now)));
}

TDateTime TDateTimePicker::Time() {
    const TDateTime now = DateTime();
    return now - std::floor(now);
}

void TDateTimePicker::SetTime(TDateTime v) {
    if (std::isnan(v)) v = 0;
    SetDateTime(std::floor(DateTime()) + (v - std::floor(v)));
}

void TDateTimePicker::SetKind(TDateTimeKind v) {
    if (v == m_kind) return;
    DateTime();
    m_kind = v;
    RecreateWnd();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat v) {
    if (v == m_dateFormat) return;
    DateTime();
    m_dateFormat = v;
    RecreateWnd();
}

void TDateTimePicker::WndProc(TMessage& m) {
    if (m.Msg == CN_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
        if (hdr->code == static_cast<UINT>(DTN_DATETIMECHANGE)) {
            auto* change = reinterpret_cast<NMDATETIMECHANGE*>(m.LParam);
            if (change->dwFlags == GDT_VALID) m_dateTime = SystemTimeToDateTime(change->st);
            m.Result = 0;
            OnChange(this);
            return;
        }
    }
    TWinControl::WndProc(m);
}
