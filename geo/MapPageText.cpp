#include "geo/MapPageText.h"

#include "core/AppError.h"
#include "core/Numbers.h"

#include <QFile>
#include <QUrl>

// The resource lives in a static library: it must be pulled in by name or the linker drops it.
static void InitMapPageResource() { Q_INIT_RESOURCE(map_page); }

QString FillPageTemplate(const QString& format, const QList<TPageArg>& args)
{
    QString out;
    out.reserve(format.size() + 256);
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%')) {
            out.append(c);
            continue;
        }
        const QChar kind = i + 1 < format.size() ? format.at(i + 1) : QChar();
        ++i;
        if (kind == QLatin1Char('%')) {
            out.append(QLatin1Char('%'));
            continue;
        }
        if (kind != QLatin1Char('s') && kind != QLatin1Char('f'))
            throw EAppError(QStringLiteral("Map page template: unsupported placeholder at %1").arg(i - 1));
        if (next >= args.size())
            throw EAppError(QStringLiteral("Map page template: more placeholders than values"));
        const TPageArg& arg = args.at(next++);
        if (kind == QLatin1Char('s')) {
            if (!std::holds_alternative<QString>(arg))
                throw EAppError(QStringLiteral("Map page template: \"%s\" needs a text"));
            out.append(std::get<QString>(arg));
        } else {
            if (!std::holds_alternative<double>(arg))
                throw EAppError(QStringLiteral("Map page template: \"%f\" needs a number"));
            out.append(FormatFixed(std::get<double>(arg), 2));
        }
    }
    if (next != args.size())
        throw EAppError(QStringLiteral("Map page template: more values than placeholders"));
    return out;
}

QString MapPageTemplate()
{
    InitMapPageResource();
    QFile file(QStringLiteral(":/geo/map_template.html"));
    if (!file.open(QIODevice::ReadOnly))
        throw EAppError(QStringLiteral("Map page template missing from the program"));
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

QString MapScriptAddress(const QString& host, const QString& key)
{
    // A host may carry a port ("127.0.0.1:8080") or be an IPv6 literal in brackets.
    const QString safeHost = QString::fromLatin1(QUrl::toPercentEncoding(host, ":[]"));
    QString address = QStringLiteral("http://%1/maps/api/js?sensor=false").arg(safeHost);
    if (!key.isEmpty())
        address += QStringLiteral("&key=") + QString::fromLatin1(QUrl::toPercentEncoding(key));
    return address;
}
