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
// A longer line cannot be a domain, nor even a sensible address; it becomes
// no row, which also keeps a huge line out of the table.
constexpr int kMaxLineLength = 2048;

struct Row
{
    int number = 0; // 1-based position of the line the domain stood on
    QString domain; // the line exactly as written
};

// A list file read into rows.
struct Import
{
    // At most kMaxRows + 1: one more than a run takes says the list is too long.
    QList<Row> rows;
    int skippedLong = 0; // lines over kMaxLineLength characters, dropped
    QString refusal;     // why the file gives no rows at all; empty for a text
};

// Whether a line may name a domain: it holds a dot, ASCII or full-width
// or ideographic, as typed with a Chinese input method.
bool HasDot(QStringView line);

// Pieces of a text split at every CR LF, empty pieces kept.
QStringList SplitCrLf(const QString &text);

// Pieces of a file's text: one per line, a line ending in CR LF, LF or a
// lone CR.
QStringList SplitFileLines(const QString &text);

// One row per piece that has a dot and is at most kMaxLineLength long,
// numbered by the piece's position; the longer ones are counted in
// skippedLong when given.
QList<Row> RowsFromPieces(const QStringList &pieces, int *skippedLong = nullptr);

// A list file's text: UTF-16 or UTF-32 when it starts with their byte order
// mark, UTF-8 when the bytes are valid UTF-8 (a BOM dropped), otherwise GBK,
// the code page the program writes its own files in.
QString DecodeFile(const QByteArray &bytes);

// A list file's rows, as RowsFromPieces(SplitFileLines(DecodeFile(bytes)))
// gives them, without copies of the whole file: a line too long is dropped
// unread. A file that is not text (it holds NUL bytes, or more than one
// character in ten is undecodable or a control character) is refused.
Import ParseFile(const QByteArray &bytes);

// How many of the domains name a host that an earlier one names already
// (Endpoints::Host): the same site asked about again. They stay rows.
int DuplicateHosts(const QStringList &domains);

// What to tell the user about the lines ParseFile dropped for their length.
QString SkippedLongMessage(int skippedLong);

} // namespace DomainList
