#pragma once
// The builder's stored skin read into a skin data component as a form file holds it: the
// package behind its length. The including target defines DP_BUILDER_SKIN_PACKAGE.

#include <cstdint>

#include "classlib/Classes.h"
#include "skin/TinselData.h"

namespace skinform {

inline void ReadBuilderSkin(TSkinData* data) {
    TMemoryStream file;
    file.LoadFromFile(DP_BUILDER_SKIN_PACKAGE);
    TMemoryStream s;
    s.WriteI32(static_cast<int32_t>(file.Size()));
    s.CopyFrom(file, 0);
    s.SetPosition(0);
    data->ReadStream(s);
}

}  // namespace skinform
