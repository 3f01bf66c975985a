#include "params/ParamsFile.h"

#include "core/AppError.h"
#include "core/IniText.h"
#include "core/Numbers.h"
#include "i18n/ProgramTexts.h"
#include "params/AlarmPage.h"
#include "params/MainSettingsPage.h"
#include "params/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

namespace {

QString Trimmed(const QLineEdit* edit) { return TrimText(edit->text()); }

// Selects or unselects a strategy button. Selecting one that was not selected runs its handler
// (the page listens to the toggle); unselecting only clears it, even if that leaves none selected.
void SetStrategy(QRadioButton* button, bool on)
{
    if (on) {
        button->setChecked(true);
        return;
    }
    if (!button->isChecked())
        return;
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

} // namespace

TParamsFile::TParamsFile(TMainSettingsPage& mainPage, TAlarmPage& alarmPage) : FMain(mainPage), FAlarm(alarmPage) {}

TAppParamsConfig TParamsFile::FromPages() const
{
    TAppParamsConfig c;
    c.Alias = Trimmed(FMain.txtAlias);
    c.LowBattery = FMain.cboBatteryAlert->currentText();
    c.TimeDiff = Trimmed(FMain.txtTimeDifferent);
    c.GSensorParams = Trimmed(FMain.txtGSensorParam);
    for (int k = 1; k <= 5; ++k)
        c.AuthNumbers[k - 1] = Trimmed(FMain.AuthNumberEdit(k));
    c.IPAddress = Trimmed(FMain.txtIPAddress);
    c.Port = Trimmed(FMain.txtPort);
    c.APN = Trimmed(FMain.txtAPN);
    c.APNUser = Trimmed(FMain.txtAPNUsername);
    c.APNPassword = Trimmed(FMain.txtAPNPassword);
    c.NormalUploading = FMain.RBtn_Main_01->isChecked();
    c.MovingUploading = FMain.RBtn_Main_02->isChecked();
    c.UploadMode = FMain.cbUpLoadMode->currentIndex() + 1;
    c.KeepAliveOn = FMain.RCox_KeepAlive->isChecked();
    FMain.RzSpinEdit_KeepAlive->interpretText(); // a period typed but not yet confirmed counts
    c.KeepAliveSeconds = FMain.RzSpinEdit_KeepAlive->value();
    // Like the alarm text written to the tracker, without its leading comma.
    c.AlarmParams = QString::fromLatin1(FAlarm.AlarmText());
    if (c.AlarmParams.startsWith(QLatin1Char(',')))
        c.AlarmParams.remove(0, 1);
    c.UploadInterval = TrimText(FMain.CBox_UploadingInterval->currentText());
    return c;
}

void TParamsFile::ToPages(const TAppParamsConfig& c)
{
    FMain.txtAlias->setText(c.Alias);
    FMain.cboBatteryAlert->setEditText(c.LowBattery);
    FMain.txtTimeDifferent->setText(c.TimeDiff);
    FMain.txtGSensorParam->setText(c.GSensorParams);
    for (int k = 1; k <= 5; ++k)
        FMain.AuthNumberEdit(k)->setText(c.AuthNumbers[k - 1]);
    FMain.txtIPAddress->setText(c.IPAddress);
    FMain.txtPort->setText(c.Port);
    FMain.txtAPN->setText(c.APN);
    FMain.txtAPNUsername->setText(c.APNUser);
    FMain.txtAPNPassword->setText(c.APNPassword);
    SetStrategy(FMain.RBtn_Main_01, c.NormalUploading);
    SetStrategy(FMain.RBtn_Main_02, c.MovingUploading);
    // Setting the mode from a file does not rebuild the interval list.
    const int mode = c.UploadMode - 1;
    FMain.cbUpLoadMode->setCurrentIndex(mode >= 0 && mode < FMain.cbUpLoadMode->count() ? mode : -1);
    // After the strategy, whose handler rebuilt the list; a file without the interval leaves it.
    if (!c.UploadInterval.isEmpty())
        FMain.CBox_UploadingInterval->setEditText(c.UploadInterval);
    FMain.RCox_KeepAlive->setChecked(c.KeepAliveOn);
    FMain.RzSpinEdit_KeepAlive->setValue(qBound(TMainSettingsPage::KeepAliveMinimum, c.KeepAliveSeconds,
                                                TMainSettingsPage::KeepAliveMaximum));
    // The alarm groups, one by one: the text up to the next comma, 0 when it is no integer.
    QString rest = c.AlarmParams;
    for (int position = 1; position <= 5; ++position) {
        const qsizetype comma = rest.indexOf(QLatin1Char(','));
        const QString part = comma < 0 ? rest : rest.left(comma);
        rest = comma < 0 ? QString() : rest.mid(comma + 1);
        const int index = StrToIntDef(part, 0);
        TRadioGroup* group = FAlarm.Group(position);
        if (index < 0 || index >= group->Count())
            throw EAppError(QStringLiteral("List index out of bounds (%1)").arg(index));
        group->SetItemIndex(index);
    }
}

void TParamsFile::SaveParamsFile(const QString& path)
{
    FConfig = FromPages();
    TIniText ini;
    QString reason;
    if (!ini.LoadFile(path, &reason))
        throw EAppError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
    FConfig.WriteTo(ini);
    ini.SaveFile(path);
}

void TParamsFile::LoadParamsFile(const QString& path)
{
    TIniText ini;
    QString reason;
    if (!ini.LoadFile(path, &reason))
        throw EAppError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason));
    // A file with none of the keys would blank the pages: it is refused, and nothing changes.
    if (!TAppParamsConfig::IsParameterFile(ini))
        throw EAppError(TranslateText("refuse_not_params").arg(QDir::toNativeSeparators(path)));
    FConfig = TAppParamsConfig::ReadFrom(ini);
    ToPages(FConfig);
}
