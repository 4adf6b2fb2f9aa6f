#pragma once
// Bytes to text by charset name, and text to the ANSI code page (GBK) that
// the result files are written in.

#include <QByteArray>
#include <QString>

#include <optional>

namespace Charset {

// The decoder name behind a page's charset label. GB2312 is decoded as GBK
// by the GB18030 decoder, as browsers do: pages labelled GB2312 routinely
// use GBK characters.
QString DecoderNameFor(const QString &label);

// The body decoded with the named charset; nullopt when no decoder fits.
// Undecodable bytes become U+FFFD. A leading UTF-8 BOM is dropped.
std::optional<QString> Decode(const QByteArray &bytes, const QString &label);

// GBK bytes; a character GBK lacks becomes "?" (one per code point).
QByteArray EncodeAnsi(const QString &text);

// Whether Qt's own converters cover UTF-8, GB18030 and GBK; when not, the
// system's iconv stands in.
bool QtCovers();

} // namespace Charset
