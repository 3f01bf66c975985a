#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The one text format of the settings file, parameter files and language files.
// Read whole, written whole; names compared without regard to case; the first matching key wins;
// comments and empty lines are dropped on reading and so vanish when the file is rewritten.
// Bytes are 8-bit text in the system code page.
class TIniText {
public:
    TIniText() = default;

    // Parses the bytes of a whole file.
    static TIniText FromBytes(const QByteArray& bytes);

    // Reads a file: a missing file reads as empty (true). A file that exists but cannot be
    // read gives false and the system's reason in *error; the document is then empty.
    bool LoadFile(const QString& path, QString* error = nullptr);

    // Writes the whole document atomically (temporary file + rename). On failure the old file
    // stays whole and an EAppError is raised naming the path and the system's reason.
    void SaveFile(const QString& path) const;

    QByteArray ToBytes() const;

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Replaces the first matching line in place, or appends the key at the end of its section;
    // a new section is appended at the end of the document.
    void WriteString(const QString& section, const QString& key, const QString& value);
    bool ValueExists(const QString& section, const QString& key) const;
    bool SectionExists(const QString& section) const;
    QStringList SectionNames() const;
    // The keys of a section in file order (duplicates included).
    QStringList SectionKeys(const QString& section) const;
    // The key and value of every line of a section in file order (duplicates included; a line
    // without "=" gives an empty value). One pass, for readers of every entry of a long section.
    QList<QPair<QString, QString>> SectionEntries(const QString& section) const;

private:
    struct TLine {
        QByteArray Key;
        QByteArray Value;
        bool HasValue = true; // false for a line without "="
    };
    struct TSection {
        QByteArray Name;
        QList<TLine> Lines;
    };

    const TSection* FindSection(const QByteArray& name) const;
    TSection* FindSection(const QByteArray& name);
    static const TLine* FindLine(const TSection& section, const QByteArray& key);

    QList<TSection> FSections;
};
