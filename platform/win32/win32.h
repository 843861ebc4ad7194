// The Windows headers as every file of the shell includes them. LoadLibrary is
// a macro there; the core's password interface has a method of that name.
#pragma once

#include <windows.h>
#undef LoadLibrary
