#include "fleet/FenceFile.h"

#include "core/AppError.h"
#include "core/Numbers.h"
#include "geo/GeoFenceList.h"
#include "i18n/ProgramTexts.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QHash>
#include <QSaveFile>

#include <charconv>
#include <cmath>

namespace {

const QByteArray CsvHeader = "number,name,lt_longitude,lt_latitude,rb_longitude,rb_latitude";

// 64 fences take some 30 kB as indented GeoJSON; anything much larger is not a fence file, and is
// not read into memory whole.
constexpr qint64 MaxFenceFileBytes = 1 << 20;
// A box lists this many wrong lines and counts the rest.
constexpr qsizetype MaxListedProblems = 20;

// The characters the fence editor lets a technician type; the tracker keeps nothing else.
bool IsTrackerName(const QString& name)
{
    if (name.size() > MaxFenceNameLength)
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool ok = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == ' ' ||
                        u == '-' || u == '_';
        if (!ok)
            return false;
    }
    return true;
}

// Shortest text that reads back as the same 64-bit value, "." whatever the locale.
QByteArray ShortestDecimal(double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, result.ptr - buffer);
}

bool HoldsSomething(const TGeoFence& f) { return !f.IsEmpty() || !f.FenceName.isEmpty(); }

// Collects the reasons found for one line or feature, then records them as one problem, and
// checks each fence against the ones read before it.
class TFenceChecker {
public:
    TFenceChecker(TFenceFileContents& contents, const char* whereKey) : FContents(contents), FWhereKey(whereKey) {}

    void Begin(int number)
    {
        FNumber = number;
        FReasons.clear();
    }
    void Fail(const QString& reason) { FReasons << reason; }

    void CheckFenceNo(int32_t fenceNo, bool isNumber, const QString& text)
    {
        if (!isNumber || !TGeoFenceList::IsFenceNo(fenceNo)) {
            Fail(TranslateText("fence_bad_number").arg(text));
            return;
        }
        if (const int first = FFirstPlace.value(fenceNo, 0))
            Fail(TranslateText("fence_given_twice").arg(QString::number(fenceNo), QString::number(first)));
        else
            FFirstPlace.insert(fenceNo, FNumber);
    }
    void CheckName(const QString& name)
    {
        if (!IsTrackerName(name))
            Fail(TranslateText("fence_bad_name").arg(name, QString::number(MaxFenceNameLength)));
    }
    // Longitudes lie within -180..180, latitudes within -90..90.
    void CheckCorner(double value, bool isNumber, bool longitude, const QString& text)
    {
        const double limit = longitude ? 180 : 90;
        if (!isNumber || !std::isfinite(value) || value < -limit || value > limit)
            Fail(TranslateText(longitude ? "fence_bad_longitude" : "fence_bad_latitude").arg(text));
    }

    // Keeps the fence when its line or feature had no problem.
    void End(const TGeoFence& fence)
    {
        if (FReasons.isEmpty()) {
            FContents.Fences << fence;
            return;
        }
        FContents.Problems << TFenceFileProblem{
            FNumber, TranslateText(FWhereKey).arg(QString::number(FNumber), FReasons.join(QStringLiteral("; ")))};
    }

private:
    TFenceFileContents& FContents;
    const char* FWhereKey;
    int FNumber = 0;
    QStringList FReasons;
    QHash<int32_t, int> FFirstPlace; // fence number -> line or feature that gave it first
};

// A whole file that cannot hold fences: nothing of it is kept.
TFenceFileContents WholeFileProblem(const QString& text)
{
    TFenceFileContents contents;
    contents.Problems << TFenceFileProblem{0, text};
    return contents;
}

// Finishing a read: a file with any problem imports nothing.
TFenceFileContents Finished(TFenceFileContents contents)
{
    if (!contents.IsValid())
        contents.Fences.clear();
    return contents;
}

// One CSV line split at its commas; a field in double quotes may hold commas and "" for a quote.
QStringList SplitCsvLine(const QString& line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.trimmed().isEmpty()) {
            field.clear();
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << field.trimmed();
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field.trimmed();
    return fields;
}

QByteArray CsvField(const QByteArray& text)
{
    if (!text.contains(',') && !text.contains('"') && text.trimmed() == text)
        return text;
    QByteArray quoted = text;
    quoted.replace("\"", "\"\"");
    return '"' + quoted + '"';
}

// A GeoJSON position [longitude, latitude, ...].
struct TPosition {
    double Lon = 0;
    double Lat = 0;
    bool operator==(const TPosition&) const = default;
};

// The ring of a fence: left-top, (right, top), right-bottom, (left, bottom), left-top again.
QJsonArray FenceRing(const TGeoFence& f)
{
    const auto position = [](double lon, double lat) { return QJsonArray{lon, lat}; };
    return QJsonArray{position(f.LTLongitude, f.LTLatitude), position(f.RBLongitude, f.LTLatitude),
                      position(f.RBLongitude, f.RBLatitude), position(f.LTLongitude, f.RBLatitude),
                      position(f.LTLongitude, f.LTLatitude)};
}

