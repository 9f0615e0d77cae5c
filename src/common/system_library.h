// The launcher's DLL policy, in one place: what may be loaded by name, and from where.
//
// The launcher is started from Downloads folders and archive tools' temporary folders, where any
// file may lie beside it. A DLL outside Windows' KnownDLLs that the exe imports, or loads by bare
// name, is looked for in the exe's own folder first, so a planted urlmon.dll or comctl32.dll
// would run with the user's rights. Two rules close that: the search for DLLs loaded by name is
// narrowed to System32 before anything else happens, and the DLLs that only rare paths need are
// loaded here, at their point of use, from System32 alone.
#pragma once

#include <windows.h>

namespace ormix {

// Limits the search for every DLL loaded by name from now on (by the launcher, or by a system DLL
// on its behalf) to System32. Called first thing in the entry point.
void RestrictDllSearch();

// The function, or null when the DLL or the function cannot be loaded from System32. The DLL
// stays loaded for the rest of the process: windows of comctl32's classes and urlmon's helper
// threads outlive the calls that needed them.
FARPROC LoadSystemProc(const wchar_t* dll_name, const char* function_name);

template <typename Function>
Function LoadSystemFunction(const wchar_t* dll_name, const char* function_name) {
  // Through void (*)(): the one function-pointer type that converts to any other without a
  // warning, which is what GetProcAddress's FARPROC stands for.
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(LoadSystemProc(dll_name, function_name)));
}

}  // namespace ormix
