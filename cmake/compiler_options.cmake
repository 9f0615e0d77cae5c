# Warning, size and reproducibility options, kept per compiler so the same lists build with MSVC.

# Warnings for every target of ours, test programs included.
function(ormix_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive- /utf-8)
    if(ORMIX_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE /WX)
    endif()
    target_compile_definitions(${target} PRIVATE _CRT_SECURE_NO_WARNINGS)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wundef
      -Wcast-qual -Wformat=2 -Wnon-virtual-dtor -Wimplicit-fallthrough
      # __DATE__ and __TIME__ would make every build differ.
      -Wdate-time
      # Build paths must not end up in the binary.
      -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
    if(ORMIX_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
  if(WIN32)
    target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE
      _WIN32_WINNT=0x0A00)
  endif()
endfunction()

# The code that goes into the exe: the libraries as well as the entry point.
function(ormix_target_options target)
  ormix_warnings(${target})
  if(NOT MSVC)
    # It throws nothing and asks no type at run time; dropping both keeps the exe small. A
    # section per function lets the linker drop what is unused. No -fdata-sections: on PE targets
    # it moves zero-filled buffers out of .bss into .data, and so into the file.
    target_compile_options(${target} PRIVATE -Wold-style-cast -fno-exceptions -fno-rtti
      -fno-threadsafe-statics -ffunction-sections)
  endif()
endfunction()

# The shipped exe: small, static (imports only system DLLs), no exceptions or RTTI, the same bytes
# from every build of one commit, and a correct PE checksum.
function(ormix_launcher_options target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /GR- /EHs-c-)
    # /RELEASE writes the checksum.
    target_link_options(${target} PRIVATE /MANIFEST:NO /RELEASE)
    set_property(TARGET ${target} PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  else()
    # The process starts at LauncherEntry (src/launcher/main.cpp), without the C runtime's start-up
    # code: msvcrt.dll sets itself up when it loads, and the rest of that code (a second split of
    # the command line, a copy of the environment, thread-local storage, signal and floating-point
    # handlers) is work at every start for nothing the launcher uses, and some ten kilobytes.
    target_link_options(${target} PRIVATE -nostartfiles -Wl,-e,LauncherEntry -static
      -Wl,--no-insert-timestamp -Wl,--gc-sections $<$<NOT:$<CONFIG:Debug>>:-s>)
    # After the link, which also strips: the checksum covers the final bytes.
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/cmake/pe_checksum.py $<TARGET_FILE:${target}>
      VERBATIM)
    # A change to the step must reach the exe, so it relinks.
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/pe_checksum.py)
  endif()
endfunction()

# Native builds of the text core run it under sanitizers (the native-asan preset). Set for every
# target, GoogleTest included: a container overflow is only caught when both sides are instrumented.
set(ORMIX_SANITIZE "" CACHE STRING "Native builds: sanitizers for every target, e.g. address,undefined")
if(ORMIX_SANITIZE)
  if(MSVC)
    message(FATAL_ERROR "ORMIX_SANITIZE takes clang's and GCC's -fsanitize lists; not for MSVC")
  endif()
  add_compile_options(-fsanitize=${ORMIX_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${ORMIX_SANITIZE})
endif()

# Release builds optimise for size: the launcher runs once per start and should cost nothing.
if(WIN32 AND NOT MSVC)
  set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
  set(CMAKE_CXX_FLAGS_MINSIZEREL "-Os -DNDEBUG")
endif()
