#pragma once

#include <QString>
#include <QStringList>

// Lists the files of a folder by an extension mask. Holds no state.
class TFileHelper {
public:
    // What, besides ordinary and read-only files, a listing includes.
    enum TAttributes : int {
        faNone = 0,
        faHidden = 0x02,    // names beginning with "."
        faSysFile = 0x04,   // devices, pipes, sockets, dangling links
        faDirectory = 0x10, // folders (never "." and "..")
    };

    // Appends the full path of every matching entry of the folder to output, in the order the
    // file system lists them (no sorting). The mask is the folder (with a trailing "/" added when
    // it has none) followed by "*" + extension when the extension begins with ".", by "*." +
    // extension for another non-empty extension, and by nothing (which matches no entry) for an
    // empty one. Names are matched without regard to letter case, as on the program's first platform.
    // A missing or unreadable folder lists nothing.
    static void ListFiles(const QString& folder, const QString& extension, int attributes, QStringList& output);
};
