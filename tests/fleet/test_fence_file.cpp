// Fence files: the 64 fences out to GeoJSON or CSV and back, and files with wrong lines, which
// import nothing and name every wrong line.
#include "core/AppError.h"
#include "fleet/FenceFile.h"
#include "core/IniText.h"
#include "geo/GeoFenceList.h"
#include "params/AppParamsConfig.h"

#include <QtTest>

namespace {

// Fences as the tracker and the editor leave them: answers rounded to six decimals, typed values,
// corners drawn "backwards", a name without corners, negative coordinates, and empty fences.
TGeoFenceList VariedFences()
{
    TGeoFenceList fences;
    fences.CreateRecords();
    for (TGeoFence& f : fences) {
        if (f.FenceNo % 5 == 0)
            continue; // empty
        f.FenceName = "Site_" + QByteArray::number(f.FenceNo);
        f.LTLongitude = 113.945617 + f.FenceNo * 0.1;
        f.LTLatitude = 22.917922 - f.FenceNo * 0.01;
        f.RBLongitude = f.LTLongitude + 0.123456789;
        f.RBLatitude = f.LTLatitude - 1.0 / 3.0;
    }
    fences[6] = TGeoFence{7, "Depot", 113.945617, 22.917922, 114, 22.5, fences[6].ListNode};
    fences[1] = TGeoFence{2, "West-Yard 2", -179.999999, -33.8688, -170.5, -89.999, fences[1].ListNode};
    fences[2] = TGeoFence{3, "drawn up left", 10.5, 40.25, 10.1, 40.75, fences[2].ListNode};
    fences[3] = TGeoFence{4, "NameOnly", 0, 0, 0, 0, fences[3].ListNode};
    fences[63] = TGeoFence{64, "", 180, 90, -180, -90, fences[63].ListNode};
    return fences;
}

bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString Describe(const TGeoFence& f)
{
    return QStringLiteral("%1 '%2' %3 %4 %5 %6")
        .arg(f.FenceNo)
        .arg(QString::fromLatin1(f.FenceName))
        .arg(f.LTLongitude, 0, 'g', 17)
        .arg(f.LTLatitude, 0, 'g', 17)
        .arg(f.RBLongitude, 0, 'g', 17)
        .arg(f.RBLatitude, 0, 'g', 17);
}

QStringList Numbers(const TFenceFileContents& c)
{
    QStringList n;
    for (const TFenceFileProblem& p : c.Problems)
        n << QString::number(p.Number);
    return n;
}

} // namespace

class TestFenceFile : public QObject {
    Q_OBJECT
private slots:
    void exportThenImportGivesTheSame64Records_data();
    void exportThenImportGivesTheSame64Records();
    void formatsOtherToolsRead();
    void csvWithWrongLinesImportsNothingAndNamesEachLine();
    void geoJsonWithWrongFeaturesImportsNothingAndNamesEach();
    void filesThatCannotBeReadOrWritten();
    void parameterFileNamesItsFenceFile();
};

void TestFenceFile::exportThenImportGivesTheSame64Records_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("GeoJSON") << QStringLiteral("fences.geojson");
    QTest::newRow("CSV") << QStringLiteral("fences.csv");
    QTest::newRow("GeoJSON by .json, upper-case extension") << QStringLiteral("FENCES.JSON");
}

void TestFenceFile::exportThenImportGivesTheSame64Records()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const TGeoFenceList original = VariedFences();
    WriteFenceFile(path, original);

    const TFenceFileContents read = ReadFenceFile(path);
    QVERIFY2(read.IsValid(), qPrintable(read.ProblemsText()));
    // Empty fences (every fifth, 5 to 60) are left out of the file.
    QCOMPARE(read.Fences.size(), 64 - 12);

    // The table the file goes into holds other values first: the import replaces all 64.
    TGeoFenceList imported;
    imported.CreateRecords();
    for (TGeoFence& f : imported) {
        f.FenceName = "old";
        f.LTLongitude = f.RBLatitude = 1;
        f.ListNode = f.FenceNo + 100;
    }
    ApplyFenceFile(imported, read);
    for (int i = 0; i < 64; ++i) {
        TGeoFence expected = original[i];
        expected.ListNode = i + 101; // rows stay
        QCOMPARE(Describe(imported[i]), Describe(expected));
        QCOMPARE(imported[i].ListNode, expected.ListNode);
    }
    // Writing the imported table again gives the same bytes.
    const QString again = dir.filePath(QStringLiteral("again.") + QFileInfo(name).suffix());
    WriteFenceFile(again, imported);
    QFile a(path), b(again);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll(), a.readAll());
}

