#pragma once

#include <QWidget>

class QPushButton;
class TLogView;

// The debug window: a second view of the communication log that stays on top of the other
// windows while the technician works in the main window. Closing it only hides it; its lines
// stay until its own Clear button empties them.
class TfrmDebugMemo : public QWidget {
    Q_OBJECT
public:
    explicit TfrmDebugMemo(QWidget* parent = nullptr);

    // Shows the window without making it modal and brings it to the front.
    void ShowWindow();
    void btn_ClearClick();

    QWidget* pnlTop = nullptr;
    QPushButton* btn_Clear = nullptr;
    TLogView* mmDebug = nullptr;

private:
    bool FShownBefore = false;
};

// The one debug window of the run, created hidden on the first call; it lives until the
// application object goes away.
TfrmDebugMemo* GetDebugMemo();
