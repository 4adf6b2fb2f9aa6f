// A domain list file, from its bytes to the batch rows.

#include "DomainList.h"
#include "FuzzCheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = DomainList::DecodeFile(bytes);
    FUZZ_CHECK(FuzzCheck::WellFormed(text));
    // The byte order mark goes; a second one is text.
    FUZZ_CHECK(!text.startsWith(QChar(0xFEFF)) || !bytes.startsWith("\xEF\xBB\xBF") ||
               bytes.mid(3).startsWith("\xEF\xBB\xBF"));

    const QStringList lines = DomainList::SplitFileLines(text);
    FUZZ_CHECK(!lines.isEmpty());
    for (const QString &line : lines)
        FUZZ_CHECK(!line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r')));

    const QList<DomainList::Row> rows = DomainList::RowsFromPieces(lines);
    int previous = 0;
    for (const DomainList::Row &row : rows) {
        FUZZ_CHECK(row.number > previous && row.number <= lines.size());
        FUZZ_CHECK(row.domain == lines[row.number - 1] && DomainList::HasDot(row.domain));
        FUZZ_CHECK(!row.domain.contains(QLatin1Char('\n')) && row.domain.size() <= 2 * DomainList::kMaxLineLength);
        previous = row.number;
    }

    // The file reader the import uses: the same rows, never a line break.
    const DomainList::Import import = DomainList::ParseFile(bytes);
    for (const DomainList::Row &row : import.rows)
        FUZZ_CHECK(!row.domain.contains(QLatin1Char('\n')) && !row.domain.contains(QLatin1Char('\r')));
    return 0;
}
