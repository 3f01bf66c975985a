#pragma once

#include <QObject>

class TAlarmPage;
class TCmdQueue;
class TMainSettingsPage;

// Read All, Write All, Factory Default and the status query: each one exchange over the whole
// set of settings of the Main Settings and Alarm Setting pages (not the geo-fences, not the
// hot-spot radius).
class TBulkOperations : public QObject {
    Q_OBJECT
public:
    TBulkOperations(TCmdQueue& queue, TMainSettingsPage& main, TAlarmPage& alarm, QObject* parent = nullptr);

    // Sixteen requests: 1, the status query, 17, 10, 12, 5, 7, 4, 18, 11 for 1..5, 22, 31.
    void btnReadAllClick();
    // At most fourteen writes: 17, 10, 12, 5, 4, 7, 11 for 1..5, 18, 22, 31. Stops, with the
    // queue cleared and nothing sent, at a value that would break the command text, at a low
    // battery under 10 and (silently) at an interval that is not an integer.
    void btnWriteAllClick();
    // "(P20)"; no confirmation, nothing read back.
    void btnDefaultClick();
    // Version and status: "(P01,0)", "(T01,0)".
    void sbT01Click();

private:
    void QueueStatusQuery();

    TCmdQueue& FQueue;
    TMainSettingsPage& FMain;
    TAlarmPage& FAlarm;
};
