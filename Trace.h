// The application's trace convention: an operation sends ">>" and its
// qualified name to the controller's sink on entry and "<<\n" on its normal
// exit. Lines are formatted into a 256-byte buffer first, as every caller does.
#pragma once

class MyObject;

namespace Trace {

// ">>%s" with the qualified name, e.g. "-[MyObject openDocument:]".
void enter(MyObject* sink, const char* qualifiedName);
// The constant exit line "<<\n".
void leave(MyObject* sink);
// Any other line, printf-shaped.
void line(MyObject* sink, const char* format, ...) __attribute__((format(printf, 2, 3)));

} // namespace Trace