// The first and third corners of a ring whose four corners form a rectangle along meridians and
// parallels (closed or not). They become the left-top and right-bottom corners, as the first
// and second points of a rectangle drawn on the map do.
bool RectangleCorners(const QList<TPosition>& ring, TPosition& first, TPosition& third)
{
    QList<TPosition> p = ring;
    if (p.size() == 5 && p.first() == p.last())
        p.removeLast();
    if (p.size() != 4)
        return false;
    const TPosition a{p[2].Lon, p[0].Lat};
    const TPosition b{p[0].Lon, p[2].Lat};
    if (!((p[1] == a && p[3] == b) || (p[1] == b && p[3] == a)))
        return false;
    first = p[0];
    third = p[2];
    return true;
}

int LineOfOffset(const QByteArray& bytes, int offset)
{
    return int(bytes.left(offset).count('\n')) + 1;
}

QString JsonText(const QJsonValue& v)
{
    if (v.isString())
        return v.toString();
    if (v.isDouble())
        return QString::fromLatin1(ShortestDecimal(v.toDouble()));
    return QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact)).mid(1).chopped(1);
}

void ParseFeature(TFenceChecker& check, const QJsonValue& value)
{
    TGeoFence fence;
    const QJsonObject feature = value.toObject();
    const QJsonObject properties = feature.value(QLatin1String("properties")).toObject();

    // The number: a whole JSON number or a text holding one.
    const QJsonValue number = properties.value(QLatin1String("number"));
    int32_t fenceNo = 0;
    bool isNumber = false;
    if (number.isDouble()) {
        const double d = number.toDouble();
        isNumber = d == std::floor(d) && std::abs(d) < 1e9;
        fenceNo = isNumber ? int32_t(d) : 0;
    } else if (number.isString()) {
        isNumber = TryStrToInt(number.toString().trimmed(), fenceNo);
    }
    check.CheckFenceNo(fenceNo, isNumber, JsonText(number));
    fence.FenceNo = fenceNo;

    const QJsonValue name = properties.value(QLatin1String("name"));
    if (name.isString() || name.isNull() || name.isUndefined()) {
        check.CheckName(name.toString());
        fence.FenceName = name.toString().toLocal8Bit();
    } else {
        check.Fail(TranslateText("fence_bad_name").arg(JsonText(name), QString::number(MaxFenceNameLength)));
    }

    const QJsonObject geometry = feature.value(QLatin1String("geometry")).toObject();
    if (feature.value(QLatin1String("type")).toString() != QLatin1String("Feature") ||
        geometry.value(QLatin1String("type")).toString() != QLatin1String("Polygon")) {
        check.Fail(TranslateText("fence_not_polygon"));
        check.End(fence);
        return;
    }
    const QJsonArray rings = geometry.value(QLatin1String("coordinates")).toArray();
    QList<TPosition> ring;
    bool cornersAreNumbers = rings.size() == 1;
    for (const QJsonValue& pv : rings.at(0).toArray()) {
        const QJsonArray pa = pv.toArray();
        TPosition p;
        const bool lonOk = pa.size() >= 2 && pa.at(0).isDouble();
        const bool latOk = pa.size() >= 2 && pa.at(1).isDouble();
        p.Lon = pa.at(0).toDouble();
        p.Lat = pa.at(1).toDouble();
        check.CheckCorner(p.Lon, lonOk, true, JsonText(pa.at(0)));
        check.CheckCorner(p.Lat, latOk, false, JsonText(pa.at(1)));
        cornersAreNumbers = cornersAreNumbers && lonOk && latOk;
        ring << p;
    }
    TPosition lt, rb;
    if (!cornersAreNumbers || !RectangleCorners(ring, lt, rb)) {
        check.Fail(TranslateText("fence_not_rectangle"));
    } else {
        fence.LTLongitude = lt.Lon;
        fence.LTLatitude = lt.Lat;
        fence.RBLongitude = rb.Lon;
        fence.RBLatitude = rb.Lat;
    }
    check.End(fence);
}

} // namespace

TFenceFileFormat FenceFileFormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("geojson") || suffix == QLatin1String("json"))
        return TFenceFileFormat::GeoJson;
    if (suffix == QLatin1String("csv"))
        return TFenceFileFormat::Csv;
    throw EAppError(TranslateText("fence_file_type").arg(path));
}

QString TFenceFileContents::ProblemsText() const
{
    QStringList lines;
    for (const TFenceFileProblem& p : Problems.first(qMin(Problems.size(), MaxListedProblems)))
        lines << p.Text;
    if (Problems.size() > MaxListedProblems)
        lines << TranslateCount("fence_more_problems", Problems.size() - MaxListedProblems)
                     .arg(Problems.size() - MaxListedProblems);
    return lines.join(QLatin1Char('\n'));
}

