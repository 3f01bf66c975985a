#include "geo/GeoFencePage.h"

#include "core/AppError.h"
#include "core/Dialogs.h"
#include "core/Numbers.h"
#include "geo/FenceCommands.h"
#include "geo/FenceEditPanel.h"
#include "geo/FenceTableModel.h"
#include "geo/GeoFenceList.h"
#include "geo/MapGroup.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"
#include "link/FrameCodec.h"
#include "link/CmdQueue.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

TFenceCorners CornersOf(const TGeoFence& fence)
{
    return TFenceCorners{fence.LTLongitude, fence.LTLatitude, fence.RBLongitude, fence.RBLatitude};
}

// A field's name as its label shows it, without the trailing colon.
QString FieldName(const QLabel* label)
{
    QString text = label ? label->text() : QString();
    text.remove(QLatin1Char('&'));
    while (text.endsWith(QLatin1Char(':')) || text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

} // namespace

TGeoFencePage::TGeoFencePage(TGeoFenceList& fences, TCmdQueue& queue, QWidget* parent)
    : QWidget(parent), FFences(fences), FQueue(queue)
{
    setObjectName(QStringLiteral("GeoFencePage"));
    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(2, 2, 2, 2);

    FLeft = new QVBoxLayout;
    gbGeoFence = new QGroupBox(QStringLiteral("Geo-fence"), this);
    gbGeoFence->setObjectName(QStringLiteral("gbGeoFence"));
    auto* group = new QVBoxLayout(gbGeoFence);

    FModel = new TFenceTableModel(FFences, this);
    vtList = new QTableView(gbGeoFence);
    vtList->setObjectName(QStringLiteral("vtList"));
    vtList->setModel(FModel);
    vtList->setSelectionBehavior(QAbstractItemView::SelectRows);
    vtList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    vtList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vtList->setSortingEnabled(false);
    vtList->setWordWrap(false);
    vtList->verticalHeader()->hide();
    vtList->verticalHeader()->setDefaultSectionSize(18);
    // Horizontal lines between rows only, as the tracker's other tools show fence tables.
    vtList->setShowGrid(false);
    vtList->setStyleSheet(QStringLiteral("QTableView::item { border-bottom: 1px solid #d4d4d4; }"));
    QHeaderView* header = vtList->horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setStretchLastSection(false);
    header->setHighlightSections(false);
    // Long captions ("Long-Right Bottom") go onto two lines instead of being cut.
    header->setTextElideMode(Qt::ElideNone);
    header->setMinimumHeight(2 * header->fontMetrics().lineSpacing() + 8);
    vtList->installEventFilter(this);
    group->addWidget(vtList, 1);

    auto* buttons = new QHBoxLayout;
    btn_GeoRead = MakeButton("btn_GeoRead", "Read All Geo-fence", gbGeoFence);
    btn_GeoEdit = MakeButton("btn_GeoEdit", "Edit", gbGeoFence);
    btn_GeoDisable = MakeButton("btn_GeoDisable", "Disable", gbGeoFence);
    btn_GeoSetAll = MakeButton("btn_GeoSetAll", "Write Selected Geo-fence", gbGeoFence);
    for (QPushButton* b : {btn_GeoRead, btn_GeoEdit, btn_GeoDisable, btn_GeoSetAll})
        buttons->addWidget(b);
    group->addLayout(buttons);
    FLeft->addWidget(gbGeoFence, 1);

    pnlGeoEdit = new TFenceEditPanel(gbGeoFence);

    rgMap = new TMapGroup(this);
    FMap = rgMap;
    page->addLayout(FLeft, 1);
    page->addWidget(rgMap, 1);
    // Each rectangle drawn or dragged on the map overwrites the editor's corners.
    rgMap->ConnectBoundsFields(pnlGeoEdit->txtGeofenceLTLongitude, pnlGeoEdit->txtGeofenceLTLatitude,
                               pnlGeoEdit->txtGeofenceRBLongitude, pnlGeoEdit->txtGeofenceRBLatitude);

    connect(btn_GeoRead, &QPushButton::clicked, this, [this] { Guarded([this] { btn_GeoReadClick(); }); });
    connect(btn_GeoEdit, &QPushButton::clicked, this, [this] { Guarded([this] { btn_GeoEditClick(); }); });
    connect(btn_GeoDisable, &QPushButton::clicked, this, [this] { Guarded([this] { btn_GeoDisableClick(); }); });
    connect(btn_GeoSetAll, &QPushButton::clicked, this, [this] { Guarded([this] { btn_GeoSetAllClick(); }); });
    connect(pnlGeoEdit->btnGeoSave, &QPushButton::clicked, this, [this] { Guarded([this] { btnGeoSaveClick(); }); });
    connect(pnlGeoEdit->btn_Close, &QPushButton::clicked, this, [this] { Guarded([this] { btn_CloseClick(); }); });
    connect(rgMap->btn_GeoShowAllFence, &QPushButton::clicked, this,
            [this] { Guarded([this] { btn_GeoShowAllFenceClick(); }); });
    connect(rgMap->btn_GeoClearAll, &QPushButton::clicked, this,
            [this] { Guarded([this] { btn_GeoClearAllClick(); }); });
    connect(vtList, &QTableView::clicked, this, [this] { Guarded([this] { vtListClick(); }); });
    connect(vtList, &QTableView::doubleClicked, this, [this] { Guarded([this] { vtListDblClick(); }); });
}

TGeoFencePage::~TGeoFencePage() = default;

template <typename F> void TGeoFencePage::Guarded(F&& handler)
{
    try {
        handler();
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(QStringLiteral("ERROR"), e.Message(), TMsgIcon::Error);
    } catch (const std::exception& e) {
        Dialogs::ShowMessage(QStringLiteral("ERROR"), QString::fromLocal8Bit(e.what()), TMsgIcon::Error);
    }
}

void TGeoFencePage::PlaceHotSpotGroup(QWidget* group)
{
    if (!group)
        return;
    group->setParent(this);
    FLeft->insertWidget(0, group, 0);
    group->show();
}

void TGeoFencePage::SetFenceMap(IFenceMap* map)
{
    FMap = map ? map : rgMap;
}

void TGeoFencePage::InitGeoFenceList()
{
    QStringList captions;
    for (const QString& caption : TFenceTableModel::SourceCaptions())
        captions.append(Translate(caption));
    FModel->InitColumns(captions);
    for (int tag = 0; tag < TFenceTableModel::TagCount; ++tag)
        vtList->setColumnWidth(tag, TFenceTableModel::ColumnWidth(tag));
    FColumnsFitted = false;
    FitColumns();
    connect(FModel, &QAbstractItemModel::dataChanged, this, &TGeoFencePage::FitColumns, Qt::UniqueConnection);
}

int TGeoFencePage::ColumnNeed(int column) const
{
    const QFontMetrics cells = vtList->fontMetrics();
    const QFontMetrics heads = vtList->horizontalHeader()->fontMetrics();
    const int cellPad = 2 * (vtList->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, vtList) + 1) + 6;
    const int headPad = 2 * vtList->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, vtList) + 6;
    int need = 0;
    // The header wraps at its spaces: its longest word must fit.
    for (const QString& word : FModel->headerData(column, Qt::Horizontal).toString().split(QLatin1Char(' ')))
        need = std::max(need, heads.horizontalAdvance(word) + headPad);
    // The widest value a column can show without any fence read: the highest number, a
    // coordinate's longest form.
    QString widest;
    if (column == TFenceTableModel::TagId)
        widest = QString::number(TGeoFenceList::FenceCount);
    else if (column != TFenceTableModel::TagName)
        widest = QStringLiteral("-179.999999");
    need = std::max(need, cells.horizontalAdvance(widest) + cellPad);
    for (int row = 0; row < FModel->rowCount(); ++row)
        need = std::max(need, cells.horizontalAdvance(FModel->index(row, column).data().toString()) + cellPad);
    return need;
}

