// For windowed programs: an exception nothing caught ends the program at once. The C++
// library's default handler would print the exception's name to a console these programs
// do not have, and brings its symbol demangler along (tens of KB in every program). Linked
// as an object by the programs that want it, so it takes the default's place.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
