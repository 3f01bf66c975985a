// The window at its fixed size and font: no maximize button, and the geo-fence page's fields and
// fence list show their whole values, in English and in the shipped Spanish (longer captions).
// With TOVRIK_FIT_SHOTS=<folder> each case also saves a picture of the page.
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/IniText.h"
#include "geo/FenceEditPanel.h"
#include "geo/GeoFencePage.h"
#include "geo/MapGroup.h"
#include "i18n/Language.h"
#include "link/FrameCodec.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

// The width a line edit gives its text: its own, less the frame, the text margins and Qt's
// margin of two pixels on each side.
int TextRoom(const QLineEdit* e)
{
    const int frame = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e) : 0;
    const QMargins m = e->textMargins();
    return e->width() - 2 * frame - m.left() - m.right() - 2 * 2;
}

QString Cut(const QLineEdit* e)
{
    const int need = e->fontMetrics().horizontalAdvance(e->text());
    return need <= TextRoom(e) ? QString()
                               : QStringLiteral("%1 \"%2\" needs %3 px, has %4").arg(e->objectName(), e->text())
                                     .arg(need).arg(TextRoom(e));
}

} // namespace

class TestWindowFit : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FDir;
    QList<TMessageRequest> FMessages;

    std::unique_ptr<TFrmMain> Start(const QString& language)
    {
        if (language != QLatin1String("english")) {
            const QString shipped = QFINDTESTDATA("../../locale/" + language + ".lng");
            if (shipped.isEmpty())
                return nullptr;
            QDir().mkpath(LanguageFolder());
            QFile::copy(shipped, LanguageFilePath(language));
            TIniText ini;
            ini.WriteString("config", "language", language);
            ini.SaveFile(SettingsFilePath());
        }
        ResetLanguageModule();
        auto w = std::make_unique<TFrmMain>();
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { FMessages << r; });
        w->show();
        w->pgCtrl->setCurrentWidget(w->tsGeo);
        return QTest::qWaitForWindowExposed(w.get()) ? std::move(w) : nullptr;
    }

    static void Shot(QWidget& w, const QString& name)
    {
        const QString folder = qEnvironmentVariable("TOVRIK_FIT_SHOTS");
        if (!folder.isEmpty())
            w.grab().save(folder + "/" + name + ".png");
    }

    // Every column as wide as its widest cell and its header's longest word; a header that has to
    // wrap has the height of two lines.
    static QString ColumnsCut(QTableView& list)
    {
        QStringList cut;
        QHeaderView* header = list.horizontalHeader();
        for (int c = 0; c < list.model()->columnCount(); ++c) {
            const int width = list.columnWidth(c);
            int cell = 0;
            for (int r = 0; r < list.model()->rowCount(); ++r)
                cell = std::max(cell, list.fontMetrics().horizontalAdvance(list.model()->index(r, c).data().toString()));
            const QString caption = list.model()->headerData(c, Qt::Horizontal).toString();
            int word = 0;
            for (const QString& w : caption.split(' '))
                word = std::max(word, header->fontMetrics().horizontalAdvance(w));
            // The cells' and the header's own padding: at least 6 and 8 pixels.
            if (cell + 6 > width || word + 8 > width)
                cut << QStringLiteral("%1 (%2 px): cell %3, word %4").arg(caption).arg(width).arg(cell).arg(word);
            if (header->fontMetrics().horizontalAdvance(caption) + 8 > width &&
                header->height() < 2 * header->fontMetrics().lineSpacing())
                cut << caption + ": one line high";
        }
        return cut.join("; ");
    }

