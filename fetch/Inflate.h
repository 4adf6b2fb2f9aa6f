#pragma once
// Deflate undone, in one place: the fetcher's gzip and deflate bodies, and
// the members of a zip file where a test reads one. zlib rather than Qt's
// own unpacking, which passes a cut-short stream off as whole.

#include <QByteArray>

#include <optional>

namespace Inflate {

enum class Wrapper {
    Gzip, // one or more gzip members, one after another
    Zlib, // the zlib wrapper ("deflate" as HTTP means it)
    Raw   // the bare stream, as a zip member holds it
};

// The stream unpacked; nullopt when it is damaged, cut short, followed by
// anything but another gzip member, or unpacks to more than limit bytes.
std::optional<QByteArray> Unpack(const QByteArray &packed, Wrapper wrapper, qsizetype limit);

} // namespace Inflate
