#include "Inflate.h"

#include <zlib.h>

#include <array>

namespace Inflate {

std::optional<QByteArray> Unpack(const QByteArray &packed, Wrapper wrapper, qsizetype limit)
{
    const int windowBits = wrapper == Wrapper::Gzip ? 15 + 16 : wrapper == Wrapper::Zlib ? 15 : -15;
    z_stream z{};
    if (inflateInit2(&z, windowBits) != Z_OK)
        return std::nullopt;
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.constData()));
    z.avail_in = uInt(packed.size()); // callers hold far less than 4 GiB
    QByteArray out;
    std::array<char, 1 << 16> chunk;
    bool whole = false;
    while (out.size() <= limit) {
        z.next_out = reinterpret_cast<Bytef *>(chunk.data());
        z.avail_out = uInt(chunk.size());
        const int rc = inflate(&z, Z_NO_FLUSH);
        out.append(chunk.data(), qsizetype(chunk.size() - z.avail_out));
        if (rc == Z_STREAM_END && z.avail_in == 0) {
            whole = true;
            break;
        }
        if (rc == Z_STREAM_END && (wrapper != Wrapper::Gzip || inflateReset(&z) != Z_OK))
            break;
        if (rc != Z_OK && rc != Z_STREAM_END)
            break; // damaged, or the input ended inside the stream
    }
    inflateEnd(&z);
    if (!whole || out.size() > limit)
        return std::nullopt;
    return out;
}

} // namespace Inflate
