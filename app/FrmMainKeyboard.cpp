// The keyboard: Tab visits the controls in reading order, and the fence list works without a
// mouse (the arrows select rows, Enter opens the editor as a double click does).
#include "app/FrmMain.h"

#include "app/KeyFilters.h"
#include "core/AppError.h"
#include "core/Dialogs.h"
#include "geo/GeoFencePage.h"
#include "geo/MapGroup.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>
#include <QTableView>
#include <QTimer>
#include <functional>

namespace {

// Keys of the fence list. The view itself moves the selection with the arrows; once such a key
// is let go, the row is shown on the map as a click shows it, but only when there is a map to
// show it on (a click without one says so in a box, which would come at every key).
class TFenceListKeys : public QObject {
public:
    TFenceListKeys(TGeoFencePage& page, TMapGroup* map, QObject* parent) : QObject(parent), FPage(page), FMap(map) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                Guarded([this] { FPage.vtListDblClick(); });
                return true;
            }
        } else if (event->type() == QEvent::KeyRelease) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (!key->isAutoRepeat() && IsRowKey(key->key()) && FMap && FMap->MapLoaded)
                Guarded([this] { FPage.vtListClick(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool IsRowKey(int key)
    {
        switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            return true;
        default:
            return false;
        }
    }

    template <typename F> static void Guarded(F&& handler)
    {
        try {
            handler();
        } catch (const EAppError& e) {
            Dialogs::ShowMessage(QStringLiteral("ERROR"), e.Message(), TMsgIcon::Error);
        } catch (const std::exception& e) {
            Dialogs::ShowMessage(QStringLiteral("ERROR"), QString::fromLocal8Bit(e.what()), TMsgIcon::Error);
        }
    }

    TGeoFencePage& FPage;
    TMapGroup* FMap;
};

// When the editor closes (Save, Close), the keyboard goes back to the list it was opened from;
// otherwise Tab would start again from wherever Qt put the focus of the hidden panel.
class TEditorCloseFocus : public QObject {
public:
    TEditorCloseFocus(QTableView* list, QObject* parent) : QObject(parent), FList(list) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            // The list is enabled again just after the panel hides.
            QTimer::singleShot(0, FList, [list = FList] {
                if (list->isEnabled() && list->isVisible() && list->isActiveWindow())
                    list->setFocus();
            });
        return QObject::eventFilter(watched, event);
    }

private:
    QTableView* FList;
};

// Puts the tab order back when the map's browser appears (on the first map load): a new widget
// joins the end of the window's chain, after the bottom panel.
class TTabOrderKeeper : public QObject {
public:
    TTabOrderKeeper(std::function<void()> apply, QObject* parent) : QObject(parent), FApply(std::move(apply)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ChildAdded)
            QTimer::singleShot(0, this, [this] { FApply(); });
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> FApply;
};

// Enter (or Return) on a button that has the keyboard presses it, as Space does. A push button
// outside a dialog takes only Space by itself; the handlers behind a click catch their own errors.
class TButtonEnterKey : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return QObject::eventFilter(watched, event);
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!button || !button->isEnabled() || !button->isVisible())
            return QObject::eventFilter(watched, event);
        if (!key->isAutoRepeat())
            button->click();
        return true;
    }
};

} // namespace