private slots:
    void init()
    {
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
        SetAppDataFolder(FDir->path());
        FMessages.clear();
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { FMessages << r; });
    }
    void cleanup()
    {
        Dialogs::SetMessageHandler({});
        FDir.reset();
        ResetLanguageModule();
    }

    void fixedWindowOffersNoMaximize()
    {
        auto w = Start("english");
        QVERIFY(w);
        const Qt::WindowFlags flags = w->windowFlags();
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(flags & Qt::WindowTitleHint);
        QCOMPARE(w->size(), QSize(973, 596));
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QVERIFY(w->windowTitle().startsWith("Tovrik Assistant["));
    }

    void geoFencePageShowsWholeValues_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("english") << "english";
        QTest::newRow("spanish") << "spanish";
        QTest::newRow("chinese") << "chinese";
    }
    void geoFencePageShowsWholeValues()
    {
        QFETCH(QString, language);
        auto w = Start(language);
        QVERIFY(w);
        w->cbTipOnOK->setChecked(false);
        TMapGroup& map = *w->rgMap;
        QTableView& list = *w->GeoPage->vtList;

        // The map's fields with the longest values they take: a signed centre, a clicked point far
        // from the equator and Greenwich, the settings' own default.
        QCOMPARE(map.ed_MapLng->text(), QString("125.156251"));
        QVERIFY2(Cut(map.ed_MapLat).isEmpty(), qPrintable(Cut(map.ed_MapLat)));
        QVERIFY2(Cut(map.ed_MapLng).isEmpty(), qPrintable(Cut(map.ed_MapLng)));
        map.ed_MapLat->setText("-33.868800");
        map.ed_MapLng->setText("-151.209300");
        map.ed_MapZoom->setText("18");
        map.OnMapLngLat(-151.2093, -33.8688);
        QCoreApplication::processEvents();
        for (QLineEdit* e : {map.ed_MapLat, map.ed_MapLng, map.ed_MapZoom, map.txtLatLng})
            QVERIFY2(Cut(e).isEmpty(), qPrintable(Cut(e)));
        // Longer than any coordinate: the field grows to its text.
        map.ed_MapLng->setText("-151.2093001234");
        QCoreApplication::processEvents();
        QVERIFY2(Cut(map.ed_MapLng).isEmpty(), qPrintable(Cut(map.ed_MapLng)));
        // The buttons of the map's rows stay whole too.
        for (QWidget* b : std::initializer_list<QWidget*>{map.btnLoadMap, map.btnMapSettings, map.btn_GeoShowAllFence,
                                                          map.btn_GeoClearAll})
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->objectName()));

        // The fence list with the widest corners there are, as the tracker answers them.
        w->Queue().AppendReceived(EncodeFrame("(0123456789,P08,7,-17959.9999,-8959.9999,-17959.9999,-8959.9999,Depot)"));
        w->Queue().AppendReceived(EncodeFrame("(0123456789,P08,64,11356.7370,2255.0753,11400.0000,2230.0000,North Gate)"));
        QCOMPARE(list.model()->index(6, 2).data().toString(), QString("-89.999998"));
        QCOMPARE(list.model()->index(6, 3).data().toString(), QString("-179.999998"));
        QVERIFY2(ColumnsCut(list).isEmpty(), qPrintable(ColumnsCut(list)));
        // All six columns within the list's width: nothing to scroll sideways to.
        int total = 0;
        for (int c = 0; c < list.model()->columnCount(); ++c)
            total += list.columnWidth(c);
        QVERIFY2(total <= list.viewport()->width(), qPrintable(QString("%1 > %2").arg(total).arg(list.viewport()->width())));
        QVERIFY(!list.horizontalScrollBar()->isVisible());
        Shot(*w, "geo-" + language);

        // A name of the tracker's full 20 characters widens its column.
        w->Queue().AppendReceived(EncodeFrame("(0123456789,P08,3,0,0,0,0,WAREHOUSE NORTH GATE)"));
        QVERIFY2(ColumnsCut(list).isEmpty(), qPrintable(ColumnsCut(list)));

        // The editor's fields hold a fence's corners whole.
        list.selectRow(6);
        w->GeoPage->pnlGeoEdit->ShowFence(*w->GeoFences.FindFence(7));
        for (QLineEdit* e : w->GeoPage->pnlGeoEdit->CornerFields())
            QVERIFY2(Cut(e).isEmpty(), qPrintable(Cut(e)));
        QVERIFY(FMessages.isEmpty());
    }
};

QTEST_MAIN(TestWindowFit)
#include "test_window_fit.moc"