void TGeoFencePage::FitColumns()
{
    if (!FModel || FModel->columnCount() < TFenceTableModel::TagCount)
        return;
    // 64 rows never fit in the list's height: its vertical scroll bar is always there.
    const int available = vtList->width() - 2 * vtList->frameWidth() - vtList->verticalScrollBar()->sizeHint().width();
    if (!FColumnsFitted && vtList->isVisible() && available > 0) {
        // First fit, once the list has its width: every column as wide as it needs, the name
        // column takes the rest.
        int others = 0;
        for (int c = 0; c < TFenceTableModel::TagCount; ++c)
            if (c != TFenceTableModel::TagName) {
                vtList->setColumnWidth(c, ColumnNeed(c));
                others += vtList->columnWidth(c);
            }
        vtList->setColumnWidth(TFenceTableModel::TagName,
                               std::max(ColumnNeed(TFenceTableModel::TagName), available - others));
        FColumnsFitted = true;
        return;
    }
    // A value longer than its column widens it.
    for (int c = 0; c < TFenceTableModel::TagCount; ++c)
        if (vtList->columnWidth(c) < ColumnNeed(c))
            vtList->setColumnWidth(c, ColumnNeed(c));
}

void TGeoFencePage::ApplyFenceAnswer(const TResponseFields& fields)
{
    const int32_t fenceNo = ApplyFenceAnswerFields(FFences, fields);
    FModel->RefreshFence(fenceNo);
}