void TestFenceFile::formatsOtherToolsRead()
{
    TGeoFenceList fences;
    fences.CreateRecords();
    fences[6] = TGeoFence{7, "Depot", 113.945617, 22.917922, 114, 22.5, 6};
    QCOMPARE(FencesToCsv(fences),
             QByteArray("number,name,lt_longitude,lt_latitude,rb_longitude,rb_latitude\r\n"
                        "7,Depot,113.945617,22.917922,114,22.5\r\n"));

    // GeoJSON positions are [longitude, latitude]; the ring is closed.
    const QJsonObject root = QJsonDocument::fromJson(FencesToGeoJson(fences)).object();
    QCOMPARE(root.value("type").toString(), QStringLiteral("FeatureCollection"));
    const QJsonArray features = root.value("features").toArray();
    QCOMPARE(features.size(), 1);
    const QJsonObject feature = features[0].toObject();
    QCOMPARE(feature.value("properties").toObject().value("number").toInt(), 7);
    QCOMPARE(feature.value("properties").toObject().value("name").toString(), QStringLiteral("Depot"));
    QCOMPARE(feature.value("geometry").toObject().value("type").toString(), QStringLiteral("Polygon"));
    const QJsonArray ring = feature.value("geometry").toObject().value("coordinates").toArray()[0].toArray();
    QCOMPARE(ring.size(), 5);
    QCOMPARE(ring[0].toArray(), (QJsonArray{113.945617, 22.917922}));
    QCOMPARE(ring[1].toArray(), (QJsonArray{114, 22.917922}));
    QCOMPARE(ring[2].toArray(), (QJsonArray{114, 22.5}));
    QCOMPARE(ring[4], ring[0]);

    // A file from a spreadsheet: byte order mark, no column names, quoted name, blanks, LF ends;
    // and a ring that begins at another corner and runs the other way, with a string number.
    const TFenceFileContents csv = ParseFenceCsv("\xEF\xBB\xBF" "12, \"North Gate\" ,1.5,2.5,3,-4\n\n");
    QVERIFY2(csv.IsValid(), qPrintable(csv.ProblemsText()));
    QCOMPARE(csv.Fences.size(), 1);
    QCOMPARE(Describe(csv.Fences[0]), Describe(TGeoFence{12, "North Gate", 1.5, 2.5, 3, -4}));
    // Lone CR line ends, column names first: each line is a fence (it used to be one line).
    const TFenceFileContents mac = ParseFenceCsv("number,name,lt_longitude,lt_latitude,rb_longitude,rb_latitude\r"
                                                 "7,Depot,113.945617,22.917922,114,22.5\r8,Yard,1,2,3,4\r");
    QVERIFY2(mac.IsValid(), qPrintable(mac.ProblemsText()));
    QCOMPARE(mac.Fences.size(), 2);
    QCOMPARE(Describe(mac.Fences[1]), Describe(TGeoFence{8, "Yard", 1, 2, 3, 4}));
    const TFenceFileContents json = ParseFenceGeoJson(
        R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{"number":"9"},
            "geometry":{"type":"Polygon","coordinates":[[[3,-4],[3,2.5],[1.5,2.5],[1.5,-4],[3,-4]]]}}]})");
    QVERIFY2(json.IsValid(), qPrintable(json.ProblemsText()));
    QCOMPARE(Describe(json.Fences.value(0)), Describe(TGeoFence{9, "", 3, -4, 1.5, 2.5}));
}

