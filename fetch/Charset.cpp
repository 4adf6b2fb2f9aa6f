#include "Charset.h"

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <algorithm>

#ifdef Q_OS_WIN
#include <string>

#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#endif

namespace {

// The WHATWG Encoding Standard's labels, each encoding's name first. Two
// labels Windows uses for its code page 936 are read as GBK too.
const char *const kEncodings[] = {
    "UTF-8 unicode-1-1-utf-8 unicode11utf8 unicode20utf8 utf-8 utf8 x-unicode20utf8",
    "IBM866 866 cp866 csibm866 ibm866",
    "ISO-8859-2 csisolatin2 iso-8859-2 iso-ir-101 iso8859-2 iso88592 iso_8859-2 iso_8859-2:1987 l2 latin2",
    "ISO-8859-3 csisolatin3 iso-8859-3 iso-ir-109 iso8859-3 iso88593 iso_8859-3 iso_8859-3:1988 l3 latin3",
    "ISO-8859-4 csisolatin4 iso-8859-4 iso-ir-110 iso8859-4 iso88594 iso_8859-4 iso_8859-4:1988 l4 latin4",
    "ISO-8859-5 csisolatincyrillic cyrillic iso-8859-5 iso-ir-144 iso8859-5 iso88595 iso_8859-5 iso_8859-5:1988",
    "ISO-8859-6 arabic asmo-708 csiso88596e csiso88596i csisolatinarabic ecma-114 iso-8859-6 iso-8859-6-e "
    "iso-8859-6-i iso-ir-127 iso8859-6 iso88596 iso_8859-6 iso_8859-6:1987",
    "ISO-8859-7 csisolatingreek ecma-118 elot_928 greek greek8 iso-8859-7 iso-ir-126 iso8859-7 iso88597 iso_8859-7 "
    "iso_8859-7:1987 sun_eu_greek",
    "ISO-8859-8 csiso88598e csisolatinhebrew hebrew iso-8859-8 iso-8859-8-e iso-ir-138 iso8859-8 iso88598 iso_8859-8 "
    "iso_8859-8:1988 visual",
    "ISO-8859-8-I csiso88598i iso-8859-8-i logical",
    "ISO-8859-10 csisolatin6 iso-8859-10 iso-ir-157 iso8859-10 iso885910 l6 latin6",
    "ISO-8859-13 iso-8859-13 iso8859-13 iso885913",
    "ISO-8859-14 iso-8859-14 iso8859-14 iso885914",
    "ISO-8859-15 csisolatin9 iso-8859-15 iso8859-15 iso885915 iso_8859-15 l9",
    "ISO-8859-16 iso-8859-16",
    "KOI8-R cskoi8r koi koi8 koi8-r koi8_r",
    "KOI8-U koi8-ru koi8-u",
    "macintosh csmacintosh mac macintosh x-mac-roman",
    "windows-874 dos-874 iso-8859-11 iso8859-11 iso885911 tis-620 windows-874",
    "windows-1250 cp1250 windows-1250 x-cp1250",
    "windows-1251 cp1251 windows-1251 x-cp1251",
    "windows-1252 ansi_x3.4-1968 ascii cp1252 cp819 csisolatin1 ibm819 iso-8859-1 iso-ir-100 iso8859-1 iso88591 "
    "iso_8859-1 iso_8859-1:1987 l1 latin1 us-ascii windows-1252 x-cp1252",
    "windows-1253 cp1253 windows-1253 x-cp1253",
    "windows-1254 cp1254 csisolatin5 iso-8859-9 iso-ir-148 iso8859-9 iso88599 iso_8859-9 iso_8859-9:1989 l5 latin5 "
    "windows-1254 x-cp1254",
    "windows-1255 cp1255 windows-1255 x-cp1255",
    "windows-1256 cp1256 windows-1256 x-cp1256",
    "windows-1257 cp1257 windows-1257 x-cp1257",
    "windows-1258 cp1258 windows-1258 x-cp1258",
    "x-mac-cyrillic x-mac-cyrillic x-mac-ukrainian",
    "GBK chinese csgb2312 csiso58gb231280 gb2312 gb_2312 gb_2312-80 gbk iso-ir-58 x-gbk cp936 windows-936 ms936",
    "gb18030 gb18030",
    "Big5 big5 big5-hkscs cn-big5 csbig5 x-x-big5",
    "EUC-JP cseucpkdfmtjapanese euc-jp x-euc-jp",
    "ISO-2022-JP csiso2022jp iso-2022-jp",
    "Shift_JIS csshiftjis ms932 ms_kanji shift-jis shift_jis sjis windows-31j x-sjis",
    "EUC-KR cseuckr csksc56011987 euc-kr iso-ir-149 korean ks_c_5601-1987 ks_c_5601-1989 ksc5601 ksc_5601 "
    "windows-949",
    "replacement csiso2022kr hz-gb-2312 iso-2022-cn iso-2022-cn-ext iso-2022-kr replacement",
    "UTF-16BE unicodefffe utf-16be",
    "UTF-16LE csunicode iso-10646-ucs-2 ucs-2 unicode unicodefeff utf-16 utf-16le",
    "x-user-defined x-user-defined",
};

// Label -> encoding name, built once.
const QHash<QString, QString> &Labels()
{
    static const QHash<QString, QString> labels = [] {
        QHash<QString, QString> map;
        for (const char *line : kEncodings) {
            const QStringList words = QString::fromLatin1(line).split(QLatin1Char(' '));
            for (const QString &label : words.mid(1))
                map.insert(label, words.first());
        }
        return map;
    }();
    return labels;
}

bool IsAsciiBlank(char c)
{
    return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

#ifdef Q_OS_WIN
// Windows' own code pages stand in for a Qt built without ICU.
UINT CodePageOf(const QString &name)
{
    static const QHash<QString, UINT> pages{
        {QStringLiteral("UTF-8"), CP_UTF8},     {QStringLiteral("GB18030"), 54936},
        {QStringLiteral("GBK"), 936},           {QStringLiteral("Big5-HKSCS"), 950},
        {QStringLiteral("Shift_JIS"), 932},     {QStringLiteral("EUC-JP"), 20932},
        {QStringLiteral("windows-949"), 949},   {QStringLiteral("KOI8-R"), 20866},
        {QStringLiteral("KOI8-U"), 21866},      {QStringLiteral("IBM866"), 866},
        {QStringLiteral("macintosh"), 10000},   {QStringLiteral("windows-874"), 874},
        {QStringLiteral("ISO-8859-15"), 28605}, {QStringLiteral("ISO-8859-13"), 28603}};
    if (const UINT page = pages.value(name))
        return page;
    if (name.startsWith(QLatin1String("windows-125")))
        return name.mid(8).toUInt();
    if (name.startsWith(QLatin1String("ISO-8859-")) && name.mid(9).toUInt() <= 9)
        return 28590 + name.mid(9).toUInt();
    return 0;
}

std::optional<QString> SystemDecode(const QByteArray &in, const QString &name)
{
    UINT page = CodePageOf(name);
    // Wine, for one, has no 54936.
    const bool gbkForGb18030 = page == 54936 && !IsValidCodePage(page);
    if (gbkForGb18030)
        page = 936;
    if (page == 0 || !IsValidCodePage(page))
        return std::nullopt;
    if (in.isEmpty())
        return QString();
    const int size = MultiByteToWideChar(page, 0, in.constData(), int(in.size()), nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    QString out(size, Qt::Uninitialized);
    MultiByteToWideChar(page, 0, in.constData(), int(in.size()), reinterpret_cast<wchar_t *>(out.data()), size);
    // 936's lone byte 0x80 (the euro sign) is no character in GB18030.
    if (gbkForGb18030)
        out.replace(QChar(0x20AC), QChar::ReplacementCharacter);
    return out;
}

// GBK has nothing beyond the BMP: each such code point is one "?" before
// the rest goes through code page 936, with no "best fit" look-alikes.
QByteArray SystemEncodeGbk(const QString &text)
{
    std::wstring wide;
    wide.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        wide.push_back(c.isSurrogate() ? L'?' : wchar_t(c.unicode()));
    }
    if (wide.empty())
        return QByteArray();
    const int size =
        WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), nullptr, 0, "?", nullptr);
    QByteArray out(size, Qt::Uninitialized);
    WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), out.data(), size, "?", nullptr);
    return out;
}
#else
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

