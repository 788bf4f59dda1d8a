// The Windows headers the window uses, without the macros that would rename the core's names
// (MessageBox is a class of the control interfaces, not MessageBoxW).
#pragma once

// windows.h first: the others build on it.
#include <windows.h>
//
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#undef MessageBox
