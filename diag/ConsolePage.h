#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class TCmdQueue;
class TLogView;

// The "Advanced Operations" page: a raw command console. A typed text is framed like the
// program's own commands and written straight to the port, beside the command queue; its answer
// comes back through the normal receive path. Below the command row, the console view of the
// communication log, which can be cleared and saved.
class TConsolePage : public QWidget {
    Q_OBJECT
public:
    using TAppendLogLine = std::function<void(const QString&)>;

    // appendLogLine writes a line to both views of the log.
    TConsolePage(TCmdQueue& queue, TAppendLogLine appendLogLine, QWidget* parent = nullptr);

    void btn_AdvOper_SendClick();
    void btn_AdvOper_ClearClick();
    void btn_AdvOper_CmdSaveClick();

    QLabel* lbl_AdvOper_ASCIICmd = nullptr;
    QLineEdit* edt_Send = nullptr;
    QPushButton* btn_AdvOper_Send = nullptr;
    QPushButton* btn_AdvOper_Clear = nullptr;
    QPushButton* btn_AdvOper_CmdSave = nullptr;
    TLogView* mm_Recv = nullptr;

    // What the save dialog offers first, in the program's data folder.
    static constexpr const char* DefaultSaveName = "Tovrik_Result";

private:
    TCmdQueue& FQueue;
    TAppendLogLine FAppendLogLine;
};
