// What an uncaught exception does in the shipped program.
//
// No exception is meant to reach this point: every message handler catches
// and reports (ui/win32/window.*). Should one escape all the same, the
// standard library's default handler would print the exception's type name to
// standard error before aborting, and to print it, it links in a C++ name
// demangler of about 46 KB. A GUI program has no standard error for that text
// to reach, so this handler only aborts, as the default one ends after its
// message. The test programs keep the default handler.
#include <cstdlib>

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif
