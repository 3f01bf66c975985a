#include "fleet/CompareDialog.h"

#include "core/AppError.h"
#include "core/Dialogs.h"
#include "fleet/CloseWatch.h"
#include "core/Numbers.h"
#include "fleet/ExchangeWait.h"
#include "fleet/ModelDispatcher.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"
#include "params/AlarmPage.h"
#include "params/MainSettingsPage.h"
#include "params/ParamsFile.h"
#include "params/RadioGroup.h"
#include "params/SettingsView.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QPointer<TCompareDialog> OpenDialog;

} // namespace

void CompareWithTracker(const TFleetTargets& targets, QAbstractButton* writeAllButton)
{
    if (OpenDialog)
        OpenDialog->close();
    auto tracker = std::make_unique<TTrackerSettings>();
    const TCloseWatch closing(targets.Window);
    TExchangeResult result;
    {
        const TDispatcherSwap swap(targets, std::make_shared<TModelDispatcher>(targets.Dispatch, *tracker));
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

TCompareDialog::TCompareDialog(const TFleetTargets& targets, std::unique_ptr<TTrackerSettings> tracker,
                               QAbstractButton* writeAllButton)
    : QDialog(targets.Window), T(targets), FTracker(std::move(tracker)), FWriteAll(writeAllButton)
{
    setObjectName(QStringLiteral("FrmCompare"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(TranslateText("compare_title").arg(FTracker->Identifier));
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

// A caption as a value: no trailing colon.
QString NameOf(const QString& caption)
{
    QString name = TrimText(caption);
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name;
}

// A number as a plain integer; a text that is none as it stands, trimmed.
QString IntegerForm(const QString& text)
{
    int32_t value = 0;
    const QString trimmed = TrimText(text);
    return TryStrToInt(trimmed, value) ? QString::number(value) : trimmed;
}

} // namespace

QString TCompareDialog::ShownText(const QString& key, const QString& value) const
{
    const TMainSettingsPage& m = *T.Dispatch.Main;
    if (key == QLatin1String("upload_mode"))
        return m.cbUpLoadMode->itemText(StrToIntDef(value, -1));
    if (key == QLatin1String("strategy"))
        return NameOf(value == QLatin1String("2") ? m.RBtn_Main_02->text() : m.RBtn_Main_01->text());
    if (key == QLatin1String("upload_interval"))
        return IntegerForm(value);
    if (const int position = int(TAlarmPage::Keys().indexOf(key)) + 1; position > 0) {
        const QRadioButton* choice = T.Dispatch.Alarm->Group(position)->Button(StrToIntDef(value, -1));
        return choice ? choice->text() : QString();
    }
    return TrimText(value);
}

void TCompareDialog::FillTable()
{
    // The pages' values as a Write would take them, beside the tracker's as the pages would
    // show them.
    TTrackerSettings& pages = *T.Dispatch.Settings;
    TSettingsView(*T.Dispatch.Main, *T.Dispatch.Alarm, *T.Dispatch.HotSpot).TakeAll(pages);
    const TTrackerSettings tracker = FTracker->AsShownOnPages();
    const QStringList keys = TTrackerSettings::ReadAllKeys();
    QStringList differing;
    for (const TSettingDifference& d : pages.Differences(tracker, keys))
        differing << d.Key;
    tblCompare->setRowCount(int(keys.size()));
    for (int row = 0; row < keys.size(); ++row) {
        const QString& key = keys[row];
        const bool differs = differing.contains(key);
        const QString name = RowName(Translate(QString::fromLatin1(FindSettingDef(key)->Caption)));
        const QString cells[3] = {name, ShownText(key, pages.Value(key)), ShownText(key, tracker.Value(key))};
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
        // The tracker's values go onto the pages as a parameter file's set does, then the upload
        // interval that no file holds; the window's model takes what the pages now show.
        T.ParamsFile->ToPages(FTracker->AsShownOnPages().ToConfig());
        T.Dispatch.Main->CBox_UploadingInterval->setEditText(FTracker->Value(QStringLiteral("upload_interval")));
        TSettingsView(*T.Dispatch.Main, *T.Dispatch.Alarm, *T.Dispatch.HotSpot).TakeAll(*T.Dispatch.Settings);
        close();
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), e.Message(), TMsgIcon::Error);
    }
}
