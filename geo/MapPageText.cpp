#include "geo/MapPageText.h"

#include "core/AppError.h"
#include "core/Numbers.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

// The resource lives in a static library: it must be pulled in by name or the linker drops it.
static void InitMapPageResource()
{
    Q_INIT_RESOURCE(map_page);
    Q_INIT_RESOURCE(leaflet);
}

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

namespace {

QString ResourceText(const QString& path)
{
    InitMapPageResource();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EAppError(QStringLiteral("%1 is missing from the program").arg(path));
    return QString::fromUtf8(file.readAll());
}

QString WithCrLf(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

// A text as a script string literal (JSON strings are script literals); "</" is split so that
// the text cannot end the page's script element.
QString ScriptLiteral(const QString& text)
{
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    QString literal = QString::fromUtf8(json.mid(1, json.size() - 2));
    literal.replace(QStringLiteral("</"), QStringLiteral("<\\/"));
    return literal;
}

bool IsLoopbackHost(const QString& host)
{
    QString name = host.toLower();
    if (name.startsWith(QLatin1Char('['))) {
        name = name.mid(1, name.indexOf(QLatin1Char(']')) - 1);
    } else {
        const qsizetype colon = name.indexOf(QLatin1Char(':'));
        if (colon >= 0)
            name = name.left(colon);
    }
    return name == QLatin1String("localhost") || name == QLatin1String("::1") || name.startsWith(QLatin1String("127."));
}

} // namespace

QString MapPageTemplate() { return WithCrLf(ResourceText(QStringLiteral(":/geo/map_template.html"))); }

QString LeafletPageTemplate() { return WithCrLf(ResourceText(QStringLiteral(":/geo/leaflet_template.html"))); }

QString LeafletStyle()
{
    static const QString style = ResourceText(QStringLiteral(":/geo/leaflet/leaflet.css"));
    return style;
}

QString LeafletScript()
{
    static const QString script = [] {
        QString text = ResourceText(QStringLiteral(":/geo/leaflet/leaflet.min.js"));
        // The source map is not carried; without this line the developer tools would look for it.
        text.remove(QStringLiteral("//# sourceMappingURL=leaflet.min.js.map"));
        return text;
    }();
    return script;
}

QString BuildLeafletPage(const QString& tileUrl, const QString& attributionHtml, double zoom, double lat, double lng)
{
    return FillPageTemplate(LeafletPageTemplate(), {LeafletStyle(), LeafletScript(), ScriptLiteral(tileUrl),
                                                    ScriptLiteral(attributionHtml), zoom, lat, lng});
}

QString MapScriptAddress(const QString& host, const QString& key)
{
    // A host may carry a port ("127.0.0.1:8080") or be an IPv6 literal in brackets.
    const QString safeHost = QString::fromLatin1(QUrl::toPercentEncoding(host, ":[]"));
    const QString scheme = IsLoopbackHost(host) ? QStringLiteral("http") : QStringLiteral("https");
    QString address = QStringLiteral("%1://%2/maps/api/js").arg(scheme, safeHost);
    if (!key.isEmpty())
        address += QStringLiteral("?key=") + QString::fromLatin1(QUrl::toPercentEncoding(key));
    return address;
}