TFenceFileContents ParseFenceCsv(const QByteArray& bytes)
{
    TFenceFileContents contents;
    TFenceChecker check(contents, "fence_file_line");
    QString text = QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
    // Lines end with CR LF, LF or a lone CR (files from old Mac tools): all end a line.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'));
    bool first = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        const QStringList fields = SplitCsvLine(line);
        // The column names, when the file begins with them.
        if (std::exchange(first, false) && fields[0].compare(QLatin1String("number"), Qt::CaseInsensitive) == 0)
            continue;
        check.Begin(int(i + 1));
        TGeoFence fence;
        if (fields.size() != 6) {
            check.Fail(TranslateText("fence_bad_columns").arg(fields.size()));
            check.End(fence);
            continue;
        }
        int32_t fenceNo = 0;
        check.CheckFenceNo(fenceNo, TryStrToInt(fields[0], fenceNo), fields[0]);
        fence.FenceNo = fenceNo;
        check.CheckName(fields[1]);
        fence.FenceName = fields[1].toLocal8Bit();
        double corners[4] = {};
        for (int c = 0; c < 4; ++c) {
            const bool isNumber = TryStrToFloat(fields[2 + c], corners[c]);
            check.CheckCorner(corners[c], isNumber, c % 2 == 0, fields[2 + c]);
        }
        fence.LTLongitude = corners[0];
        fence.LTLatitude = corners[1];
        fence.RBLongitude = corners[2];
        fence.RBLatitude = corners[3];
        check.End(fence);
    }
    return Finished(contents);
}

TFenceFileContents ParseFenceGeoJson(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return WholeFileProblem(TranslateText("fence_not_json")
                                    .arg(error.errorString(), QString::number(LineOfOffset(bytes, error.offset))));
    const QJsonObject root = document.object();
    if (root.value(QLatin1String("type")).toString() != QLatin1String("FeatureCollection") ||
        !root.value(QLatin1String("features")).isArray())
        return WholeFileProblem(TranslateText("fence_not_collection"));

    TFenceFileContents contents;
    TFenceChecker check(contents, "fence_file_feature");
    const QJsonArray features = root.value(QLatin1String("features")).toArray();
    for (qsizetype i = 0; i < features.size(); ++i) {
        check.Begin(int(i + 1));
        ParseFeature(check, features[i]);
    }
    return Finished(contents);
}

TFenceFileContents ReadFenceFile(const QString& path)
{
    const TFenceFileFormat format = FenceFileFormatOf(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EAppError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    if (file.size() > MaxFenceFileBytes)
        throw EAppError(TranslateText("fence_file_too_large").arg(path).arg(file.size()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EAppError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    return format == TFenceFileFormat::Csv ? ParseFenceCsv(bytes) : ParseFenceGeoJson(bytes);
}

QByteArray FencesToCsv(const TGeoFenceList& fences)
{
    QByteArray out = CsvHeader + "\r\n";
    for (const TGeoFence& f : fences) {
        if (!HoldsSomething(f))
            continue;
        out += QByteArray::number(f.FenceNo) + ',' + CsvField(QString::fromLocal8Bit(f.FenceName).toUtf8()) + ',' +
               ShortestDecimal(f.LTLongitude) + ',' + ShortestDecimal(f.LTLatitude) + ',' +
               ShortestDecimal(f.RBLongitude) + ',' + ShortestDecimal(f.RBLatitude) + "\r\n";
    }
    return out;
}

QByteArray FencesToGeoJson(const TGeoFenceList& fences)
{
    QJsonArray features;
    for (const TGeoFence& f : fences) {
        if (!HoldsSomething(f))
            continue;
        features.append(QJsonObject{
            {QStringLiteral("type"), QStringLiteral("Feature")},
            {QStringLiteral("properties"),
             QJsonObject{{QStringLiteral("number"), f.FenceNo}, {QStringLiteral("name"), QString::fromLocal8Bit(f.FenceName)}}},
            {QStringLiteral("geometry"),
             QJsonObject{{QStringLiteral("type"), QStringLiteral("Polygon")},
                         {QStringLiteral("coordinates"), QJsonArray{FenceRing(f)}}}},
        });
    }
    const QJsonObject root{{QStringLiteral("type"), QStringLiteral("FeatureCollection")},
                           {QStringLiteral("features"), features}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

void WriteFenceFile(const QString& path, const TGeoFenceList& fences)
{
    const QByteArray bytes =
        FenceFileFormatOf(path) == TFenceFileFormat::Csv ? FencesToCsv(fences) : FencesToGeoJson(fences);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw EAppError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
    }
}

void ApplyFenceFile(TGeoFenceList& fences, const TFenceFileContents& contents)
{
    if (!contents.IsValid())
        throw EAppError(contents.ProblemsText());
    for (TGeoFence& f : fences) {
        f.FenceName.clear();
        f.LTLongitude = f.LTLatitude = f.RBLongitude = f.RBLatitude = 0;
    }
    for (const TGeoFence& read : contents.Fences) {
        TGeoFence* f = fences.FindFence(read.FenceNo);
        if (!f)
            continue;
        f->FenceName = read.FenceName;
        f->LTLongitude = read.LTLongitude;
        f->LTLatitude = read.LTLatitude;
        f->RBLongitude = read.RBLongitude;
        f->RBLatitude = read.RBLatitude;
    }
}
