#include "app/SelfCheck.h"

#include "core/DataFolder.h"
#include "i18n/Language.h"

#include <QComboBox>
#include <QDir>
#include <QWidget>

namespace {

QString Line(const char* key, const QString& value) { return QString::fromLatin1(key) + QStringLiteral(": ") + value; }

QString YesNo(bool value) { return value ? QStringLiteral("yes") : QStringLiteral("no"); }

} // namespace

QStringList SelfCheckReport(const QWidget& window, const QString& simulatorDevice,
                            const QList<TMessageRequest>& messages)
{
    QStringList lines;
    const TDataFolders folders = CurrentDataFolders();
    lines << Line("settings-file", SettingsFilePath());
    // The language module loads the language the settings file names (english when it names
    // none), so this shows whether the file was read.
    lines << Line("settings-language", CurrentLanguage());
    lines << Line("data-folder", folders.Data);
    lines << Line("per-user", YesNo(folders.PerUser));
    // Folders are joined as in PATH.
    lines << Line("language-folders", LanguageFolders().join(QDir::listSeparator()));

    // The combo boxes are read as the user sees them, by their names.
    QStringList languages;
    QString selectedLanguage;
    if (const auto* box = window.findChild<const QComboBox*>(QStringLiteral("cbLanguage"))) {
        for (int i = 0; i < box->count(); ++i)
            languages << box->itemText(i);
        selectedLanguage = box->currentIndex() < 0 ? QString() : box->currentText();
    }
    lines << Line("languages", languages.join(QStringLiteral(", ")));
    lines << Line("language-selected", selectedLanguage);
    lines << Line("caption", window.windowTitle());

    QStringList ports;
    QString selectedPort;
    if (const auto* box = window.findChild<const QComboBox*>(QStringLiteral("cboCOMIndex"))) {
        // Each port number carries its device as the item's tooltip.
        for (int i = 0; i < box->count(); ++i)
            ports << box->itemText(i) + QLatin1Char('=') + box->itemData(i, Qt::ToolTipRole).toString();
        selectedPort = box->currentText();
    }
    lines << Line("ports", ports.join(QStringLiteral(", ")));
    lines << Line("port-selected", selectedPort);
    lines << Line("simulator", simulatorDevice.isEmpty() ? QStringLiteral("none") : simulatorDevice);

    lines << Line("start-up-messages", QString::number(messages.size()));
    for (const TMessageRequest& message : messages) {
        // One line each: a multi-line text is folded.
        QString text = message.Text;
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        lines << Line("message", message.Caption + QStringLiteral(": ") + text);
    }
    return lines;
}
