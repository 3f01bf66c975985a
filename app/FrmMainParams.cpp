// Parameter files: Save writes the pages to "param/<identifier>.cfg", Load reads a chosen file
// back into the pages so that one configuration can be written to the next tracker.
#include "app/FrmMain.h"

#include "core/AppError.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"
#include "params/AlarmPage.h"
#include "params/LedDisplay.h"
#include "params/MainSettingsPage.h"
#include "params/ParamsFile.h"
#include "params/StatusPanel.h"

#include <QDir>
#include <QPushButton>

void TFrmMain::ConnectParamsFiles()
{
    ParamsFile = std::make_unique<TParamsFile>(*MainSettings, *AlarmSetting);
    connect(btnSave, &QPushButton::clicked, this, &TFrmMain::btnSaveClick);
    connect(btnLoad, &QPushButton::clicked, this, &TFrmMain::btnLoadClick);
    // Verify, compare and provisioning sit beside the file buttons and use the same pages.
    ConnectFleet();
}

QString TFrmMain::ParamsFolder() const { return AppDataPath(QStringLiteral("param")); }

void TFrmMain::btnSaveClick()
{
    const QString identifier = StatusPanel->RzMeter_LED->Text();
    if (identifier.isEmpty())
        return;
    const QString path = QDir(ParamsFolder()).filePath(identifier + QStringLiteral(".cfg"));
    try {
        if (!QDir().mkpath(ParamsFolder()))
            throw EAppError(QStringLiteral("Cannot create file \"%1\". %2")
                                .arg(path, TranslateText("folder_not_created")));
        ParamsFile->SaveParamsFile(path);
        // Save shows no dialog; the log tells where the file went.
        AppendLogLine(TranslateText("params_saved") + QStringLiteral(" ") +
                      QDir::toNativeSeparators(path));
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(::Translate(QStringLiteral("Error")), e.Message(), TMsgIcon::Error);
    }
}

void TFrmMain::btnLoadClick()
{
    TFileRequest request;
    request.Filter = QStringLiteral("config file(*.cfg)|*.cfg");
    request.Folder = ParamsFolder();
    const QString path = Dialogs::AskFileName(request);
    if (path.isEmpty())
        return;
    try {
        ParamsFile->LoadParamsFile(path);
        AppendLogLine(TranslateText("params_loaded") + QStringLiteral(" ") +
                      QDir::toNativeSeparators(path));
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(::Translate(QStringLiteral("Error")), e.Message(), TMsgIcon::Error);
    }
}
