#include "Charset.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

#include <iconv.h>

#include <cerrno>

namespace {

bool IsGbkFamily(const QString &label)
{
    static const char *const labels[] = {"gb2312",          "gbk",       "x-gbk",       "chinese",
                                         "csgb2312",        "iso-ir-58", "gb_2312",     "gb_2312-80",
                                         "csiso58gb231280", "cp936",     "windows-936", "ms936"};
    for (const char *known : labels) {
        if (label.compare(QLatin1String(known), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// iconv stand-in for a Qt built without ICU.
std::optional<QByteArray> Iconv(const QByteArray &in, const char *to, const char *from, bool substitute)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return std::nullopt;
    QByteArray out;
    out.resize(in.size() * 4 + 16);
    char *src = const_cast<char *>(in.constData());
    size_t srcLeft = size_t(in.size());
    char *dst = out.data();
    size_t dstLeft = size_t(out.size());
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1))
            break;
        if (errno == E2BIG) {
            const auto used = dst - out.data();
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = size_t(out.size() - used);
            continue;
        }
        if (!substitute)
            break;
        // Skip one unusable input unit and put a replacement in its place.
        const char *replacement = (qstrcmp(from, "UTF-8") == 0) ? "?" : "\xEF\xBF\xBD";
        const size_t len = qstrlen(replacement);
        if (dstLeft < len) {
            const auto used = dst - out.data();
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = size_t(out.size() - used);
        }
        memcpy(dst, replacement, len);
        dst += len;
        dstLeft -= len;
        size_t skip = 1;
        if (qstrcmp(from, "UTF-8") == 0) {
            const auto lead = uchar(*src);
            skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            skip = qMin(skip, srcLeft);
        }
        src += skip;
        srcLeft -= skip;
    }
    iconv_close(cd);
    out.resize(dst - out.data());
    return out;
}

} // namespace

namespace Charset {

QString DecoderNameFor(const QString &label)
{
    const QString trimmed = label.trimmed();
    if (IsGbkFamily(trimmed) || trimmed.compare(QLatin1String("gb18030"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("GB18030");
    if (trimmed.compare(QLatin1String("utf8"), Qt::CaseInsensitive) == 0 ||
        trimmed.compare(QLatin1String("utf-8"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("UTF-8");
    return trimmed;
}

std::optional<QString> Decode(const QByteArray &bytes, const QString &label)
{
    const QString name = DecoderNameFor(label);
    if (name.isEmpty())
        return std::nullopt;
    QStringDecoder decoder(name.toLatin1().constData(), QStringConverter::Flag::Stateless);
    if (decoder.isValid()) {
        QString text = decoder.decode(bytes);
        if (name == QLatin1String("UTF-8") && text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    if (name != QLatin1String("GB18030") && name != QLatin1String("UTF-8"))
        return std::nullopt;
    QByteArray body = bytes;
    if (name == QLatin1String("UTF-8") && body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    const auto utf8 = Iconv(body, "UTF-8", name.toLatin1().constData(), true);
    if (!utf8)
        return std::nullopt;
    return QString::fromUtf8(*utf8);
}

QByteArray EncodeAnsi(const QString &text)
{
    QStringEncoder encoder("GBK");
    if (!encoder.isValid())
        return Iconv(text.toUtf8(), "GBK", "UTF-8", true).value_or(QByteArray());
    QByteArray bytes = encoder.encode(text);
    // ASCII, the common CJK block and CJK punctuation are never dropped:
    // most saved text is only that, and needs no check.
    const bool plain = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x80 || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3000 && u <= 0x303F) || (u >= 0xFF01 && u <= 0xFF5E);
    });
    if (plain)
        return bytes;
    // ICU drops the invisible characters GBK lacks (U+FEFF, U+200B, ...)
    // instead of writing "?": read back, every code point must be there,
    // else the text goes again one code point at a time.
    QStringDecoder check("GB18030");
    if (!check.isValid() || QString(check.decode(bytes)).toUcs4().size() == text.toUcs4().size())
        return bytes;
    bytes.clear();
    for (const uint point : text.toUcs4()) {
        const char32_t one[] = {char32_t(point)};
        const QByteArray encoded = encoder.encode(QString::fromUcs4(one, 1));
        bytes += encoded.isEmpty() ? QByteArray("?") : encoded;
    }
    return bytes;
}

bool QtCovers()
{
    return QStringDecoder("UTF-8").isValid() && QStringDecoder("GB18030").isValid() && QStringEncoder("GBK").isValid();
}

} // namespace Charset
