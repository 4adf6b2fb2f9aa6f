#include "DomainList.h"

#include "Charset.h"
#include "Endpoints.h"

#include <QCoreApplication>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>

namespace DomainList {

namespace {

class Text
{
    Q_DECLARE_TR_FUNCTIONS(DomainList)
};

// No encoding a list file comes in spends more than four bytes on a
// character, so a line of more bytes than this is too long unread.
constexpr qsizetype kMaxLineBytes = qsizetype(kMaxLineLength) * 4;

// Characters as the user counts them: a character beyond the 16-bit range
// (most new Chinese characters, emoji) is one, not two.
bool TooLong(QStringView line)
{
    if (line.size() <= kMaxLineLength)
        return false;
    qsizetype characters = line.size();
    for (const QChar c : line)
        characters -= c.isLowSurrogate();
    return characters > kMaxLineLength;
}

ushort Unit(char c)
{
    return uchar(c);
}
ushort Unit(QChar c)
{
    return c.unicode();
}

// Calls take(line) for each line of the text, lines ending in CR LF, LF or
// a lone CR, until take returns false.
template <typename View, typename Take> void ForEachLine(View text, Take take)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const ushort u = Unit(text[i]);
        if (u != '\r' && u != '\n')
            continue;
        if (!take(text.sliced(start, i - start)))
            return;
        if (u == '\r' && i + 1 < text.size() && Unit(text[i + 1]) == '\n')
            ++i;
        start = i + 1;
    }
    take(text.sliced(start));
}

// Gathers the rows line by line, and how much of the text is unreadable.
class Collector final
{
public:
    // False once there are more rows than a run takes: the rest is not read.
    bool Take(QStringView line)
    {
        ++mNumber;
        if (TooLong(line)) {
            ++mImport.skippedLong;
            return true;
        }
        for (const QChar c : line) {
            const ushort u = c.unicode();
            mUnreadable += u == 0xFFFD || ((u < 0x20 || u == 0x7F) && u != '\t' && u != '\v' && u != '\f');
        }
        mChars += line.size();
        if (HasDot(line))
            mImport.rows.append(Row{mNumber, line.toString()});
        return mImport.rows.size() <= kMaxRows;
    }
    bool TakeLong()
    {
        ++mNumber;
        ++mImport.skippedLong;
        return true;
    }
    Import Finish()
    {
        if (mUnreadable * 10 > mChars)
            return Refused();
        return std::move(mImport);
    }

    static Import Refused()
    {
        Import refused;
        refused.refusal = Text::tr("this is not a text file");
        return refused;
    }

private:
    Import mImport;
    int mNumber = 0;
    qsizetype mChars = 0;
    qsizetype mUnreadable = 0;
};

} // namespace

bool HasDot(QStringView line)
{
    return std::any_of(line.cbegin(), line.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return u == '.' || u == 0xFF0E || u == 0x3002 || u == 0xFF61;
    });
}

QStringList SplitCrLf(const QString &text)
{
    return text.split(QStringLiteral("\r\n"));
}

QStringList SplitFileLines(const QString &text)
{
    QStringList lines;
    ForEachLine(QStringView(text), [&lines](QStringView line) {
        lines.append(line.toString());
        return true;
    });
    return lines;
}

QList<Row> RowsFromPieces(const QStringList &pieces, int *skippedLong)
{
    QList<Row> rows;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (TooLong(pieces[i])) {
            if (skippedLong)
                ++*skippedLong;
        } else if (HasDot(pieces[i])) {
            rows.append(Row{int(i + 1), pieces[i]});
        }
    }
    return rows;
}

QString DecodeFile(const QByteArray &bytes)
{
    if (const auto bom = QStringConverter::encodingForData(bytes); bom && *bom != QStringConverter::Utf8) {
        // A UTF-32 unit beyond Unicode came out as a lone surrogate: no
        // character at all, so it becomes the replacement character.
        QString text = QStringDecoder(*bom).decode(bytes);
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            else if (text[i].isSurrogate())
                text[i] = QChar::ReplacementCharacter;
        }
        return text;
    }
    if (bytes.isValidUtf8())
        return Charset::Decode(bytes, QStringLiteral("utf-8")).value_or(QString());
    return Charset::Decode(bytes, QStringLiteral("gbk")).value_or(QString());
}

Import ParseFile(const QByteArray &bytes)
{
    Collector collector;
    const auto bom = QStringConverter::encodingForData(bytes);
    if (bom && *bom != QStringConverter::Utf8) {
        // Wide text holds NUL bytes by nature; it is small enough to decode whole.
        const QString text = DecodeFile(bytes);
        ForEachLine(QStringView(text), [&](QStringView line) { return collector.Take(line); });
        return collector.Finish();
    }
    if (bytes.contains('\0'))
        return Collector::Refused();

    // Line breaks are single bytes in UTF-8 and GBK alike, so the lines are
    // cut from the bytes and only those short enough are decoded.
    const bool utf8 = bytes.isValidUtf8();
    QByteArrayView view(bytes);
    if (utf8 && view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringDecoder gbk(Charset::DecoderNameFor(QStringLiteral("gbk")).toLatin1().constData(),
                       QStringConverter::Flag::Stateless);
    ForEachLine(view, [&](QByteArrayView line) {
        if (line.size() > kMaxLineBytes)
            return collector.TakeLong();
        if (utf8)
            return collector.Take(QString::fromUtf8(line));
        if (gbk.isValid())
            return collector.Take(QString(gbk.decode(line)));
        return collector.Take(Charset::Decode(line.toByteArray(), QStringLiteral("gbk")).value_or(QString()));
    });
    return collector.Finish();
}

int DuplicateHosts(const QStringList &domains)
{
    QSet<QString> seen;
    seen.reserve(domains.size());
    int repeated = 0;
    for (const QString &domain : domains) {
        const QString host = Endpoints::Host(domain);
        repeated += seen.contains(host);
        seen.insert(host);
    }
    return repeated;
}

QString SkippedLongMessage(int skippedLong)
{
    return Text::tr("%1 lines too long to be domains were skipped (at most %2 characters a line)")
        .arg(skippedLong)
        .arg(kMaxLineLength);
}

} // namespace DomainList
