// The portable half of the helper routines: the Windows version code decided
// from the numbers the system reports, so the rule can be checked anywhere.
#pragma once

#include <cstdint>

// Version codes: 0 older or unknown, 1 NT 4, 2 95, 3 95 OSR2, 4 98, 5 98 SE,
// 6 2000 (and 6.0), 7 Me, 8 XP and later.
inline int WinVersionCode(bool ntPlatform, uint32_t major, uint32_t minor, uint32_t build) {
    if (major >= 5) return minor >= 1 ? 8 : 6;
    if (major < 4) return 0;
    if (ntPlatform) return 1;
    // 9x keeps other data in the high word of the build number.
    const uint32_t b = build & 0xFFFFu;
    if (minor >= 90) return 7;
    if (minor >= 10) return b >= 2222 ? 5 : 4;
    return b >= 1000 ? 3 : 2;
}
