// Functions of system DLLs that are not on Windows' KnownDLLs list, loaded at their point of use.
//
// A DLL outside KnownDLLs that the exe imports, or loads by bare name, is looked for in the exe's
// own folder first. The launcher usually runs from a Downloads folder, where a planted urlmon.dll
// or comctl32.dll would then run with the user's rights. Loading from System32 alone closes that.
#pragma once

#include <windows.h>

namespace ormix {

// The function, or null when the DLL or the function cannot be loaded. The DLL stays loaded for
// the rest of the process: windows of comctl32's classes and urlmon's helper threads outlive the
// calls that needed them.
FARPROC LoadSystemProc(const wchar_t* dll_name, const char* function_name);

template <typename Function>
Function LoadSystemFunction(const wchar_t* dll_name, const char* function_name) {
  // Through void (*)(): the one function-pointer type that converts to any other without a
  // warning, which is what GetProcAddress's FARPROC stands for.
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(LoadSystemProc(dll_name, function_name)));
}

}  // namespace ormix
