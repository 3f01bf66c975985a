#include "fleet/SettingFields.h"

#include "core/Numbers.h"
#include "params/AlarmPage.h"
#include "params/MainSettingsPage.h"
#include "params/RadioGroup.h"
#include "params/TmpHotSpotGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

namespace {

// A caption as a field name: no trailing colon. Labels show their text as it stands.
QString NameOf(const QString& caption)
{
    QString name = TrimText(caption);
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name;
}

// A number goes out as a plain integer; a text that is none is kept as typed.
QString IntegerForm(const QString& text)
{
    int32_t value = 0;
    const QString trimmed = TrimText(text);
    return TryStrToInt(trimmed, value) ? QString::number(value) : trimmed;
}

TSettingField Field(const char* key, int32_t cmd, const QString& caption, const QString& value,
                    const QString& shown = QString(), int32_t entry = 0)
{
    return TSettingField{QString::fromLatin1(key), cmd, entry, NameOf(caption), value,
                         shown.isNull() ? value : shown};
}

int32_t EntryOf(const TCmdItem& item)
{
    if (item.CmdNo != 11 && item.CmdNo != 8)
        return 0;
    const QList<QByteArray> parts = item.ParamText.split(',');
    return parts.size() > 1 ? StrToIntDef(parts[1], 0) : 0;
}

} // namespace

QList<TSettingField> PageFields(const TMainSettingsPage& m, const TAlarmPage& alarm)
{
    QList<TSettingField> f;
    f << Field("alias", 17, m.lblAlias->text(), TrimText(m.txtAlias->text()));
    f << Field("low_battery", 10, m.lblBatteryPercent->text(), TrimText(m.cboBatteryAlert->currentText()));
    f << Field("time_difference", 12, m.lblTimeDif->text(), TrimText(m.txtTimeDifferent->text()));
    f << Field("gprs_ip", 5, m.lblGprsIP->text(), TrimText(m.txtIPAddress->text()));
    f << Field("gprs_port", 5, m.lblGprsPort->text(), TrimText(m.txtPort->text()));
    f << Field("gprs_apn", 5, m.lblGprsAPN->text(), TrimText(m.txtAPN->text()));
    f << Field("gprs_user", 5, m.lblAPNName->text(), TrimText(m.txtAPNUsername->text()));
    f << Field("gprs_password", 5, m.lblApnPass->text(), TrimText(m.txtAPNPassword->text()));
    f << Field("upload_interval", 4, m.lblUpItv->text(), IntegerForm(m.CBox_UploadingInterval->currentText()));
    f << Field("upload_mode", 4, m.lblWorkMode->text(), QString::number(m.cbUpLoadMode->currentIndex()),
               m.cbUpLoadMode->currentText());
    const bool moving = m.RBtn_Main_02->isChecked();
    f << Field("strategy", 7, m.gbDataUploading->title(), moving ? QStringLiteral("2") : QStringLiteral("1"),
               NameOf(moving ? m.RBtn_Main_02->text() : m.RBtn_Main_01->text()));
    const QString keepAlive = m.RCox_KeepAlive->isChecked() ? QString::number(m.RzSpinEdit_KeepAlive->value()) : QStringLiteral("0");
    f << Field("keep_alive", 18, m.RCox_KeepAlive->text(), keepAlive);
    for (int k = 1; k <= TMainSettingsPage::AuthNumberCount; ++k) {
        const QString number = TrimText(m.AuthNumberEdit(k)->text());
        const QLabel* label = m.findChild<QLabel*>(QStringLiteral("lblVIP_%1").arg(k));
        f << Field(QStringLiteral("auth_%1").arg(k).toLatin1().constData(), 11, label ? label->text() : QString(),
                   number.isEmpty() ? QStringLiteral("0") : number, number, k);
    }
    for (int p = 1; p <= TAlarmPage::GroupCount; ++p) {
        const TRadioGroup* group = alarm.Group(p);
        const int index = group->ItemIndex();
        const QList<QRadioButton*> buttons = group->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
        f << Field(QStringLiteral("alarm_%1").arg(p).toLatin1().constData(), 22, group->title(),
                   index < 0 ? QString() : QString::number(index),
                   index >= 0 && index < buttons.size() ? buttons[index]->text() : QString());
    }
    f << Field("gsensor", 31, m.lblGSensorParam->text(), TrimText(m.txtGSensorParam->text()));
    return f;
}

TSettingField RadiusField(const TTmpHotSpotGroup& hotSpot)
{
    return Field("radius", 9, hotSpot.lblRadius->text(), IntegerForm(hotSpot.txtRadius->text()));
}

QList<TSettingField> FieldsWrittenBy(const QList<TSettingField>& fields, const QList<TCmdItem>& items)
{
    QList<TSettingField> written;
    for (const TSettingField& field : fields)
        for (const TCmdItem& item : items)
            if (item.RWFlag == 1 && item.CmdNo == field.CmdNo && (field.Entry == 0 || EntryOf(item) == field.Entry)) {
                written << field;
                break;
            }
    return written;
}

bool SameWireValue(const QString& a, const QString& b)
{
    int32_t x = 0;
    int32_t y = 0;
    if (TryStrToInt(TrimText(a), x) && TryStrToInt(TrimText(b), y))
        return x == y;
    return a == b;
}

QList<TFieldDifference> DifferingFields(const QList<TSettingField>& expected, const QList<TSettingField>& actual)
{
    QList<TFieldDifference> differences;
    for (const TSettingField& e : expected) {
        const TSettingField* match = nullptr;
        for (const TSettingField& a : actual)
            if (a.Key == e.Key)
                match = &a;
        if (!match || !SameWireValue(e.Value, match->Value))
            differences << TFieldDifference{e.Name, e.Shown, match ? match->Shown : QString()};
    }
    return differences;
}
