#include "app/WidgetDialogs.h"

#include "core/Dialogs.h"
#include "core/Numbers.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QApplication>
#include <QDir>

QString QtFileFilter(const QString& filter)
{
    // "description|pattern|description|pattern" becomes "description (pattern);;...". A
    // description that already ends with its pattern in brackets ("config file(*.cfg)") is
    // what the dialog shows, and how it finds the pattern.
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString shown = TrimText(parts[i]);
        out << (shown.endsWith(QLatin1Char('(') + parts[i + 1] + QLatin1Char(')'))
                    ? shown
                    : QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]));
    }
    return out.join(QStringLiteral(";;"));
}

void InstallWidgetDialogs()
{
    Dialogs::SetMessageHandler([](const TMessageRequest& r) {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(r.Caption);
        box.setText(r.Text);
        box.setTextFormat(Qt::PlainText);
        switch (r.Icon) {
        case TMsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case TMsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        case TMsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
        case TMsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
    });
    Dialogs::SetFileHandler([](const TFileRequest& r) {
        QWidget* parent = QApplication::activeWindow();
        const QString start = r.FileName.isEmpty() ? r.Folder : QDir(r.Folder).filePath(r.FileName);
        const QFileDialog::Options options =
            r.ConfirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
        return r.Save ? QFileDialog::getSaveFileName(parent, r.Caption, start, QtFileFilter(r.Filter), nullptr, options)
                      : QFileDialog::getOpenFileName(parent, r.Caption, start, QtFileFilter(r.Filter));
    });
}
