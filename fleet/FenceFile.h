#pragma once

#include "geo/GeoFence.h"

#include <QByteArray>
#include <QList>
#include <QString>

class TGeoFenceList;

// Fence files carry the 64 geo-fences beside a parameter file: GeoJSON (a FeatureCollection of
// Polygons with properties "number" and "name", as map tools read it) or CSV (number, name and
// the four corner values in degrees). A file lists the fences that hold something; a fence it
// does not list is empty. The format follows the file's extension.
enum class TFenceFileFormat { GeoJson, Csv };

// ".geojson" and ".json" are GeoJSON, ".csv" is CSV (any letter case); any other name raises
// EAppError naming the file.
TFenceFileFormat FenceFileFormatOf(const QString& path);

// One wrong line of a CSV file or one wrong feature of a GeoJSON file.
struct TFenceFileProblem {
    int Number = 0;  // the line (CSV, counted from 1) or feature (GeoJSON, counted from 1); 0: the whole file
    QString Text;    // translated, beginning with the line or feature it names
};

// What a fence file holds: its fences in file order, or nothing at all when any is wrong.
struct TFenceFileContents {
    QList<TGeoFence> Fences;            // at most 64, each number once; ListNode -1
    QList<TFenceFileProblem> Problems;  // every wrong line or feature, in file order

    bool IsValid() const { return Problems.isEmpty(); }
    // The problems, one per line; past the twentieth, one line counts the rest.
    QString ProblemsText() const;
};

// The checks of every fence read from a file: numbers 1 to 64, each once; corners that are
// numbers within -180..180 (longitude) and -90..90 (latitude); names the tracker accepts (at
// most 20 of the letters A-Z and a-z, digits, space, "-" and "_").
TFenceFileContents ParseFenceCsv(const QByteArray& bytes);
TFenceFileContents ParseFenceGeoJson(const QByteArray& bytes);

// Reads a fence file by its extension. A file that cannot be read raises EAppError
// "Cannot open file "%s". %s", one over 1 MiB a text saying so; wrong contents come back as
// problems, never as an error.
TFenceFileContents ReadFenceFile(const QString& path);

// The fences that hold a corner or a name, in fence-number order. Corners are written in the
// shortest decimal form that reads back as the same 64-bit value.
QByteArray FencesToCsv(const TGeoFenceList& fences);
QByteArray FencesToGeoJson(const TGeoFenceList& fences);

// Writes the file atomically by its extension (the old file stays whole on failure); raises
// EAppError "Cannot create file "%s". %s".
void WriteFenceFile(const QString& path, const TGeoFenceList& fences);

// Replaces all 64 records by a file's fences: a fence the file lists takes its name and corners,
// every other fence becomes empty. Rows (ListNode) stay. Raises EAppError, changing nothing,
// when the contents hold problems.
void ApplyFenceFile(TGeoFenceList& fences, const TFenceFileContents& contents);
