#pragma once
// Appending records to the result files: GBK, CR LF after every line, the
// file created when missing and never truncated. And writing a file whole.

#include <QString>
#include <QStringList>

namespace TextFile {

struct WriteResult
{
    bool ok = false;
    QString error; // the system's reason when ok is false
};

// Appends every line, or nothing: a write that fails part-way is taken back,
// so the file keeps exactly what it held before.
WriteResult AppendLines(const QString &path, const QStringList &lines);

// Writes bytes as the whole file at path, or changes nothing: the old file
// stays until every byte is written, flushed and closed. A device or a
// pipe (not a regular file) is written straight into; "-" is standard
// output.
WriteResult WriteWhole(const QString &path, const QByteArray &bytes);

// The bytes AppendLines writes for these lines: a control character
// (below U+0020, and U+007F) inside a line becomes a blank, so each line
// stays one line of the file.
QByteArray Encode(const QStringList &lines);

} // namespace TextFile
