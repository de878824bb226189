// Compiler- and system-specific spellings, kept here so that the rest of the
// code builds unchanged with GCC, Clang and MSVC.
#pragma once

// Marks a function the plug-in library exports to its host. On Windows the
// export list is also given to the linker (host/Quorvel.def).
#if defined(_WIN32)
#define QV_EXPORT __declspec(dllexport)
#else
#define QV_EXPORT __attribute__((visibility("default")))
#endif
