#include "geo/MapProvider.h"

#include "core/IniText.h"
#include "core/Numbers.h"

#include <QUrl>

namespace {

const QString Section = QStringLiteral("config");

} // namespace

namespace MapProviders {

QString Name(TMapProvider provider)
{
    switch (provider) {
    case TMapProvider::Google:
        return QStringLiteral("google");
    case TMapProvider::Tiles:
        return QStringLiteral("tiles");
    case TMapProvider::Osm:
        break;
    }
    return QStringLiteral("osm");
}

bool FromName(const QString& name, TMapProvider& provider)
{
    const QString word = TrimText(name).toLower();
    for (TMapProvider p : {TMapProvider::Osm, TMapProvider::Google, TMapProvider::Tiles})
        if (word == Name(p)) {
            provider = p;
            return true;
        }
    return false;
}

TMapProvider Default(const QString& googleKey)
{
    return TrimText(googleKey).isEmpty() ? TMapProvider::Osm : TMapProvider::Google;
}

TMapSettings Read(const TIniText& ini)
{
    TMapSettings s;
    s.GoogleKey = TrimText(ini.ReadString(Section, QStringLiteral("googlekey"), QString()));
    s.TileUrl = TrimText(ini.ReadString(Section, QStringLiteral("tileurl"), QString()));
    s.TileAttribution = TrimText(ini.ReadString(Section, QStringLiteral("tileattribution"), QString()));
    if (!FromName(ini.ReadString(Section, QStringLiteral("mapprovider"), QString()), s.Provider))
        s.Provider = Default(s.GoogleKey);
    return s;
}

void Write(TIniText& ini, const TMapSettings& s)
{
    ini.WriteString(Section, QStringLiteral("mapprovider"), Name(s.Provider));
    ini.WriteString(Section, QStringLiteral("googlekey"), TrimText(s.GoogleKey));
    ini.WriteString(Section, QStringLiteral("tileurl"), TrimText(s.TileUrl));
    ini.WriteString(Section, QStringLiteral("tileattribution"), TrimText(s.TileAttribution));
}

bool IsUsableTileUrl(const QString& url)
{
    const QString text = TrimText(url);
    const QUrl parsed(text);
    const QString scheme = parsed.scheme().toLower();
    return parsed.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                                scheme == QLatin1String("file")) &&
           text.contains(QLatin1String("{z}")) && text.contains(QLatin1String("{x}")) &&
           text.contains(QLatin1String("{y}"));
}

QString UserAgent()
{
#if defined(TOVRIK_VERSION)
    const QString version = QStringLiteral(TOVRIK_VERSION);
#else
    const QString version = QStringLiteral("0");
#endif
    return QStringLiteral("TovrikAssistant/%1 (GPS tracker configuration tool; Qt WebEngine)").arg(version);
}

} // namespace MapProviders
