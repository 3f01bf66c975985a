#include "geo/FenceTableModel.h"

#include "geo/CoordText.h"
#include "geo/GeoFenceList.h"

namespace {

QString CoordCell(double value)
{
    return value == 0 ? QString() : FormatShortDecimal(value);
}

} // namespace

TFenceTableModel::TFenceTableModel(TGeoFenceList& fences, QObject* parent)
    : QAbstractTableModel(parent), FFences(fences)
{
}

const QStringList& TFenceTableModel::SourceCaptions()
{
    static const QStringList captions = {
        QStringLiteral("ID"),           QStringLiteral("Name"),
        QStringLiteral("Lat-Left Top"), QStringLiteral("Long-Left Top"),
        QStringLiteral("Lat-Right Bottom"), QStringLiteral("Long-Right Bottom"),
    };
    return captions;
}

int TFenceTableModel::ColumnWidth(int tag)
{
    static constexpr int widths[TagCount] = {45, 70, 75, 79, 95, 100};
    return tag >= 0 && tag < TagCount ? widths[tag] : 0;
}

void TFenceTableModel::InitColumns(const QStringList& captions)
{
    beginResetModel();
    FCaptions = captions.mid(0, TagCount);
    while (FCaptions.size() < TagCount)
        FCaptions.append(SourceCaptions().at(FCaptions.size()));
    FRows = int(FFences.Count());
    for (int row = 0; row < FRows; ++row)
        FFences[row].ListNode = row;
    endResetModel();
}

QString TFenceTableModel::CellText(const TGeoFence& fence, int tag)
{
    switch (tag) {
    case TagId:
        return QString::number(fence.FenceNo);
    case TagName:
        return QString::fromLocal8Bit(fence.FenceName);
    case TagLTLatitude:
        return CoordCell(fence.LTLatitude);
    case TagLTLongitude:
        return CoordCell(fence.LTLongitude);
    case TagRBLatitude:
        return CoordCell(fence.RBLatitude);
    case TagRBLongitude:
        return CoordCell(fence.RBLongitude);
    default:
        return QString();
    }
}

TGeoFence* TFenceTableModel::Fence(int row) const
{
    return row >= 0 && row < FRows && row < FFences.Count() ? &FFences[row] : nullptr;
}

void TFenceTableModel::RefreshFence(int fenceNo)
{
    const TGeoFence* fence = FFences.FindFence(fenceNo);
    if (!fence || fence->ListNode < 0 || fence->ListNode >= FRows || FCaptions.isEmpty())
        return;
    emit dataChanged(index(fence->ListNode, 0), index(fence->ListNode, TagCount - 1), {Qt::DisplayRole});
}

void TFenceTableModel::RefreshAll()
{
    if (FRows > 0 && !FCaptions.isEmpty())
        emit dataChanged(index(0, 0), index(FRows - 1, TagCount - 1), {Qt::DisplayRole});
}

int TFenceTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || FCaptions.isEmpty() ? 0 : FRows;
}

int TFenceTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(FCaptions.size());
}

QVariant TFenceTableModel::data(const QModelIndex& index, int role) const
{
    const TGeoFence* fence = index.isValid() ? Fence(index.row()) : nullptr;
    if (!fence)
        return QVariant();
    if (role == Qt::DisplayRole)
        return CellText(*fence, index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return QVariant();
}

QVariant TFenceTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= FCaptions.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return FCaptions.at(section);
    // A caption too long for its column goes onto a second line.
    if (role == Qt::TextAlignmentRole)
        return QVariant(int(Qt::AlignLeft | Qt::AlignVCenter) | int(Qt::TextWordWrap));
    return QVariant();
}
