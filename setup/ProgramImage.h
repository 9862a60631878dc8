// Where the program image at the head of an installer ends: what lies behind
// it is the package. Portable, so that it can be fuzzed with the package reader.
#pragma once

#include <cstdint>

#include "classlib/Classes.h"

// The end of a Windows program image (headers, sections, symbols, the
// certificate table) at the start of the stream; 0 when the stream does not
// start with one. Reads only inside the stream.
uint64_t ProgramImageEnd(TStream& s);