void TestFenceFile::csvWithWrongLinesImportsNothingAndNamesEachLine()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("fences.csv");
    // One wrong line among good ones.
    QVERIFY(WriteAll(path, "number,name,lt_longitude,lt_latitude,rb_longitude,rb_latitude\r\n"
                           "1,A,1,2,3,4\r\n"
                           "2,B,1,2,3,4\r\n"
                           "3,C,1,abc,3,4\r\n"
                           "4,D,1,2,3,4\r\n"));
    const TFenceFileContents one = ReadFenceFile(path);
    QVERIFY(one.Fences.isEmpty());
    QCOMPARE(Numbers(one), QStringList({"4"}));
    QVERIFY2(one.Problems[0].Text.startsWith("Line 4: ") && one.Problems[0].Text.contains("\"abc\""),
             qPrintable(one.Problems[0].Text));

    // Importing it changes no record.
    TGeoFenceList fences = VariedFences();
    QVERIFY_THROWS_EXCEPTION(EAppError, ApplyFenceFile(fences, one));
    const TGeoFenceList unchanged = VariedFences();
    for (int i = 0; i < 64; ++i)
        QCOMPARE(Describe(fences[i]), Describe(unchanged[i]));

    // Every kind of wrong line, each named once by its own line number.
    const TFenceFileContents many = ParseFenceCsv("1,Good,1,2,3,4\n"
                                                  "65,Past the end,1,2,3,4\n"      // 2: number
                                                  "0,Zero,1,2,3,4\n"               // 3: number
                                                  "x,Letter,1,2,3,4\n"             // 4: number
                                                  "1,Again,1,2,3,4\n"              // 5: twice
                                                  "6,\"Comma,name\",1,2,3,4\n"     // 6: name
                                                  "7,ABCDEFGHIJKLMNOPQRSTU,1,2,3,4\n" // 7: 21 characters
                                                  "8,Fine,181,2,3,4\n"             // 8: longitude
                                                  "9,Fine,1,-90.5,3,4\n"           // 9: latitude
                                                  "10,Short,1,2,3\n"               // 10: columns
                                                  "11,Fine,1,2,3,4,5\n"            // 11: columns
                                                  "12,Fine,nan,2,inf,4\n"          // 12: not numbers
                                                  "13,ABCDEFGHIJKLMNOPQRST,-180,90,180,-90\n"); // good: 20, limits
    QVERIFY(many.Fences.isEmpty());
    QCOMPARE(Numbers(many), QStringList({"2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));
    QVERIFY2(many.Problems[3].Text.contains("first in 1"), qPrintable(many.Problems[3].Text));
    QVERIFY2(many.ProblemsText().count('\n') == 10, qPrintable(many.ProblemsText()));

    // A file of many wrong lines: each is counted, the box lists twenty and counts the rest.
    QByteArray lots;
    for (int i = 0; i < 100; ++i)
        lots += "0,x,1,2,3,4\n";
    const TFenceFileContents hundred = ParseFenceCsv(lots);
    QCOMPARE(hundred.Problems.size(), 100);
    const QStringList shown = hundred.ProblemsText().split('\n');
    QCOMPARE(shown.size(), 21);
    QVERIFY(shown[19].startsWith("Line 20: "));
    QCOMPARE(shown[20], QStringLiteral("... and 80 more wrong lines."));
}

void TestFenceFile::geoJsonWithWrongFeaturesImportsNothingAndNamesEach()
{
    const auto feature = [](const QByteArray& properties, const QByteArray& geometry) {
        return R"({"type":"Feature","properties":)" + properties + R"(,"geometry":)" + geometry + "}";
    };
    const QByteArray square = R"({"type":"Polygon","coordinates":[[[1,2],[3,2],[3,1],[1,1],[1,2]]]})";
    const QList<QByteArray> features = {
        feature(R"({"number":1,"name":"Good"})", square),
        feature(R"({"number":2})", R"({"type":"Polygon","coordinates":[[[1,2],[3,2],[2,1],[1,2]]]})"), // 2 triangle
        feature(R"({"number":3})", R"({"type":"Point","coordinates":[1,2]})"),                         // 3 point
        feature(R"({"number":4.5})", square),                                                          // 4 number
        feature(R"({"number":5,"name":12})", square),                                                  // 5 name
        feature(R"({"number":6})", R"({"type":"Polygon","coordinates":[[[1,"2"],[3,2],[3,1],[1,1],[1,2]]]})"), // 6
        feature(R"({"number":1})", square),                                                            // 7 twice
        feature(R"({"number":8})", R"({"type":"Polygon","coordinates":[[[1,2],[3,2],[3,1],[1,1],[1,2]],
                                                                      [[1.5,1.5],[2,1.5],[2,1.2],[1.5,1.5]]]})"), // 8 hole
    };
    const TFenceFileContents c =
        ParseFenceGeoJson(R"({"type":"FeatureCollection","features":[)" + features.join(",") + "]}");
    QVERIFY(c.Fences.isEmpty());
    QCOMPARE(Numbers(c), QStringList({"2", "3", "4", "5", "6", "7", "8"}));
    QVERIFY2(c.Problems[0].Text.startsWith("Feature 2: "), qPrintable(c.Problems[0].Text));

    // A file that is not a FeatureCollection at all, or not JSON, is one problem naming the line.
    QCOMPARE(Numbers(ParseFenceGeoJson(R"({"type":"Feature"})")), QStringList({"0"}));
    const TFenceFileContents broken = ParseFenceGeoJson("{\n\"type\": \"FeatureCollection\",\n\"features\": [\n}\n");
    QCOMPARE(Numbers(broken), QStringList({"0"}));
    QVERIFY2(broken.Problems[0].Text.contains("line 4"), qPrintable(broken.Problems[0].Text));
}

