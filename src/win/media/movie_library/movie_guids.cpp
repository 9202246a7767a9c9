// The one place that defines the movie library's identifiers the program uses (interfaces,
// attributes, formats): nothing of the library is linked in. Only its own headers are
// included here, so no other component's identifiers are defined twice.
#include <initguid.h>

#include <windows.h>

#include <mfapi.h>
#include <mfidl.h>
#include <mfreadwrite.h>
