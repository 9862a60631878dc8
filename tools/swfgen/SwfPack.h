// Compressed ("CWS") movies: the same header, the body after it as one zlib stream.
#pragma once

#include "tools/swfgen/SwfWriter.h"

namespace swfgen {

// Turns an uncompressed movie into its compressed form. The version and the FileLength
// of the header are kept; the bytes from offset 8 on are deflated at the given level.
Bytes Cws(const Bytes& fws, int level = 6);

// The zlib stream of a body alone, as the muted copy would find it after the header.
Bytes Deflate(const Bytes& data, int level = 6);

}  // namespace swfgen
