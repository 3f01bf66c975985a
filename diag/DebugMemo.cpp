#include "diag/DebugMemo.h"

#include "diag/LogView.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace {

constexpr int OuterWidth = 812;
constexpr int OuterHeight = 461;

QPointer<TfrmDebugMemo>& Instance()
{
    static QPointer<TfrmDebugMemo> instance;
    return instance;
}

void DeleteInstance()
{
    delete Instance().data();
}

} // namespace

TfrmDebugMemo::TfrmDebugMemo(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmDebugMemo"));
    setWindowTitle(QStringLiteral("Debug Memo"));
    // An open debug window must not keep the program running once the main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    pnlTop = new QWidget(this);
    pnlTop->setObjectName(QStringLiteral("pnlTop"));
    pnlTop->setFixedHeight(41);
    auto* top = new QHBoxLayout(pnlTop);
    top->setContentsMargins(8, 4, 8, 4);
    btn_Clear = new QPushButton(QStringLiteral("Clear"), pnlTop);
    btn_Clear->setObjectName(QStringLiteral("btn_Clear"));
    top->addWidget(btn_Clear);
    top->addStretch(1);
    layout->addWidget(pnlTop);

    mmDebug = new TLogView(this);
    mmDebug->setObjectName(QStringLiteral("mmDebug"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    mmDebug->setFont(font);
    layout->addWidget(mmDebug, 1);

    connect(btn_Clear, &QPushButton::clicked, this, &TfrmDebugMemo::btn_ClearClick);
    resize(OuterWidth, OuterHeight);
}

void TfrmDebugMemo::ShowWindow()
{
    if (!FShownBefore) {
        FShownBefore = true;
        // 812 x 461 is the outer size; the frame is known once the window has a native handle.
        create();
        const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
        resize(OuterWidth - frame.left() - frame.right(), OuterHeight - frame.top() - frame.bottom());
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect outer(QPoint(), QSize(OuterWidth, OuterHeight));
            outer.moveCenter(screen->availableGeometry().center());
            move(outer.topLeft());
        }
    }
    show();
    raise();
    activateWindow();
}

void TfrmDebugMemo::btn_ClearClick()
{
    mmDebug->ClearLog();
}

TfrmDebugMemo* GetDebugMemo()
{
    QPointer<TfrmDebugMemo>& instance = Instance();
    if (!instance) {
        instance = new TfrmDebugMemo;
        // A window without parent must go before the application object does.
        qAddPostRoutine(DeleteInstance);
    }
    return instance.data();
}