std::optional<QString> SystemDecode(const QByteArray &in, const QString &name)
{
    if (name != QLatin1String("GB18030") && name != QLatin1String("UTF-8"))
        return std::nullopt;
    const auto utf8 = Iconv(in, "UTF-8", name.toLatin1().constData(), true);
    return utf8 ? std::optional<QString>(QString::fromUtf8(*utf8)) : std::nullopt;
}

QByteArray SystemEncodeGbk(const QString &text)
{
    return Iconv(text.toUtf8(), "GBK", "UTF-8", true).value_or(QByteArray());
}
#endif

// The WHATWG prescan over the first 1024 bytes: a cursor that gives up,
// as the standard says, when a construct runs past the end.
class Prescanner final
{
public:
    explicit Prescanner(const QByteArray &body) : mBytes(body.left(1024)) {}

    QString Run()
    {
        while (mAt < mBytes.size()) {
            if (At("<!--")) {
                // Up to a "-->", whose dashes may be those of the "<!--".
                const qsizetype end = mBytes.indexOf("-->", mAt + 2);
                if (end < 0)
                    return {};
                mAt = end + 2;
            } else if (AtNoCase("<meta") && mAt + 5 < mBytes.size() &&
                       (IsAsciiBlank(mBytes[mAt + 5]) || mBytes[mAt + 5] == '/')) {
                mAt += 5;
                const std::optional<QString> found = Meta();
                if (!found)
                    return {};
                if (!found->isEmpty())
                    return *found;
                continue; // Meta() stops on the ">" or past the end
            } else if (mAt + 1 < mBytes.size() && mBytes[mAt] == '<' &&
                       (IsLetter(mBytes[mAt + 1]) ||
                        (mBytes[mAt + 1] == '/' && mAt + 2 < mBytes.size() && IsLetter(mBytes[mAt + 2])))) {
                // Any other tag: its name, then its attributes, skipped.
                while (mAt < mBytes.size() && !IsAsciiBlank(mBytes[mAt]) && mBytes[mAt] != '>')
                    ++mAt;
                std::pair<QByteArray, QByteArray> attribute;
                while (Attribute(&attribute)) {
                }
                if (mAt >= mBytes.size())
                    return {};
            } else if (At("<!") || At("</") || At("<?")) {
                const qsizetype end = mBytes.indexOf('>', mAt + 2);
                if (end < 0)
                    return {};
                mAt = end;
            }
            ++mAt;
        }
        return {};
    }

private:
    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }
    bool At(const char *text) const { return mBytes.mid(mAt, qstrlen(text)) == text; }
    bool AtNoCase(const char *text) const
    {
        const QByteArray here = mBytes.mid(mAt, qstrlen(text));
        return here.size() == qsizetype(qstrlen(text)) && here.toLower() == text;
    }

    // A <meta>'s attributes: the charset it declares, "" for none, nullopt
    // when the bytes end inside it.
    std::optional<QString> Meta()
    {
        QList<QByteArray> seen;
        bool gotPragma = false;
        int needPragma = -1; // unknown, no, yes
        QString charset;
        std::pair<QByteArray, QByteArray> a;
        while (Attribute(&a)) {
            if (seen.contains(a.first))
                continue;
            seen.append(a.first);
            if (a.first == "http-equiv") {
                gotPragma = gotPragma || a.second == "content-type";
            } else if (a.first == "content" && charset.isEmpty()) {
                charset = Charset::EncodingOf(FromContent(a.second));
                if (!charset.isEmpty())
                    needPragma = 1;
            } else if (a.first == "charset") {
                charset = Charset::EncodingOf(QString::fromLatin1(a.second));
                needPragma = 0;
            }
        }
        if (mAt >= mBytes.size())
            return std::nullopt;
        if (needPragma < 0 || (needPragma == 1 && !gotPragma) || charset.isEmpty())
            return QString();
        if (charset == QLatin1String("UTF-16BE") || charset == QLatin1String("UTF-16LE"))
            return QStringLiteral("UTF-8");
        if (charset == QLatin1String("x-user-defined"))
            return QStringLiteral("windows-1252");
        return charset;
    }

    // The standard's "get an attribute": false at the tag's ">" or the end.
    bool Attribute(std::pair<QByteArray, QByteArray> *attribute)
    {
        const qsizetype n = mBytes.size();
        while (mAt < n && (IsAsciiBlank(mBytes[mAt]) || mBytes[mAt] == '/'))
            ++mAt;
        if (mAt >= n || mBytes[mAt] == '>')
            return false;
        QByteArray name, value;
        for (;; ++mAt) {
            if (mAt >= n)
                return false;
            const char c = mBytes[mAt];
            if (c == '=' && !name.isEmpty()) {
                ++mAt;
                break;
            }
            if (IsAsciiBlank(c)) {
                while (mAt < n && IsAsciiBlank(mBytes[mAt]))
                    ++mAt;
                if (mAt >= n)
                    return false;
                if (mBytes[mAt] != '=') {
                    *attribute = {name, value};
                    return true;
                }
                ++mAt;
                break;
            }
            if (c == '/' || c == '>') {
                *attribute = {name, value};
                return true;
            }
            name += Lower(c);
        }
        while (mAt < n && IsAsciiBlank(mBytes[mAt]))
            ++mAt;
        if (mAt >= n)
            return false;
        if (mBytes[mAt] == '"' || mBytes[mAt] == '\'') {
            const char quote = mBytes[mAt];
            for (++mAt; mAt < n; ++mAt) {
                if (mBytes[mAt] == quote) {
                    ++mAt;
                    *attribute = {name, value};
                    return true;
                }
                value += Lower(mBytes[mAt]);
            }
            return false;
        }
        if (mBytes[mAt] == '>') {
            *attribute = {name, value};
            return true;
        }
        for (; mAt < n; ++mAt) {
            if (IsAsciiBlank(mBytes[mAt]) || mBytes[mAt] == '>') {
                *attribute = {name, value};
                return true;
            }
            value += Lower(mBytes[mAt]);
        }
        return false;
    }

    // The standard's "extract a character encoding from a meta element".
    static QString FromContent(const QByteArray &content)
    {
        qsizetype at = 0;
        for (;;) {
            const qsizetype found = content.indexOf("charset", at);
            if (found < 0)
                return {};
            at = found + 7;
            while (at < content.size() && IsAsciiBlank(content[at]))
                ++at;
            if (at < content.size() && content[at] == '=')
                break;
        }
        ++at;
        while (at < content.size() && IsAsciiBlank(content[at]))
            ++at;
        if (at >= content.size())
            return {};
        if (content[at] == '"' || content[at] == '\'') {
            const qsizetype end = content.indexOf(content[at], at + 1);
            return end < 0 ? QString() : QString::fromLatin1(content.mid(at + 1, end - at - 1));
        }
        qsizetype end = at;
        while (end < content.size() && !IsAsciiBlank(content[end]) && content[end] != ';')
            ++end;
        return QString::fromLatin1(content.mid(at, end - at));
    }

    QByteArray mBytes;
    qsizetype mAt = 0;
};