void TestFenceFile::filesThatCannotBeReadOrWritten()
{
    QTemporaryDir dir;
    const TGeoFenceList fences = VariedFences();
    const auto message = [](auto&& call) {
        try {
            call();
        } catch (const EAppError& e) {
            return e.Message();
        }
        return QString();
    };
    // The reason is the system's own ("No such file or directory" on Linux, "File not found." on
    // Windows).
    const QString missing = dir.filePath("missing.csv");
    QFile probe(missing);
    QVERIFY(!probe.open(QIODevice::ReadOnly));
    QCOMPARE(message([&] { ReadFenceFile(missing); }),
             QStringLiteral("Cannot open file \"%1\". %2").arg(missing, probe.errorString()));
    const QString noFolder = dir.filePath("no/such/folder.geojson");
    QVERIFY(message([&] { WriteFenceFile(noFolder, fences); }).startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(noFolder)));
    QVERIFY(!QFile::exists(noFolder));
    const QString text = dir.filePath("fences.txt");
    QVERIFY(message([&] { WriteFenceFile(text, fences); }).contains(".geojson, .json or .csv"));
    QVERIFY(!QFile::exists(text));
    QVERIFY(WriteAll(text, "1,A,1,2,3,4\n"));
    QVERIFY(message([&] { ReadFenceFile(text); }).contains("\"" + text + "\""));
    // Far larger than 64 fences can be: refused before it is read.
    const QString big = dir.filePath("big.csv");
    QVERIFY(WriteAll(big, QByteArray((1 << 20) + 1, '\n')));
    QVERIFY(message([&] { ReadFenceFile(big); }).contains("1048577 bytes"));

}

void TestFenceFile::parameterFileNamesItsFenceFile()
{
    // An older file names no fence file, and saving a set that names none adds no key to it.
    const QByteArray old = "[Para]\r\nBasicInfo_AnotherName=Van 1\r\nAlarm_Params=1,2\r\n\r\n";
    TIniText ini = TIniText::FromBytes(old);
    TAppParamsConfig config = TAppParamsConfig::ReadFrom(ini);
    QCOMPARE(config.FenceFile, QString());
    QCOMPARE(config.Alias, QStringLiteral("Van 1"));
    config.WriteTo(ini);
    QVERIFY(!ini.ValueExists("Para", ParamsKeys::FenceFile));

    // A key written by hand survives a save from the pages (which name no fence file).
    ini.WriteString("Para", "geo_fencefile", "fences\\depot.geojson");
    TAppParamsConfig fromPages;
    fromPages.WriteTo(ini);
    config = TAppParamsConfig::ReadFrom(ini);
    QCOMPARE(config.FenceFile, QStringLiteral("fences\\depot.geojson"));
    QCOMPARE(config.KeepAliveSeconds, 300);
    config.FenceFile = "other.csv";
    config.WriteTo(ini);
    QCOMPARE(TAppParamsConfig::ReadFrom(ini).FenceFile, QStringLiteral("other.csv"));
    QCOMPARE(ini.SectionKeys("Para").filter("fencefile", Qt::CaseInsensitive).size(), 1);

    // The name is taken from the parameter file's folder.
    QTemporaryDir dir;
    const QString cfg = dir.filePath("param/0000000000.cfg");
    QCOMPARE(ResolveFenceFile(cfg, "fences\\depot.geojson"), dir.filePath("param/fences/depot.geojson"));
    QCOMPARE(ResolveFenceFile(cfg, "../shared/all.csv"), dir.filePath("shared/all.csv"));
    // A name from the root stays there (on Windows, on the parameter file's drive).
    QCOMPARE(ResolveFenceFile(cfg, "/srv/fences.csv"), QDir(dir.path()).absoluteFilePath("/srv/fences.csv"));
    QCOMPARE(ResolveFenceFile(cfg, ""), QString());
    QCOMPARE(FenceFileKeyValue(cfg, dir.filePath("param/fences/a.csv")), QStringLiteral("fences/a.csv"));
    QCOMPARE(FenceFileKeyValue(cfg, dir.filePath("b.csv")), dir.filePath("b.csv"));
}

QTEST_GUILESS_MAIN(TestFenceFile)
#include "test_fence_file.moc"
