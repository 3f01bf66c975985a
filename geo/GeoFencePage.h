#pragma once

#include "geo/FenceMap.h"
#include "link/FrameCodec.h"

#include <QWidget>

class QGroupBox;
class QPushButton;
class QTableView;
class QVBoxLayout;
class TCmdQueue;
class TFenceEditPanel;
class TFenceTableModel;
class TGeoFenceList;
class TMapGroup;
struct TGeoFence;

// The Geo-fence Setting page: the temporary hot spot group at the top, the fence list with its
// buttons and floating editor on the left, the map on the right. The handlers read, edit, write,
// disable and show the 64 fences; every exchange with the tracker goes through the window's queue.
class TGeoFencePage : public QWidget {
    Q_OBJECT
public:
    TGeoFencePage(TGeoFenceList& fences, TCmdQueue& queue, QWidget* parent = nullptr);
    ~TGeoFencePage() override;

    // Puts the settings pages' temporary hot spot group at the top of the page.
    void PlaceHotSpotGroup(QWidget* group);
    // The map the fence handlers talk to: the page's own map group unless another is given.
    void SetFenceMap(IFenceMap* map);
    IFenceMap* FenceMap() const { return FMap; }

    // Start-up, after the language is loaded: the six translated columns and the 64 rows.
    void InitGeoFenceList();
    TFenceTableModel& Model() const { return *FModel; }

    // The command-8 answer: its fence takes the name and corners; then the list is repainted.
    // A fence number outside 1..64 or fewer than eight fields raise EAppError, changing nothing.
    void ApplyFenceAnswer(const TResponseFields& fields);

    // The record of the first selected row in list order, or nullptr.
    TGeoFence* SelectedGeoFence() const;
    // Cell text of a row and a column (by the column's tag); a column below 0 has no text.
    QString vtListGetText(int row, int column) const;

    // Handlers.
    void btn_GeoReadClick();
    void btn_GeoEditClick();
    void btnGeoSaveClick();
    void btn_CloseClick();
    void btn_GeoDisableClick();
    void btn_GeoSetAllClick();
    void btn_GeoShowAllFenceClick();
    void btn_GeoClearAllClick();
    void vtListClick();
    void vtListDblClick();

    // Fences are drawn with line width 3 and red (0x00BBGGRR) line and fill.
    static constexpr int FenceLineWidth = 3;
    static constexpr uint32_t FenceColor = 0x0000FF;

    QGroupBox* gbGeoFence = nullptr;
    QTableView* vtList = nullptr;
    QPushButton* btn_GeoRead = nullptr;
    QPushButton* btn_GeoEdit = nullptr;
    QPushButton* btn_GeoDisable = nullptr;
    QPushButton* btn_GeoSetAll = nullptr;
    TFenceEditPanel* pnlGeoEdit = nullptr;
    TMapGroup* rgMap = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A map-dependent handler may run only once a map page has been loaded; tells the user if not.
    bool MapReady();
    void LeaveFenceSettingIfActive();
    void ShowFence(const TGeoFence& fence);
    // Mended Save: a corner that does not read as a number, or a name that would break the
    // command text, is refused with a message naming the field; nothing changes.
    bool CheckEditorFields();
    // The selected fence as the editor's fields would write it.
    TGeoFence EditorFence() const;
    void PlaceEditPanel();
    void CloseEditPanel();
    // Every column as wide as its widest cell and its header's longest word (headers wrap onto
    // two lines), coordinates as wide as the widest coordinate there is; the name column takes
    // what the list's width leaves over. A column never gets narrower than its contents here;
    // a later longer value widens it (the user may still drag a column narrower).
    void FitColumns();
    int ColumnNeed(int column) const;
    bool FColumnsFitted = false;
    // Runs a handler; an error leaving it (a failed write to the port) is shown, not propagated
    // into the event loop.
    template <typename F> void Guarded(F&& handler);

    TGeoFenceList& FFences;
    TCmdQueue& FQueue;
    TFenceTableModel* FModel = nullptr;
    IFenceMap* FMap = nullptr;
    QVBoxLayout* FLeft = nullptr;
};