// The charset parameter of a Content-Type value, "" for none.
QString HeaderCharset(const QByteArray &contentType)
{
    const QList<QByteArray> parts = contentType.split(';');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const qsizetype eq = parts[i].indexOf('=');
        if (eq < 0 || parts[i].left(eq).trimmed().toLower() != "charset")
            continue;
        QByteArray value = parts[i].mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        return QString::fromLatin1(value);
    }
    return {};
}

// What the WHATWG decoders of the two odd encodings give.
QString DecodeUserDefined(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = uchar(bytes[i]);
        text[i] = QChar(b < 0x80 ? char16_t(b) : char16_t(0xF780 + b - 0x80));
    }
    return text;
}

class Text
{
    Q_DECLARE_TR_FUNCTIONS(Charset)
};

} // namespace

namespace Charset {

QString EncodingOf(const QString &label)
{
    return Labels().value(label.trimmed().toLower());
}

QString DecoderNameFor(const QString &label)
{
    const QString encoding = EncodingOf(label);
    if (encoding.isEmpty())
        return label.trimmed(); // not the standard's: Qt may still know it
    // The standard's decoders are supersets of these names' older tables.
    static const QHash<QString, QString> decoders{{QStringLiteral("GBK"), QStringLiteral("GB18030")},
                                                  {QStringLiteral("gb18030"), QStringLiteral("GB18030")},
                                                  {QStringLiteral("Big5"), QStringLiteral("Big5-HKSCS")},
                                                  {QStringLiteral("EUC-KR"), QStringLiteral("windows-949")},
                                                  {QStringLiteral("ISO-8859-8-I"), QStringLiteral("ISO-8859-8")}};
    return decoders.value(encoding, encoding);
}

std::optional<QString> Decode(const QByteArray &bytes, const QString &label)
{
    const QString name = DecoderNameFor(label);
    if (name.isEmpty())
        return std::nullopt;
    if (name == QLatin1String("replacement"))
        return bytes.isEmpty() ? QString() : QString(QChar::ReplacementCharacter);
    if (name == QLatin1String("x-user-defined"))
        return DecodeUserDefined(bytes);
    QStringDecoder decoder(name.toLatin1().constData(), QStringConverter::Flag::Stateless);
    if (decoder.isValid()) {
        QString text = decoder.decode(bytes);
        if (name == QLatin1String("UTF-8") && text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    QByteArray body = bytes;
    if (name == QLatin1String("UTF-8") && body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    return SystemDecode(body, name);
}

QString SourceName(Source source)
{
    switch (source) {
    case Source::ByteOrderMark:
        return Text::tr("byte-order mark");
    case Source::Header:
        return Text::tr("Content-Type header");
    case Source::Meta:
        return Text::tr("<meta> in the first 1024 bytes");
    case Source::Content:
        return Text::tr("the bytes are UTF-8");
    case Source::Caller:
        break;
    }
    return Text::tr("nothing declared: the default");
}

QString Prescan(const QByteArray &body)
{
    return Prescanner(body).Run();
}

Found Detect(const QByteArray &body, const QByteArray &contentType, const QString &fallback)
{
    if (body.startsWith("\xEF\xBB\xBF"))
        return {QStringLiteral("UTF-8"), Source::ByteOrderMark};
    if (body.startsWith("\xFE\xFF"))
        return {QStringLiteral("UTF-16BE"), Source::ByteOrderMark};
    if (body.startsWith("\xFF\xFE"))
        return {QStringLiteral("UTF-16LE"), Source::ByteOrderMark};
    if (const QString header = EncodingOf(HeaderCharset(contentType)); !header.isEmpty())
        return {header, Source::Header};
    if (const QString meta = Prescan(body); !meta.isEmpty())
        return {meta, Source::Meta};
    const QString named = EncodingOf(fallback);
    return {named.isEmpty() ? fallback : named, Source::Caller};
}

Found DetectSaved(const QByteArray &body)
{
    Found found = Detect(body, QByteArray(), QStringLiteral("gbk"));
    if (found.source == Source::Caller && QUtf8StringView(body).isValidUtf8())
        found = {QStringLiteral("UTF-8"), Source::Content};
    return found;
}

std::optional<QString> DecodePage(const QByteArray &body, const QByteArray &contentType, const QString &fallback,
                                  Found *used)
{
    const Found found = Detect(body, contentType, fallback);
    if (used)
        *used = found;
    if (found.source != Source::ByteOrderMark)
        return Decode(body, found.encoding);
    // The mark is no part of the text.
    return Decode(body.mid(found.encoding == QLatin1String("UTF-8") ? 3 : 2), found.encoding);
}

QByteArray EncodeAnsi(const QString &text)
{
    QStringEncoder encoder("GBK");
    if (!encoder.isValid())
        return SystemEncodeGbk(text);
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

} // namespace Charset
