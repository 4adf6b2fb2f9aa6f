// Page bodies decoded under the labels the queries use, the charset a page
// declares, and text through the ANSI code page and back. The first byte
// picks the label and the Content-Type header.

#include "Charset.h"
#include "FuzzCheck.h"

#include <QList>

#include <cstddef>
#include <cstdint>

namespace {

// GBK (Windows code page 936) and the GB18030 reader disagree on these: the
// euro sign's byte 0x80 and the private-use characters GB18030 later gave
// real code points. 85 in all, every one of them here.
bool ReadBackDiffers(uint point)
{
    return point == 0x20AC || (point >= 0xE000 && point <= 0xF8FF);
}

// Text written in the ANSI code page and read back: every code point comes
// back as itself or as one "?".
void CheckRoundTrip(const QString &text)
{
    const QByteArray ansi = Charset::EncodeAnsi(text);
    const std::optional<QString> back = Charset::Decode(ansi, QStringLiteral("gbk"));
    FUZZ_CHECK(back.has_value());
    const QList<uint> before = text.toUcs4(), after = back->toUcs4();
    FUZZ_CHECK(before.size() == after.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        FUZZ_CHECK(after[i] == before[i] || after[i] == '?' || ReadBackDiffers(before[i]));
    // ASCII passes through untouched.
    for (qsizetype i = 0; i < before.size(); ++i)
        FUZZ_CHECK(before[i] >= 0x80 || after[i] == before[i]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const char *const kLabels[] = {"utf-8", "gb2312", "gbk", "UTF8", " GB2312 ", "gb18030"};
    const QString label = QLatin1String(kLabels[data[0] % std::size(kLabels)]);
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const std::optional<QString> text = Charset::Decode(bytes, label);
    FUZZ_CHECK(text.has_value());
    FUZZ_CHECK(FuzzCheck::WellFormed(*text));
    // Every byte gives at most one character, so a body cannot grow on decoding.
    FUZZ_CHECK(text->size() <= bytes.size());
    CheckRoundTrip(*text);
    CheckRoundTrip(QString::fromUtf8(bytes));

    // What a page declares is a name of the standard's, or nothing.
    const QString meta = Charset::Prescan(bytes);
    FUZZ_CHECK(meta.isEmpty() || Charset::EncodingOf(meta) == meta);
    static const char *const kTypes[] = {"", "text/html", "text/html; charset=utf-8", "text/html;charset=\"big5\""};
    Charset::Found used;
    const std::optional<QString> page =
        Charset::DecodePage(bytes, kTypes[(data[0] >> 4) % std::size(kTypes)], label, &used);
    FUZZ_CHECK(!used.encoding.isEmpty() && (!page || FuzzCheck::WellFormed(*page)));
    // The caller's label decodes everything, so a page that declares nothing always reads.
    FUZZ_CHECK(page || used.source != Charset::Source::Caller);
    return 0;
}
