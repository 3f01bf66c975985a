#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QTimer>
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

    // An answer came in (any answer: a console command has no tag of its own to match). It
    // takes the oldest console command still waiting.
    void AnswerReceived();
    // A console command that gets no answer within this time is said so in one log line: the
    // tracker answers within 2 s, and the queue gives up on a command after 2 to 3 s as well.
    static constexpr int DefaultAnswerWaitMs = 3000;
    void SetAnswerWaitMs(int ms) { FAnswerWaitMs = ms; }
    // The console commands sent and not answered yet, oldest first.
    QStringList Waiting() const;

    QLabel* lbl_AdvOper_ASCIICmd = nullptr;
    QLineEdit* edt_Send = nullptr;
    QPushButton* btn_AdvOper_Send = nullptr;
    QPushButton* btn_AdvOper_Clear = nullptr;
    QPushButton* btn_AdvOper_CmdSave = nullptr;
    TLogView* mm_Recv = nullptr;

    // What the save dialog offers first, in the program's data folder.
    static constexpr const char* DefaultSaveName = "Tovrik_Result";

private:
    struct TWaiting {
        QString Text;
        qint64 DueMs; // on FSince
    };
    void Await(const QString& text);
    void NoAnswerTimer();
    void ScheduleNoAnswer();

    TCmdQueue& FQueue;
    TAppendLogLine FAppendLogLine;
    QList<TWaiting> FWaiting;
    QTimer FNoAnswer;
    QElapsedTimer FSince;
    int FAnswerWaitMs = DefaultAnswerWaitMs;
};
