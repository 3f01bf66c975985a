// The settings pages, the status panel and the answer dispatcher as the window wires them.
#include "app/FrmMain.h"

#include <QGroupBox>

void TFrmMain::BuildSettingsPages()
{
    gbGPRS = new QGroupBox(QStringLiteral("GPRS network parameters"), tsMain);
    gbGPRS->setObjectName(QStringLiteral("gbGPRS"));
}

void TFrmMain::ResetStatusPanel() {}

void TFrmMain::PrepareSettingsPages() {}

void TFrmMain::DispatchResponse(const QByteArray& payload) { Q_UNUSED(payload); }
