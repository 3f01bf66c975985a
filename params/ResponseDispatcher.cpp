#include "params/ResponseDispatcher.h"

#include "core/AppError.h"
#include "core/Dialogs.h"
#include "core/Numbers.h"
#include "i18n/Language.h"
#include "link/CmdQueue.h"
#include "params/AlarmPage.h"
#include "params/BarMeter.h"
#include "params/LedDisplay.h"
#include "params/MainSettingsPage.h"
#include "params/ParamChecks.h"
#include "params/RadioGroup.h"
#include "params/StatusPanel.h"
#include "params/TmpHotSpotGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <algorithm>

TResponseDispatcher::TResponseDispatcher(const TDispatchTargets& targets) : T(targets)
{
    if (!T.Settings)
        T.Settings = &FOwnSettings;
    if (T.Main && T.Alarm && T.HotSpot)
        FView.emplace(*T.Main, *T.Alarm, *T.HotSpot);
}

const QByteArray& TResponseDispatcher::Field(const TResponseFields& fields, int index)
{
    if (index < 0 || index >= fields.size())
        throw EAppError(QStringLiteral("The answer has no field %1.").arg(index));
    return fields[index];
}

int32_t TResponseDispatcher::IntField(const TResponseFields& fields, int index, int32_t def)
{
    return StrToIntDef(Field(fields, index), def);
}

int32_t TResponseDispatcher::StrictIntField(const TResponseFields& fields, int index)
{
    int32_t value = 0;
    if (!TryStrToInt(Field(fields, index), value))
        throw EAppError(QStringLiteral("Field %1 of the answer is not a number.").arg(index));
    return value;
}

void TResponseDispatcher::DispatchResponse(const QByteArray& payload)
{
    if (payload.isEmpty())
        return;
    const TResponseHead head = ReadResponseHead(payload);
    // A tracker answers: the status values are no longer only those of the last one.
    T.Status->SetStale(false);
    if (head.HasIdentifier) {
        T.Settings->Identifier = FieldText(head.Fields[0]);
        T.Status->RzMeter_LED->SetText(T.Settings->Identifier);
    }
    if (!head.HasTag)
        throw EAppError(QStringLiteral("The answer has no tag."));
    if (head.IsStatus) {
        ApplyStatus(head.Fields);
        return;
    }
    ApplyCommand(head.CmdNo, head.Fields, payload);
    T.Queue->AdvanceCmdQueue();
    ShowTipWhenDone();
}

void TResponseDispatcher::ApplyStatus(const TResponseFields& fields)
{
    T.Status->lblAnotherName->setText(FieldText(Field(fields, 3)));
    T.Status->RzMeter_GPS->SetValue(std::min(StrictIntField(fields, 4), 5));
    // Integer division truncating toward zero, as the tracker's 0..31 signal scale expects.
    T.Status->RzMeter_GSM->SetValue(std::min(StrictIntField(fields, 5) / 6, 5));
    T.Status->SetBatteryLevel(StrictIntField(fields, 6));
    T.Queue->AdvanceCmdQueue();
    T.Status->StartBatteryAnimation();
}

void TResponseDispatcher::ApplyCommand(int32_t cmdNo, const TResponseFields& fields, const QByteArray& payload)
{
    switch (cmdNo) {
    case 1:
        T.Settings->Firmware = FieldText(Field(fields, 2));
        T.Status->lblVersion->setText(T.Settings->Firmware);
        break;
    case 8:
        ApplyGeoFence(fields);
        break;
    case 16: {
        const int32_t level = IntField(fields, 2, -1);
        if (level >= 0)
            T.Status->SetBatteryLevel(level);
        break;
    }
    default:
        // Every setting; the factory default (20) and any other number set nothing.
        ApplySettings(payload);
        break;
    }
}

void TResponseDispatcher::ApplySettings(const QByteArray& payload)
{
    QStringList applied;
    try {
        T.Settings->ApplyAnswer(payload, &applied);
    } catch (...) {
        // What the answer set before the field it lacks stays, on the pages as in the model.
        if (FView)
            FView->Show(*T.Settings, applied);
        throw;
    }
    if (FView)
        FView->Show(*T.Settings, applied);
}

void TResponseDispatcher::ApplyGeoFence(const TResponseFields& fields)
{
    const int32_t n = IntField(fields, 2, 0);
    if (n < 1 || n > GeoFenceCount)
        throw EAppError(QStringLiteral("Geo-fence %1 is not in the table.").arg(n));
    if (FGeoFenceAnswer)
        FGeoFenceAnswer(fields);
}

void TResponseDispatcher::DispatchWithoutTip(const QByteArray& payload)
{
    FNoTip = true;
    try {
        DispatchResponse(payload);
    } catch (...) {
        FNoTip = false;
        throw;
    }
    FNoTip = false;
}

void TResponseDispatcher::ShowTipWhenDone()
{
    if (FNoTip || T.pgCtrl->currentIndex() == ConsolePageIndex || !T.cbTipOnOK->isChecked() || T.Queue->Count() != 0)
        return;
    Dialogs::ShowMessage(Translate(QStringLiteral("Message")), Translate(QStringLiteral("Operation success !")),
                         TMsgIcon::Information);
}
