// Fence files: Export writes the 64 fences to a GeoJSON or CSV file, Import replaces them by a
// file's, so that fences travel with a parameter file from tracker to tracker. Neither talks to
// the tracker: "Write Selected Geo-fence" sends imported fences, as it sends edited ones.
#include "app/FrmMain.h"

#include "core/AppError.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "fleet/FenceFile.h"
#include "geo/FenceTableModel.h"
#include "geo/GeoFencePage.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Fence files sit beside the parameter files by default.
QString FenceFolder() { return AppDataPath(QStringLiteral("param")); }

QString FenceFileFilter()
{
    return TranslateText("fence_file_filter") + QStringLiteral("|*.geojson *.json *.csv");
}

} // namespace

void TFrmMain::BuildFenceFileButtons()
{
    // A row of their own under the fence buttons; they stay enabled with the port closed.
    auto* row = new QHBoxLayout;
    btn_GeoExport = new QPushButton(GeoPage->gbGeoFence);
    btn_GeoExport->setObjectName(QStringLiteral("btn_GeoExport"));
    btn_GeoImport = new QPushButton(GeoPage->gbGeoFence);
    btn_GeoImport->setObjectName(QStringLiteral("btn_GeoImport"));
    row->addWidget(btn_GeoExport);
    row->addWidget(btn_GeoImport);
    row->addStretch(1);
    if (auto* group = qobject_cast<QVBoxLayout*>(GeoPage->gbGeoFence->layout()))
        group->addLayout(row);
    connect(btn_GeoExport, &QPushButton::clicked, this, &TFrmMain::btn_GeoExportClick);
    connect(btn_GeoImport, &QPushButton::clicked, this, &TFrmMain::btn_GeoImportClick);
    ApplyFenceFileButtonTexts();
}

void TFrmMain::ApplyFenceFileButtonTexts()
{
    btn_GeoExport->setText(TranslateText("fence_export"));
    btn_GeoImport->setText(TranslateText("fence_import"));
}

void TFrmMain::ImportFenceFile(const QString& path)
{
    const TFenceFileContents contents = ReadFenceFile(path);
    if (!contents.IsValid())
        throw EAppError(TranslateText("fence_import_refused").arg(QDir::toNativeSeparators(path)) +
                        QLatin1Char('\n') + contents.ProblemsText());
    ApplyFenceFile(GeoFences, contents);
    GeoPage->Model().RefreshAll();
}

void TFrmMain::btn_GeoExportClick()
{
    try {
        TFileRequest request;
        request.Save = true;
        request.Caption = TranslateText("fence_export");
        request.Folder = FenceFolder();
        request.FileName = QStringLiteral("fences.geojson");
        request.Filter = FenceFileFilter();
        QDir().mkpath(request.Folder); // the dialog opens there; a failure shows at the write
        QString path = Dialogs::AskFileName(request);
        if (path.isEmpty())
            return;
        if (QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".geojson");
        WriteFenceFile(path, GeoFences);
        AppendLogLine(TranslateText("fence_exported").arg(QDir::toNativeSeparators(path)));
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(TranslateText("error_caption"), e.Message(), TMsgIcon::Error);
    } catch (const std::exception& e) {
        Dialogs::ShowMessage(TranslateText("error_caption"), QString::fromLocal8Bit(e.what()), TMsgIcon::Error);
    }
}

void TFrmMain::btn_GeoImportClick()
{
    try {
        TFileRequest request;
        request.Caption = TranslateText("fence_import");
        request.Folder = FenceFolder();
        request.Filter = FenceFileFilter();
        const QString path = Dialogs::AskFileName(request);
        if (path.isEmpty())
            return;
        ImportFenceFile(path);
        int count = 0;
        for (const TGeoFence& f : GeoFences)
            count += !f.IsEmpty() || !f.FenceName.isEmpty();
        AppendLogLine(TranslateCount("fence_imported", count)
                          .arg(QString::number(count), QDir::toNativeSeparators(path),
                               ::Translate(QStringLiteral("Write Selected Geo-fence"))));
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(TranslateText("error_caption"), e.Message(), TMsgIcon::Error);
    } catch (const std::exception& e) {
        Dialogs::ShowMessage(TranslateText("error_caption"), QString::fromLocal8Bit(e.what()), TMsgIcon::Error);
    }
}