TGeoFence* TGeoFencePage::SelectedGeoFence() const
{
    const QModelIndexList rows = vtList->selectionModel()->selectedRows();
    int first = -1;
    for (const QModelIndex& index : rows)
        if (first < 0 || index.row() < first)
            first = index.row();
    return FModel->Fence(first);
}

QString TGeoFencePage::vtListGetText(int row, int column) const
{
    const TGeoFence* fence = FModel->Fence(row);
    return fence && column >= 0 ? TFenceTableModel::CellText(*fence, column) : QString();
}

// ---------------------------------------------------------------------------------------------
// Handlers

bool TGeoFencePage::MapReady()
{
    return FMap && FMap->CheckMapLoaded();
}

void TGeoFencePage::LeaveFenceSettingIfActive()
{
    if (FMap->FenceSettingActive())
        FMap->LeaveFenceSetting();
}

void TGeoFencePage::ShowFence(const TGeoFence& fence)
{
    FMap->ShowFenceOnMap(CornersOf(fence), FenceLineWidth, FenceColor, FenceColor);
}

void TGeoFencePage::btn_GeoReadClick()
{
    FQueue.ClearCmdQueue();
    for (int32_t n = 1; n <= TGeoFenceList::FenceCount; ++n)
        FQueue.QueueCmd(GeoFenceCmdNo, 0, false, ReadFenceParamText(n));
    FQueue.StartUserCmdQueue();
}

void TGeoFencePage::btn_GeoEditClick()
{
    if (!MapReady())
        return;
    LeaveFenceSettingIfActive();
    FMap->EnterFenceSetting();
    const TGeoFence* fence = SelectedGeoFence();
    if (!fence)
        return;
    pnlGeoEdit->ShowFence(*fence);
    PlaceEditPanel();
    pnlGeoEdit->show();
    pnlGeoEdit->raise();
    // The selection must not change under the open editor.
    vtList->setEnabled(false);
    pnlGeoEdit->txtGeofenceName->setFocus();
}

void TGeoFencePage::vtListDblClick()
{
    btn_GeoEditClick();
}

bool TGeoFencePage::CheckEditorFields()
{
    const auto refuse = [this](QLineEdit* field, const QString& text) {
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), text, TMsgIcon::Error);
        field->setFocus();
        field->selectAll();
        return false;
    };
    // These characters would end the name early or break the frame around the command text;
    // they cannot be typed but can be pasted.
    const QString name = pnlGeoEdit->txtGeofenceName->text();
    for (QChar c : {QLatin1Char(','), QLatin1Char('('), QLatin1Char(')'), QLatin1Char('!')})
        if (name.contains(c))
            return refuse(pnlGeoEdit->txtGeofenceName,
                          TranslateText("refuse_separator").arg(FieldName(pnlGeoEdit->lblFenceName)));
    // A corner that is not a number would otherwise go out as "000.0000" and move or wipe the
    // fence on the tracker.
    for (QLineEdit* field : pnlGeoEdit->CornerFields()) {
        double v = 0;
        if (!TryStrToFloat(TrimText(field->text()), v))
            return refuse(field, TranslateText("refuse_not_number").arg(FieldName(pnlGeoEdit->LabelOf(field))));
    }
    // A corner off the globe would be written as such ("20000.0000") and drawn across the map.
    for (QLineEdit* field : pnlGeoEdit->CornerFields()) {
        double v = 0;
        TryStrToFloat(TrimText(field->text()), v);
        const bool latitude = field == pnlGeoEdit->txtGeofenceLTLatitude || field == pnlGeoEdit->txtGeofenceRBLatitude;
        if (std::fabs(v) > (latitude ? 90.0 : 180.0))
            return refuse(field, TranslateText(latitude ? "refuse_latitude_range" : "refuse_longitude_range")
                                     .arg(FieldName(pnlGeoEdit->LabelOf(field)), TrimText(field->text())));
    }
    // A frame carries at most 255 bytes of command text; a corner of absurd size would not fit.
    TGeoFence probe = EditorFence();
    const qsizetype size = BuildCmdText(GeoFenceCmdNo, 1, false, WriteFenceParamText(probe)).size();
    if (size > MaxCommandTextSize) {
        QLineEdit* longest = pnlGeoEdit->txtGeofenceName;
        for (QLineEdit* field : pnlGeoEdit->CornerFields())
            if (TrimText(field->text()).size() > TrimText(longest->text()).size())
                longest = field;
        return refuse(longest, TranslateText("refuse_long_value")
                                   .arg(FieldName(pnlGeoEdit->LabelOf(longest)), QString::number(size),
                                        QString::number(MaxCommandTextSize)));
    }
    return true;
}

