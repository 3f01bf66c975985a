#include "fleet/CompareDialog.h"

#include "core/AppError.h"
#include "core/Dialogs.h"
#include "fleet/CloseWatch.h"
#include "fleet/ExchangeWait.h"
#include "fleet/ShadowSettings.h"
#include "params/TrackerSettings.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"
#include "params/MainSettingsPage.h"
#include "params/ParamsFile.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QPointer<TCompareDialog> OpenDialog;

} // namespace

void CompareWithTracker(const TFleetTargets& targets, QAbstractButton* writeAllButton)
{
    if (OpenDialog)
        OpenDialog->close();
    auto tracker = std::make_unique<TShadowSettings>(targets);
    const TCloseWatch closing(targets.Window);
    TExchangeResult result;
    {
        const TDispatcherSwap swap(targets, tracker->Dispatcher);
        result = RunExchange(*targets.Dispatch.Queue, TTrackerSettings::ReadAllRequests(), [&] { return closing.Closing(); });
    }
    if (result == TExchangeResult::Stopped)
        return;
    if (result == TExchangeResult::NoAnswer) {
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), TranslateText("compare_no_answer"), TMsgIcon::Error);
        return;
    }
    auto* dialog = new TCompareDialog(targets, std::move(tracker), writeAllButton);
    OpenDialog = dialog;
    dialog->show();
}

QColor TCompareDialog::DifferingRowColor() { return QColor(255, 210, 200); }

TCompareDialog::TCompareDialog(const TFleetTargets& targets, std::unique_ptr<TShadowSettings> tracker,
                               QAbstractButton* writeAllButton)
    : QDialog(targets.Window), T(targets), FTracker(std::move(tracker)), FWriteAll(writeAllButton)
{
    setObjectName(QStringLiteral("FrmCompare"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(TranslateText("compare_title").arg(FTracker->Identifier()));
    tblCompare = new QTableWidget(0, 3, this);
    tblCompare->setObjectName(QStringLiteral("tblCompare"));
    tblCompare->setHorizontalHeaderLabels(
        {TranslateText("compare_field"), TranslateText("compare_pages"), TranslateText("compare_tracker")});
    tblCompare->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblCompare->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblCompare->verticalHeader()->hide();
    tblCompare->horizontalHeader()->setStretchLastSection(true);
    btnCompareWriteAll = new QPushButton(TranslateText("compare_write_all"), this);
    btnCompareWriteAll->setObjectName(QStringLiteral("btnCompareWriteAll"));
    btnCompareTake = new QPushButton(TranslateText("compare_take"), this);
    btnCompareTake->setObjectName(QStringLiteral("btnCompareTake"));
    btnCompareClose = new QPushButton(Translate(QStringLiteral("Close")), this);
    btnCompareClose->setObjectName(QStringLiteral("btnCompareClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnCompareWriteAll);
    buttons->addWidget(btnCompareTake);
    buttons->addStretch(1);
    buttons->addWidget(btnCompareClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tblCompare);
    layout->addLayout(buttons);
    resize(560, 520);
    FillTable();

    connect(btnCompareWriteAll, &QPushButton::clicked, this, &TCompareDialog::btnCompareWriteAllClick);
    connect(btnCompareTake, &QPushButton::clicked, this, &TCompareDialog::btnCompareTakeClick);
    connect(btnCompareClose, &QPushButton::clicked, this, &QDialog::close);
}

TCompareDialog::~TCompareDialog() = default;

namespace {

// A caption as a row name: without its shortcut marks and trailing colon.
QString RowName(QString caption)
{
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(QLatin1Char('&'));
    caption.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    caption = caption.trimmed();
    if (caption.endsWith(QLatin1Char(':')))
        caption.chop(1);
    return caption;
}

QString ShownCaption(const QWidget* w)
{
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(w))
        return group->title();
    return QString();
}

// The field names as the pages' captions give them (in the language of the start), each with
// its name in the language loaded now.
QHash<QString, QString> NamesInCurrentLanguage(const QWidget* window)
{
    QHash<QString, QString> names;
    if (!window)
        return names;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        const QString source = w->property(CaptionSourceProperty).toString();
        const QString shown = ShownCaption(w);
        if (source.isEmpty() || shown.isEmpty())
            continue;
        // The same row name as the pages' field list makes from the caption it shows.
        QString key = shown.trimmed();
        if (key.endsWith(QLatin1Char(':')))
            key.chop(1);
        names.insert(key, RowName(Translate(source)));
        names.insert(RowName(shown), RowName(Translate(source)));
    }
    return names;
}

} // namespace

void TCompareDialog::FillTable()
{
    const QList<TSettingField> pages = PageFields(*T.Dispatch.Main, *T.Dispatch.Alarm);
    const QHash<QString, QString> names = NamesInCurrentLanguage(T.Window);
    const QList<TSettingField> tracker = FTracker->Fields();
    tblCompare->setRowCount(int(pages.size()));
    for (int row = 0; row < pages.size(); ++row) {
        const TSettingField& p = pages[row];
        const TSettingField& t = tracker[row]; // the same fields in the same order
        const bool differs = !SameWireValue(p.Value, t.Value);
        const QString cells[3] = {names.value(p.Name, p.Name), p.Shown, t.Shown};
        for (int column = 0; column < 3; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setData(Qt::UserRole, differs);
            if (differs) {
                item->setBackground(DifferingRowColor());
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            tblCompare->setItem(row, column, item);
        }
    }
    tblCompare->resizeColumnsToContents();
}

void TCompareDialog::btnCompareWriteAllClick()
{
    close();
    if (FWriteAll)
        FWriteAll->click();
}

void TCompareDialog::btnCompareTakeClick()
{
    try {
        // The parameter set of the tracker's values, and the upload interval that no file holds.
        const TAppParamsConfig config = TParamsFile(*FTracker->Main, *FTracker->Alarm).FromPages();
        T.ParamsFile->ToPages(config);
        T.Dispatch.Main->CBox_UploadingInterval->setEditText(FTracker->Main->CBox_UploadingInterval->currentText());
        close();
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), e.Message(), TMsgIcon::Error);
    }
}
