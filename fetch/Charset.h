#pragma once
// Bytes to text by charset name, the charset a page is in as a browser
// finds it, and text to the ANSI code page (GBK) that the result files are
// written in.

#include <QByteArray>
#include <QString>

#include <optional>

namespace Charset {

// The encoding a label names, by the WHATWG Encoding Standard's table
// ("gb2312", "x-gbk", "cp936" -> "GBK"; "utf8" -> "UTF-8"); "" for a label
// the table does not know. Blanks around the label and case do not count.
QString EncodingOf(const QString &label);

// The decoder name behind a page's charset label. GB2312 and GBK are
// decoded by the GB18030 decoder, as browsers do: pages labelled GB2312
// routinely use GBK characters.
QString DecoderNameFor(const QString &label);

// The body decoded with the named charset; nullopt when no decoder fits.
// Undecodable bytes become U+FFFD. A leading UTF-8 BOM is dropped.
std::optional<QString> Decode(const QByteArray &bytes, const QString &label);

// Where the charset of a page was found.
enum class Source { ByteOrderMark, Header, Meta, Content, Caller };
// "byte-order mark", "Content-Type header", "<meta> in the first 1024 bytes", ...
QString SourceName(Source source);

struct Found
{
    QString encoding; // as EncodingOf names it, or the caller's label as given
    Source source = Source::Caller;
};

// The charset of a page in a browser's order: a byte-order mark, the
// charset of the Content-Type header, a <meta> charset within the first
// 1024 bytes (the WHATWG prescan), and only then the caller's label.
// A label nobody knows is passed over.
Found Detect(const QByteArray &body, const QByteArray &contentType, const QString &fallback);

// A saved page has no header: what Detect finds without one, else UTF-8
// when the bytes are valid UTF-8 (Source::Content), else GBK, the one
// other charset the services write in.
Found DetectSaved(const QByteArray &body);

// The charset a <meta> declares within the first 1024 bytes, by the WHATWG
// prescan; "" for none.
QString Prescan(const QByteArray &body);

// A page decoded with what Detect finds (the byte-order mark dropped);
// nullopt when no decoder fits. *used, when given, says what was used.
std::optional<QString> DecodePage(const QByteArray &body, const QByteArray &contentType, const QString &fallback,
                                  Found *used = nullptr);

// GBK bytes; a character GBK lacks becomes "?" (one per code point).
QByteArray EncodeAnsi(const QString &text);

} // namespace Charset