TGeoFence TGeoFencePage::EditorFence() const
{
    const auto corner = [](const QLineEdit* field) {
        double v = 0;
        TryStrToFloat(TrimText(field->text()), v);
        return v;
    };
    TGeoFence fence;
    if (const TGeoFence* selected = SelectedGeoFence())
        fence.FenceNo = selected->FenceNo;
    fence.FenceName = pnlGeoEdit->txtGeofenceName->text().toLocal8Bit();
    fence.LTLongitude = corner(pnlGeoEdit->txtGeofenceLTLongitude);
    fence.LTLatitude = corner(pnlGeoEdit->txtGeofenceLTLatitude);
    fence.RBLongitude = corner(pnlGeoEdit->txtGeofenceRBLongitude);
    fence.RBLatitude = corner(pnlGeoEdit->txtGeofenceRBLatitude);
    return fence;
}

void TGeoFencePage::btnGeoSaveClick()
{
    if (!MapReady())
        return;
    if (!CheckEditorFields())
        return;
    LeaveFenceSettingIfActive();
    FQueue.ClearCmdQueue();
    TGeoFence* fence = SelectedGeoFence();
    if (!fence)
        return;
    const TGeoFence edited = EditorFence();
    fence->FenceName = edited.FenceName;
    fence->LTLongitude = edited.LTLongitude;
    fence->LTLatitude = edited.LTLatitude;
    fence->RBLongitude = edited.RBLongitude;
    fence->RBLatitude = edited.RBLatitude;
    FModel->RefreshFence(fence->FenceNo);
    FQueue.QueueCmd(GeoFenceCmdNo, 1, false, WriteFenceParamText(*fence));
    FQueue.StartUserCmdQueue();
    CloseEditPanel();
}

void TGeoFencePage::btn_CloseClick()
{
    if (!MapReady())
        return;
    LeaveFenceSettingIfActive();
    CloseEditPanel();
}

void TGeoFencePage::btn_GeoDisableClick()
{
    if (!MapReady())
        return;
    LeaveFenceSettingIfActive();
    FQueue.ClearCmdQueue();
    const TGeoFence* fence = SelectedGeoFence();
    if (!fence)
        return;
    // The record keeps its values until the tracker's answer empties it.
    FQueue.QueueCmd(GeoFenceCmdNo, 1, false, DisableFenceParamText(fence->FenceNo));
    FQueue.StartUserCmdQueue();
    FMap->HideFencesOnMap();
}

void TGeoFencePage::btn_GeoSetAllClick()
{
    if (!MapReady())
        return;
    LeaveFenceSettingIfActive();
    FQueue.ClearCmdQueue();
    QList<int> rows;
    for (const QModelIndex& index : vtList->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    int queued = 0;
    for (int row : rows)
        if (const TGeoFence* fence = FModel->Fence(row)) {
            FQueue.QueueCmd(GeoFenceCmdNo, 1, false, WriteFenceParamText(*fence));
            ++queued;
        }
    if (queued > 0)
        FQueue.StartUserCmdQueue();
}

void TGeoFencePage::btn_GeoShowAllFenceClick()
{
    if (!MapReady())
        return;
    FMap->HideFencesOnMap();
    // Each drawing re-centres the map, so it ends on the highest-numbered fence drawn.
    for (int row = 0; row < FModel->rowCount(); ++row)
        if (const TGeoFence* fence = FModel->Fence(row); fence && !fence->IsEmpty())
            ShowFence(*fence);
}

void TGeoFencePage::btn_GeoClearAllClick()
{
    if (!MapReady())
        return;
    LeaveFenceSettingIfActive();
    FMap->HideFencesOnMap();
}

void TGeoFencePage::vtListClick()
{
    if (!MapReady())
        return;
    FMap->HideFencesOnMap();
    const TGeoFence* fence = SelectedGeoFence();
    if (fence && !fence->IsEmpty())
        ShowFence(*fence);
}

// ---------------------------------------------------------------------------------------------
// Editor panel placement

void TGeoFencePage::PlaceEditPanel()
{
    const QRect list = vtList->geometry();
    QPoint topLeft = list.center() - QPoint(pnlGeoEdit->width() / 2, pnlGeoEdit->height() / 2);
    topLeft.setX(std::max(0, topLeft.x()));
    topLeft.setY(std::max(0, topLeft.y()));
    pnlGeoEdit->move(topLeft);
}

void TGeoFencePage::CloseEditPanel()
{
    pnlGeoEdit->hide();
    vtList->setEnabled(true);
}

bool TGeoFencePage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == vtList && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        PlaceEditPanel();
    if (watched == vtList && (event->type() == QEvent::Resize || event->type() == QEvent::Show) && !FColumnsFitted)
        FitColumns();
    return QWidget::eventFilter(watched, event);
}
