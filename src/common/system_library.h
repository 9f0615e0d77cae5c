// The launcher's DLL policy, in one place: what may be loaded by name, and from where.
//
// The launcher is started from Downloads folders and archive tools' temporary folders, where any
// file may lie beside it. A DLL outside Windows' KnownDLLs that the exe imports, or loads by bare
// name, is looked for in the exe's own folder first, so a planted urlmon.dll or comctl32.dll
// would run with the user's rights. Two rules close that: the search for DLLs loaded by name is
// narrowed to System32 before anything else happens, and the DLLs that only rare paths need are
// loaded here, at their point of use, from System32 alone.
//
// Rare paths are also why the import table names only KERNEL32 and the C runtime: USER32 (the
// message boxes and the progress window) and SHELL32 (the installer's start) are bound here when
// first needed. Loading them at every start would be most of what a launch costs.
#pragma once

#include <windows.h>

namespace ormix {

// Limits the search for every DLL loaded by name from now on (by the launcher, or by a system DLL
// on its behalf) to System32. Called first thing in the entry point.
void RestrictDllSearch();

// The DLL, loaded from System32 alone, or null. It stays loaded for the rest of the process:
// windows of comctl32's and USER32's classes and urlmon's helper threads outlive the calls that
// needed them.
HMODULE LoadSystemLibrary(const wchar_t* dll_name);

// The function, or null when the DLL or the function cannot be loaded from System32.
FARPROC LoadSystemProc(const wchar_t* dll_name, const char* function_name);

// A FARPROC as the function type it stands for. Through void (*)(): the one function-pointer type
// that converts to any other without a warning.
template <typename Function>
Function AsFunction(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

template <typename Function>
Function LoadSystemFunction(const wchar_t* dll_name, const char* function_name) {
  return AsFunction<Function>(LoadSystemProc(dll_name, function_name));
}

// A function of a DLL from LoadSystemLibrary, for callers that bind several of one DLL.
template <typename Function>
Function FindSystemFunction(HMODULE module, const char* function_name) {
  return AsFunction<Function>(GetProcAddress(module, function_name));
}

}  // namespace ormix
