// A string list item on a standard stream (test failure messages). A file of its own, so
// that only programs which print one link the standard streams and their locales.
#include <ostream>

#include "classlib/Classes.h"

std::ostream& operator<<(std::ostream& os, const TStrings::Ref& r) { return os << r.str(); }
