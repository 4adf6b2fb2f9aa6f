#pragma once
// Turning a domain list (typed, pasted or read from a file) into batch rows.
// Plain functions of text, so every rule is testable without a window.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace DomainList {

// Rows are addressed by 16-bit cursors, so a list may not be longer.
constexpr int kMaxRows = 32767;

struct Row
{
    int number = 0; // 1-based position of the line the domain stood on
    QString domain; // the line exactly as written
};

// Pieces of a text split at every CR LF, empty pieces kept.
QStringList SplitCrLf(const QString &text);

// Pieces of a file's text: one per line, a line ending in LF or CR LF.
QStringList SplitFileLines(const QString &text);

// One row per piece that contains a ".", numbered by the piece's position.
QList<Row> RowsFromPieces(const QStringList &pieces);

// A list file's text: UTF-8 when the bytes are valid UTF-8 (a BOM dropped),
// otherwise GBK, the code page the program writes its own files in.
QString DecodeFile(const QByteArray &bytes);

} // namespace DomainList
