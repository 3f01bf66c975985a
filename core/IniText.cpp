#include "core/IniText.h"

#include "core/AppError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

bool SameName(const QByteArray& a, const QByteArray& b)
{
    return a.size() == b.size() && qstrnicmp(a.constData(), b.constData(), a.size()) == 0;
}

QByteArray Bytes(const QString& text) { return text.toLocal8Bit(); }

// A write that stops short (a full disk, a file size limit) reports no reason of its own; the
// next write of the rest fails outright and names it ("No space left on device").
bool WriteWhole(QSaveFile& file, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

TIniText TIniText::FromBytes(const QByteArray& bytes)
{
    TIniText ini;
    TSection* current = nullptr;
    qsizetype pos = 0;
    const qsizetype size = bytes.size();
    // Editors that save UTF-8 (a translated language file) often put a byte order mark in
    // front; left in place it would hide the first section's header, and with it the section.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        pos = 3;
    while (pos < size) {
        // A line ends at LF, CR LF or a lone CR (files saved by old Mac editors).
        qsizetype eol = pos;
        while (eol < size && bytes.at(eol) != '\n' && bytes.at(eol) != '\r')
            ++eol;
        QByteArray line = bytes.mid(pos, eol - pos).trimmed();
        pos = eol + 1;
        if (eol + 1 < size && bytes.at(eol) == '\r' && bytes.at(eol + 1) == '\n')
            ++pos;
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[') && line.endsWith(']') && line.size() >= 2) {
            ini.FSections.append(TSection{line.mid(1, line.size() - 2).trimmed(), {}});
            current = &ini.FSections.last();
            continue;
        }
        if (!current)
            continue; // lines before the first section belong to nothing
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            current->Lines.append(TLine{line, QByteArray(), false});
        else
            current->Lines.append(TLine{line.left(eq).trimmed(), line.mid(eq + 1).trimmed(), true});
    }
    return ini;
}

bool TIniText::LoadFile(const QString& path, QString* error)
{
    FSections.clear();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    *this = FromBytes(bytes);
    return true;
}

QByteArray TIniText::ToBytes() const
{
    QByteArray out;
    for (const TSection& s : FSections) {
        out += '[' + s.Name + "]\r\n";
        for (const TLine& l : s.Lines) {
            out += l.Key;
            if (l.HasValue)
                out += '=' + l.Value;
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

void TIniText::SaveFile(const QString& path) const
{
    // A symbolic link stays a link: the target is replaced, not the link.
    const QString target = QFileInfo(path).isSymLink() ? QFileInfo(path).symLinkTarget() : path;
    QSaveFile file(target);
    const QByteArray bytes = ToBytes();
    if (!file.open(QIODevice::WriteOnly) || !WriteWhole(file, bytes) || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw EAppError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
    }
}

const TIniText::TSection* TIniText::FindSection(const QByteArray& name) const
{
    for (const TSection& s : FSections)
        if (SameName(s.Name, name))
            return &s;
    return nullptr;
}

TIniText::TSection* TIniText::FindSection(const QByteArray& name)
{
    for (TSection& s : FSections)
        if (SameName(s.Name, name))
            return &s;
    return nullptr;
}

const TIniText::TLine* TIniText::FindLine(const TSection& section, const QByteArray& key)
{
    for (const TLine& l : section.Lines)
        if (SameName(l.Key, key))
            return &l;
    return nullptr;
}

QString TIniText::ReadString(const QString& section, const QString& key, const QString& def) const
{
    const TSection* s = FindSection(Bytes(section));
    if (!s)
        return def;
    const TLine* l = FindLine(*s, Bytes(key));
    return l ? QString::fromLocal8Bit(l->Value) : def;
}

bool TIniText::ValueExists(const QString& section, const QString& key) const
{
    const TSection* s = FindSection(Bytes(section));
    return s && FindLine(*s, Bytes(key));
}

bool TIniText::SectionExists(const QString& section) const { return FindSection(Bytes(section)); }

void TIniText::WriteString(const QString& section, const QString& key, const QString& value)
{
    const QByteArray sectionName = Bytes(section).trimmed();
    const QByteArray keyName = Bytes(key).trimmed();
    // Line breaks would split the value into lines of their own on the next read.
    QByteArray bytes = Bytes(value);
    bytes.replace('\r', ' ').replace('\n', ' ');
    bytes = bytes.trimmed();
    TSection* s = FindSection(sectionName);
    if (!s) {
        FSections.append(TSection{sectionName, {}});
        s = &FSections.last();
    }
    for (TLine& l : s->Lines) {
        if (SameName(l.Key, keyName)) {
            l.Value = bytes;
            l.HasValue = true;
            return;
        }
    }
    s->Lines.append(TLine{keyName, bytes, true});
}

QStringList TIniText::SectionNames() const
{
    QStringList names;
    for (const TSection& s : FSections)
        names << QString::fromLocal8Bit(s.Name);
    return names;
}

QStringList TIniText::SectionKeys(const QString& section) const
{
    QStringList keys;
    if (const TSection* s = FindSection(Bytes(section)))
        for (const TLine& l : s->Lines)
            keys << QString::fromLocal8Bit(l.Key);
    return keys;
}

QList<QPair<QString, QString>> TIniText::SectionEntries(const QString& section) const
{
    QList<QPair<QString, QString>> entries;
    if (const TSection* s = FindSection(Bytes(section)))
        for (const TLine& l : s->Lines)
            entries.append({QString::fromLocal8Bit(l.Key), QString::fromLocal8Bit(l.Value)});
    return entries;
}
