#include "i18n/FileHelper.h"

#include <QDir>
#include <QDirIterator>

void TFileHelper::ListFiles(const QString& folder, const QString& extension, int attributes, QStringList& output)
{
    QString path = folder;
    if (!path.endsWith(QLatin1Char('/')) && !path.endsWith(QDir::separator()))
        path += QLatin1Char('/');

    QString pattern;
    if (extension.startsWith(QLatin1Char('.')))
        pattern = QStringLiteral("*") + extension;
    else if (!extension.isEmpty())
        pattern = QStringLiteral("*.") + extension;
    else
        return; // the mask is the folder alone: no entry has an empty name

    // No QDir::CaseSensitive: the name filter then ignores letter case.
    QDir::Filters filters = QDir::Files;
    if (attributes & faHidden)
        filters |= QDir::Hidden;
    if (attributes & faSysFile)
        filters |= QDir::System;
    if (attributes & faDirectory)
        filters |= QDir::Dirs | QDir::NoDotAndDotDot;

    QDirIterator it(path, QStringList{pattern}, filters);
    while (it.hasNext()) {
        it.next();
        output.append(path + it.fileName());
    }
}
