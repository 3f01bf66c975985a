#include "fleet/StationTile.h"

#include "i18n/ProgramTexts.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel* NamedLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

} // namespace

TStationTile::TStationTile(const QString& device, bool removable, QWidget* parent)
    : QFrame(parent), FDevice(device), FRemovable(removable)
{
    setFrameShape(QFrame::StyledPanel);
    setMinimumWidth(240);
    lblSlotName = NamedLabel(this, "lblSlotName");
    lblSlotName->setText(SlotNameOf(device));
    lblSlotName->setToolTip(device);
    QFont bold = lblSlotName->font();
    bold.setBold(true);
    lblSlotName->setFont(bold);
    btnSlotRemove = new QToolButton(this);
    btnSlotRemove->setObjectName(QStringLiteral("btnSlotRemove"));
    btnSlotRemove->setText(QStringLiteral("×"));
    btnSlotRemove->setToolTip(TranslateText("station_remove_port"));
    btnSlotRemove->setVisible(removable);
    lblSlotStep = NamedLabel(this, "lblSlotStep");
    pbSlot = new QProgressBar(this);
    pbSlot->setObjectName(QStringLiteral("pbSlot"));
    pbSlot->setRange(0, 100);
    pbSlot->setValue(0);
    lblSlotResult = NamedLabel(this, "lblSlotResult");
    QFont large = lblSlotResult->font();
    large.setPixelSize(40);
    large.setBold(true);
    lblSlotResult->setFont(large);
    lblSlotResult->setAlignment(Qt::AlignCenter);
    lblSlotResult->setMinimumHeight(52);
    lblSlotTracker = NamedLabel(this, "lblSlotTracker");
    lblSlotTracker->setAlignment(Qt::AlignCenter);
    lblSlotDetails = NamedLabel(this, "lblSlotDetails");
    btnSlotAgain = new QPushButton(TranslateText("station_provision_again"), this);
    btnSlotAgain->setObjectName(QStringLiteral("btnSlotAgain"));
    btnSlotAgain->hide();

    auto* top = new QHBoxLayout;
    top->addWidget(lblSlotName, 1);
    top->addWidget(btnSlotRemove);
    auto* box = new QVBoxLayout(this);
    box->addLayout(top);
    box->addWidget(lblSlotStep);
    box->addWidget(pbSlot);
    box->addWidget(lblSlotResult);
    box->addWidget(lblSlotTracker);
    box->addWidget(lblSlotDetails);
    box->addWidget(btnSlotAgain);
    box->addStretch(1);
    connect(btnSlotRemove, &QToolButton::clicked, this, &TStationTile::RemoveClicked);
    connect(btnSlotAgain, &QPushButton::clicked, this, [this] {
        btnSlotAgain->hide();
        if (FSlot)
            FSlot->ProvisionNow();
    });
    ShowIdle();
}

void TStationTile::Attach(TStationSlot* slot)
{
    FSlot = slot;
    btnSlotRemove->setEnabled(false);
    connect(slot, &TStationSlot::StateChanged, this, &TStationTile::ShowState);
    connect(slot, &TStationSlot::StepStarted, this, [this](int, const QString& text) { lblSlotStep->setText(text); });
    connect(slot, &TStationSlot::Progress, pbSlot, &QProgressBar::setValue);
    connect(slot, &TStationSlot::Identified, this, [this](const QString& id, const QString& firmware) {
        // The next tracker: the last one's result goes.
        btnSlotAgain->hide();
        lblSlotResult->clear();
        lblSlotDetails->clear();
        lblSlotTracker->setText(TranslateText("provision_tracker").arg(id, firmware));
    });
    connect(slot, &TStationSlot::TrackerEnded, this, &TStationTile::ShowResult);
    ShowState(slot->State());
}

void TStationTile::Detach()
{
    if (FSlot)
        FSlot->disconnect(this);
    FSlot = nullptr;
    btnSlotRemove->setEnabled(true);
    btnSlotAgain->hide();
    ShowIdle();
}

void TStationTile::ShowIdle()
{
    lblSlotStep->setText(TranslateText("provision_stopped"));
    pbSlot->setValue(0);
}

void TStationTile::ShowState(TStationSlot::TState state)
{
    switch (state) {
    case TStationSlot::TState::Idle: ShowIdle(); break;
    case TStationSlot::TState::NoDevice:
    case TStationSlot::TState::Waiting:
        lblSlotStep->setText(TranslateText("provision_waiting").arg(lblSlotName->text()));
        pbSlot->setValue(0);
        break;
    case TStationSlot::TState::Running: break; // the steps say what it does
    case TStationSlot::TState::Done: lblSlotStep->setText(TranslateText("provision_remove")); break;
    }
}

void TStationTile::ShowResult(const TProvisionResult& result)
{
    const bool passed = result.Outcome == TProvisionOutcome::Passed;
    const bool again = result.Outcome == TProvisionOutcome::Again;
    lblSlotResult->setText(again ? TranslateText("station_again")
                                 : passed ? TranslateText("provision_pass") : TranslateText("provision_fail"));
    lblSlotResult->setStyleSheet(again    ? QStringLiteral("color: #B07000")
                                 : passed ? QStringLiteral("color: #008000")
                                          : QStringLiteral("color: #C00000"));
    lblSlotTracker->setText(result.Identifier.isEmpty()
                                ? QString()
                                : TranslateText("provision_tracker").arg(result.Identifier, result.Firmware));
    QStringList lines;
    for (const TDifferenceRow& d : result.Rows())
        lines << TranslateText("verify_row").arg(d.Name, d.Written, d.ReadBack);
    if (lines.isEmpty() && !passed && !again)
        lines << result.Error;
    lblSlotDetails->setText(lines.join(QLatin1Char('\n')));
    btnSlotAgain->setVisible(again);
}
