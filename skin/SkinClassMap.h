// The class map: which kind of skin a control class unknown to the engine gets. Rows are
// "class name=kind"; the default rows name other vendors' control classes.
#pragma once

#include <string>

#include "classlib/Classes.h"

// Appends the default rows, in their order (three of them twice, as they always were).
void AddDefaultSkin3rd(TStrings& rows);

// The kind the first row starting with "<class name>=" gives (both without regard to case),
// lower-cased and at most 50 characters; false when no row names the class.
bool SkinKindOfClass(const TStrings& rows, const std::string& className, std::string& kind);
