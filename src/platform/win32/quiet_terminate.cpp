// The end of a Windows program that lets an exception escape. The C++ runtime's default names the
// exception's type on standard error, which a windowed program seldom has, and for that links a
// demangler and a formatted-output library: a tenth of the program. This one ends it as that one
// does after its message, by abort(). Linked into each Windows program as an object of its own, so
// the runtime's definition is never pulled from its library.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