const QStringList& TFrmMain::TabOrderNames()
{
    // Top to bottom, left to right; a page's groups column by column from the left, each group's
    // controls row by row. A hidden or disabled control is passed over by Tab.
    static const QStringList names = {
        // Top panel: the COM group, then the status button.
        "cboCOMIndex", "btn_Switch", "txtBAUD", "btnShowMsg", "sbT01",
        // The page tabs, then the shown page.
        "pgCtrl",
        // Main Settings.
        "txtAlias", "cboBatteryAlert", "txtTimeDifferent", "txtGSensorParam", "btnCenterNumberRead",
        "btnCenterNumberSet",
        "txtIPAddress", "txtPort", "txtAPN", "txtAPNUsername", "txtAPNPassword", "btnGprsRead", "btnGprsSet",
        "RBtn_Main_01", "RCox_KeepAlive", "RzSpinEdit_KeepAlive", "RBtn_Main_02", "cbUpLoadMode",
        "CBox_UploadingInterval", "btnWorkModeRead", "btnWorkModeSet",
        "edtVIP_1", "edtVIP_2", "edtVIP_3", "edtVIP_4", "edtVIP_5", "btnVipCfgRead", "btnVipCfgSet",
        // Alarm Setting: the five groups from the left, each top to bottom.
        "RdGrp_01_0", "RdGrp_01_1", "RdGrp_01_2", "RdGrp_01_3", "RdGrp_02_0", "RdGrp_02_1", "RdGrp_02_2",
        "RdGrp_02_3", "RdGrp_03_0", "RdGrp_03_1", "RdGrp_03_2", "RdGrp_03_3", "RdGrp_04_0", "RdGrp_04_1",
        "RdGrp_04_2", "RdGrp_04_3", "RdGrp_05_0", "RdGrp_05_1", "RdGrp_05_2", "RdGrp_05_3", "btnAlarmRead",
        "btnAlarmSet",
        // Geo-fence Setting: hot spot and fences on the left (the editor lies over the list), map on
        // the right.
        "txtRadius", "btnSelfHotSpotRead", "btnSelfHotSpotWrite",
        "vtList", "txtGeofenceName", "txtGeofenceLTLongitude", "txtGeofenceLTLatitude", "txtGeofenceRBLongitude",
        "txtGeofenceRBLatitude", "btnGeoSave", "btn_Close",
        "btn_GeoRead", "btn_GeoEdit", "btn_GeoDisable", "btn_GeoSetAll", "btn_GeoExport", "btn_GeoImport",
        "ed_MapLat", "ed_MapLng", "ed_MapZoom", "btnLoadMap", "ed_googleurl", "FWebBrowser", "txtLatLng",
        "btn_GeoShowAllFence", "btn_GeoClearAll", "ed_web",
        // Advanced Operations.
        "edt_Send", "btn_AdvOper_Send", "btn_AdvOper_Clear", "btn_AdvOper_CmdSave", "mm_Recv",
        // Bottom panel.
        "btnReadAll", "btnWriteAll", "btnDefault", "cbTipOnOK", "cbVerifyWrite", "cbLanguage", "btnSave",
        "btnLoad", "btnCompare", "btnProvision",
    };
    return names;
}

void TFrmMain::InstallKeyboardNavigation()
{
    // Alt+letter is a button's shortcut from every field, and never typed into one.
    KeepShortcutKeysOutOfFields();
    const auto applyTabOrder = [this] {
        QWidget* previous = nullptr;
        for (const QString& name : TabOrderNames()) {
            auto* control = findChild<QWidget*>(name);
            if (!control || control->focusPolicy() == Qt::NoFocus)
                continue;
            if (previous)
                setTabOrder(previous, control);
            previous = control;
        }
    };
    applyTabOrder();
    if (auto* browserArea = findChild<QWidget*>(QStringLiteral("FWebBrowserArea")))
        browserArea->installEventFilter(new TTabOrderKeeper(applyTabOrder, browserArea));

    auto* enterKey = new TButtonEnterKey(this);
    for (QPushButton* button : findChildren<QPushButton*>())
        button->installEventFilter(enterKey);
    for (QToolButton* button : findChildren<QToolButton*>())
        button->installEventFilter(enterKey);

    if (GeoPage && GeoPage->vtList) {
        GeoPage->vtList->installEventFilter(new TFenceListKeys(*GeoPage, rgMap, GeoPage->vtList));
        if (QWidget* editor = GeoPage->findChild<QWidget*>(QStringLiteral("pnlGeoEdit")))
            editor->installEventFilter(new TEditorCloseFocus(GeoPage->vtList, editor));
    }
}
