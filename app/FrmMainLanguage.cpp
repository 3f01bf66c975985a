// Languages: the language list, loading the chosen language, and the interface texts.
#include "app/FrmMain.h"

#include "core/Version.h"
#include "i18n/Language.h"

void TFrmMain::FillLanguageList() {}

void TFrmMain::LoadConfiguredLanguage() {}

void TFrmMain::ApplyInterfaceTexts()
{
    setWindowTitle(QStringLiteral("%1[%2]").arg(::Translate(QStringLiteral("Tovrik Assistant")), GetVersionText()));
}

void TFrmMain::SaveEnglishCatalogue() {}

void TFrmMain::SelectConfiguredLanguage() {}
