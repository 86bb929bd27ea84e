// A library of the tests' own for the binder: one function exported by ordinal only, one by
// name.
#include <windows.h>

extern "C" int WINAPI OrdinalTwelve(int x) { return x * 2 + 12; }
extern "C" int WINAPI NamedAnswer() { return 42; }
