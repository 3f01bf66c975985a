#pragma once

#include <QAbstractTableModel>
#include <QStringList>

class TGeoFenceList;
struct TGeoFence;

// The rows of the fence list: one per record of the fence table, in fence-number order. The
// column's tag (its logical index) picks the cell text, wherever the user has dragged the column.
class TFenceTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Column tags.
    enum TTag { TagId = 0, TagName, TagLTLatitude, TagLTLongitude, TagRBLatitude, TagRBLongitude, TagCount };

    TFenceTableModel(TGeoFenceList& fences, QObject* parent = nullptr);

    // Creates the six columns with their (translated) captions and the rows, one per record,
    // storing each row in its record. Called once at start-up.
    void InitColumns(const QStringList& captions);
    bool HasColumns() const { return !FCaptions.isEmpty(); }

    // The English captions in tag order and the initial widths in pixels.
    static const QStringList& SourceCaptions();
    static int ColumnWidth(int tag);

    // Text of one cell: a fence's field chosen by the column's tag. Coordinates in shortest
    // general decimal form, an exact 0 as an empty cell; a tag of no column gives nothing.
    static QString CellText(const TGeoFence& fence, int tag);

    // The record behind a row, or nullptr.
    TGeoFence* Fence(int row) const;
    // Every cell of the fence's row shows its record again.
    void RefreshFence(int fenceNo);
    void RefreshAll();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TGeoFenceList& FFences;
    QStringList FCaptions;
    int FRows = 0;
};
