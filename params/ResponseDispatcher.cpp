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

TResponseDispatcher::TResponseDispatcher(const TDispatchTargets& targets) : T(targets) {}

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
    if (head.HasIdentifier)
        T.Status->RzMeter_LED->SetText(FieldText(head.Fields[0]));
    if (!head.HasTag)
        throw EAppError(QStringLiteral("The answer has no tag."));
    if (head.IsStatus) {
        ApplyStatus(head.Fields);
        return;
    }
    ApplyCommand(head.CmdNo, head.Fields);
    T.Queue->AdvanceCmdQueue();
    ShowTipWhenDone();
}

void TResponseDispatcher::ApplyStatus(const TResponseFields& fields)
{
    T.Status->lblAnotherName->setText(FieldText(Field(fields, 3)));
    T.Status->RzMeter_GPS->SetValue(std::min(StrictIntField(fields, 4), 5));
    // Integer division truncating toward zero, as the tracker's 0..31 signal scale expects.
    T.Status->RzMeter_GSM->SetValue(std::min(StrictIntField(fields, 5) / 6, 5));
    T.Status->RzMeter_Battery->SetValue(StrictIntField(fields, 6));
    T.Queue->AdvanceCmdQueue();
    T.Status->StartBatteryAnimation();
}

void TResponseDispatcher::ApplyCommand(int32_t cmdNo, const TResponseFields& fields)
{
    TMainSettingsPage& m = *T.Main;
    switch (cmdNo) {
    case 1:
        T.Status->lblVersion->setText(FieldText(Field(fields, 2)));
        break;
    case 4: {
        const int32_t mode = IntField(fields, 3, 0);
        m.cbUpLoadMode->setCurrentIndex(mode >= 0 && mode < m.cbUpLoadMode->count() ? mode : -1);
        m.CBox_UploadingInterval->setEditText(FieldText(Field(fields, 2)));
        break;
    }
    case 5:
        m.txtIPAddress->setText(FieldText(Field(fields, 2)));
        m.txtPort->setText(FieldText(Field(fields, 3)));
        m.txtAPN->setText(FieldText(Field(fields, 4)));
        m.txtAPNUsername->setText(FieldText(Field(fields, 5)));
        m.txtAPNPassword->setText(FieldText(Field(fields, 6)));
        break;
    case 7:
        // Selecting a button that was not selected runs its handler (its toggled signal).
        switch (IntField(fields, 2, 0)) {
        case 1: m.RBtn_Main_01->setChecked(true); break;
        case 2: m.RBtn_Main_02->setChecked(true); break;
        default: break;
        }
        break;
    case 8:
        ApplyGeoFence(fields);
        break;
    case 9:
        T.HotSpot->txtRadius->setText(FieldText(Field(fields, 2)));
        break;
    case 10:
        m.cboBatteryAlert->setEditText(FieldText(Field(fields, 2)));
        break;
    case 11: {
        const int32_t n = IntField(fields, 2, -1);
        if (n >= 1 && n <= TMainSettingsPage::AuthNumberCount)
            m.AuthNumberEdit(n)->setText(FieldText(Field(fields, 3)));
        break;
    }
    case 12:
        m.txtTimeDifferent->setText(FieldText(Field(fields, 2)));
        break;
    case 16: {
        const int32_t level = IntField(fields, 2, -1);
        if (level >= 0)
            T.Status->RzMeter_Battery->SetValue(level);
        break;
    }
    case 17:
        // An alias holding a comma comes back in more fields; it is not shown cut short.
        if (fields.size() == 3)
            m.txtAlias->setText(FieldText(fields[2]));
        break;
    case 18:
        m.ApplyKeepAlive(IntField(fields, 2, 0));
        break;
    case 22:
        ApplyAlarms(fields);
        break;
    case 31:
        m.txtGSensorParam->setText(FieldText(Field(fields, 2)));
        break;
    default:
        break; // factory default (20) and every other number: nothing beyond the common steps
    }
}

void TResponseDispatcher::ApplyGeoFence(const TResponseFields& fields)
{
    const int32_t n = IntField(fields, 2, 0);
    if (n < 1 || n > GeoFenceCount)
        throw EAppError(QStringLiteral("Geo-fence %1 is not in the table.").arg(n));
    if (FGeoFenceAnswer)
        FGeoFenceAnswer(fields);
}

void TResponseDispatcher::ApplyAlarms(const TResponseFields& fields)
{
    for (int position = 1; position <= TAlarmPage::GroupCount; ++position) {
        TRadioGroup* group = T.Alarm->Group(position);
        const int32_t index = IntField(fields, position + 1, 0);
        if (index < 0 || index >= group->Count())
            throw EAppError(QStringLiteral("Alarm choice %1 is not an item of group %2.").arg(index).arg(position));
        group->SetItemIndex(index);
    }
}

void TResponseDispatcher::ShowTipWhenDone()
{
    if (T.pgCtrl->currentIndex() == ConsolePageIndex || !T.cbTipOnOK->isChecked() || T.Queue->Count() != 0)
        return;
    Dialogs::ShowMessage(Translate(QStringLiteral("Message")), Translate(QStringLiteral("Operation success !")),
                         TMsgIcon::Information);
}
