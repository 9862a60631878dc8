// The date-time picker, and the conversions between SYSTEMTIME and TDateTime.
#pragma once

#include "classlib/CommonControls.h"

// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;
TDateTime SystemTimeToDateTime(const SYSTEMTIME& st);
SYSTEMTIME DateTimeToSystemTime(TDateTime dt);

// ---------------------------------------------------------------------------
// Date-time picker

enum TDateTimeKind { dtkDate, dtkTime };
DP_ENUM_INFO(TDateTimeKind, "dtkDate", "dtkTime")
enum TDTDateFormat { dfShort, dfLong };
DP_ENUM_INFO(TDTDateFormat, "dfShort", "dfLong")

class TDateTimePicker : public TWinControl {
    DP_DECLARE_CLASS(TDateTimePicker, TWinControl)
public:
    explicit TDateTimePicker(TComponent* owner);

    TDateTime DateTime();
    void SetDateTime(TDateTime v);
    // The whole days of DateTime.
    TDateTime Date();
    void SetDate(TDateTime v);
    // The fraction of DateTime.
    TDateTime Time();
    void SetTime(TDateTime v);
    TDateTimeKind Kind() const { return m_kind; }
    void SetKind(TDateTimeKind v);
    TDTDateFormat DateFormat() const { return m_dateFormat; }
    void SetDateFormat(TDTDateFormat v);

    TNotifyEvent OnChange;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    TDateTime m_dateTime = 0;
    TDateTimeKind m_kind = dtkDate;
    TDTDateFormat m_dateFormat = dfShort;
};
