#include "params/BulkOperations.h"

#include "link/CmdQueue.h"
#include "params/AlarmPage.h"
#include "params/MainSettingsPage.h"

TBulkOperations::TBulkOperations(TCmdQueue& queue, TMainSettingsPage& main, TAlarmPage& alarm, QObject* parent)
    : QObject(parent), FQueue(queue), FMain(main), FAlarm(alarm)
{
}

void TBulkOperations::QueueStatusQuery()
{
    FQueue.QueueCmd(1, 0, true, {});
}

void TBulkOperations::btnReadAllClick()
{
    // Unlike the Basic information Read, the alias field keeps its text until the answer comes.
    FQueue.ClearCmdQueue();
    FQueue.QueueCmd(1, 0, false, {});
    QueueStatusQuery();
    for (int32_t cmd : {17, 10, 12, 5, 7, 4, 18})
        FQueue.QueueCmd(cmd, 0, false, {});
    for (int k = 1; k <= TMainSettingsPage::AuthNumberCount; ++k)
        FQueue.QueueCmd(11, 0, false, QByteArrayLiteral(",") + QByteArray::number(k));
    FQueue.QueueCmd(22, 0, false, {});
    FQueue.QueueCmd(31, 0, false, {});
    FQueue.StartUserCmdQueue();
}

void TBulkOperations::btnWriteAllClick()
{
    FQueue.ClearCmdQueue();
    // The pages' values go into the settings model; the checks and the writes work on it. The
    // keep-alive period is taken when its write is queued, as its own Write takes it.
    QStringList keys = TMainSettingsPage::Keys();
    keys.removeAll(QStringLiteral("keep_alive"));
    FMain.Take(keys);
    // Every text value is checked before the first write is queued, so that a refusal leaves
    // nothing behind.
    if (!FMain.CheckBasicInfoText() || !FMain.CheckGprsText() || !FMain.CheckAuthNumbersText())
        return;
    FMain.QueueWrite(17);
    if (!FMain.CheckLowBattery())
        return; // the check cleared the queue
    FMain.QueueWrite(10);
    FMain.QueueWrite(12);
    FMain.QueueWrite(5);
    int32_t interval = 0;
    if (!FMain.TryUploadInterval(interval)) {
        // No box (the status line says why); the writes queued so far must not go out with a
        // later, unrelated request.
        FQueue.ClearCmdQueue();
        return;
    }
    FMain.QueueWrite(4);
    FMain.QueueWrite(7);
    for (int k = 1; k <= TMainSettingsPage::AuthNumberCount; ++k)
        FMain.QueueAuthNumberWrite(k);
    FMain.Take({QStringLiteral("keep_alive")});
    FMain.QueueWrite(18);
    FAlarm.QueueAlarmWrite();
    FMain.QueueWrite(31);
    // Then every value against its setting's range: one box, and nothing goes out.
    if (!FMain.CheckValues(TMainSettingsPage::Keys()))
        return;
    FQueue.StartUserCmdQueue();
}

void TBulkOperations::btnDefaultClick()
{
    FQueue.ClearCmdQueue();
    FQueue.QueueCmd(20, 0, false, {});
    FQueue.StartUserCmdQueue();
}

void TBulkOperations::sbT01Click()
{
    FQueue.ClearCmdQueue();
    FQueue.QueueCmd(1, 0, false, {});
    QueueStatusQuery();
    FQueue.StartUserCmdQueue();
}
