#include "fleet/WriteVerifier.h"

#include "core/Dialogs.h"
#include "fleet/WriteAnswers.h"
#include "i18n/ProgramTexts.h"
#include "params/ResponseDispatcher.h"

#include <QAbstractButton>
#include <QCheckBox>

namespace {

bool SameItem(const TCmdItem& a, const TCmdItem& b)
{
    return a.CmdNo == b.CmdNo && a.RWFlag == b.RWFlag && a.IsTCmd == b.IsTCmd && a.ParamText == b.ParamText;
}

} // namespace

TWriteVerifier::TWriteVerifier(const TFleetTargets& targets, QCheckBox* verifyBox, QObject* parent)
    : QObject(parent), T(targets), FVerify(verifyBox)
{
}

TWriteVerifier::~TWriteVerifier() = default;

void TWriteVerifier::Attach(QAbstractButton* writeButton)
{
    connect(writeButton, &QAbstractButton::clicked, this, &TWriteVerifier::AfterWriteClick);
}

bool TWriteVerifier::Running() const
{
    return InFlight() >= 0;
}

void TWriteVerifier::AfterWriteClick()
{
    const TCmdQueue& queue = *T.Dispatch.Queue;
    FWrites.clear();
    FDifferences.clear();
    // A refused Write queued nothing, or left its items unsent: nothing to verify. The answers
    // of a Write that already ended (a tracker faster than this handler) were applied unverified.
    if (!FVerify->isChecked() || !queue.IsBusy() || !queue.HeadSent())
        return;
    for (const TCmdItem& item : queue.CmdQueue())
        if (item.RWFlag == 1)
            FWrites << item;
    if (FWrites.size() != queue.Count())
        FWrites.clear(); // reads left over by an earlier exchange lead: not a Write of its own
}

qsizetype TWriteVerifier::InFlight() const
{
    const TCmdQueue& queue = *T.Dispatch.Queue;
    if (FWrites.isEmpty() || !queue.IsBusy() || !queue.HeadSent() || queue.Count() == 0 ||
        queue.Count() > FWrites.size())
        return -1;
    const qsizetype at = FWrites.size() - queue.Count();
    return SameItem(queue.CmdQueue().first(), FWrites[at]) ? at : -1;
}

void TWriteVerifier::DispatchResponse(const QByteArray& payload)
{
    TResponseDispatcher& window = **T.ActiveDispatcher;
    const qsizetype at = payload.isEmpty() ? -1 : InFlight();
    if (at < 0) {
        FWrites.clear();
        window.DispatchResponse(payload);
        return;
    }
    const TResponseHead head = ReadResponseHead(payload);
    const TCmdItem write = FWrites[at];
    // Only an answer to the write in flight tells what it wrote; another (a battery report)
    // is applied as always.
    if (head.HasTag && !head.IsStatus && head.CmdNo == write.CmdNo)
        FDifferences << WriteAnswerDifferences(write, head.Fields);
    const bool last = at == FWrites.size() - 1;
    if (!last || FDifferences.isEmpty()) {
        window.DispatchResponse(payload);
        return;
    }
    // The last answer of a Write that differs: applied without the tip, then the box.
    const QList<TFieldDifference> differences = FDifferences;
    window.DispatchWithoutTip(payload); // raises when it cannot be applied: no box then
    FWrites.clear();
    FDifferences.clear();
    Dialogs::ShowMessage(TranslateText("verify_caption"),
                         TranslateText("verify_differs") + QLatin1Char('\n') + AnswerDifferenceLines(differences),
                         TMsgIcon::Warning);
}
