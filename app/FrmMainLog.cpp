// The communication log in its two views, and the raw command console.
#include "app/FrmMain.h"

#include "diag/ConsolePage.h"
#include "diag/DebugMemo.h"
#include "diag/LogView.h"

#include <QPushButton>
#include <QVBoxLayout>

void TFrmMain::BuildConsolePage()
{
    auto* layout = new QVBoxLayout(tsAdvOperation);
    layout->setContentsMargins(0, 0, 0, 0);
    FConsolePage = new TConsolePage(
        *FQueue, [this](const QString& line) { AppendLogLine(line); }, tsAdvOperation);
    layout->addWidget(FConsolePage);
    connect(btnShowMsg, &QPushButton::clicked, this, &TFrmMain::btnShowMsgClick);
}

void TFrmMain::AppendLogLine(const QString& line)
{
    // The debug window first (it is created on first use), then the console view.
    GetDebugMemo()->mmDebug->AppendLine(line);
    if (FConsolePage)
        FConsolePage->mm_Recv->AppendLine(line);
}

void TFrmMain::btnShowMsgClick()
{
    GetDebugMemo()->ShowWindow();
}
