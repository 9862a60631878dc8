#include "tools/swfgen/SwfPack.h"

#include <stdexcept>

#include <zlib.h>

namespace swfgen {

Bytes Deflate(const Bytes& data, int level) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), level) != Z_OK)
        throw std::runtime_error("deflate failed");
    out.resize(size);
    return out;
}

Bytes Cws(const Bytes& fws, int level) {
    if (fws.size() < 8) throw std::invalid_argument("movie shorter than its header");
    Bytes out(fws.begin(), fws.begin() + 8);
    out[0] = 'C';
    PutBytes(out, Deflate(Bytes(fws.begin() + 8, fws.end()), level));
    return out;
}

}  // namespace swfgen
