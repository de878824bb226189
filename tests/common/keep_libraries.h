// For the sanitizer build: GLFW closes the X display at glfwTerminate and the
// GL driver's modules are unloaded with it, after which LeakSanitizer cannot
// name the module of anything they leaked and no suppression can match it.
// Marking every module loaded so far as never-unloaded keeps their names; GL
// tests call this once a context exists (the driver is loaded by then).
#pragma once

#include <dlfcn.h>
#include <link.h>

inline void keepLoadedLibraries()
{
    dl_iterate_phdr([](dl_phdr_info *info, size_t, void *) {
        if (info->dlpi_name && info->dlpi_name[0]) {
            /* RTLD_NOLOAD finds the loaded module; RTLD_NODELETE pins it */
            if (void *handle = dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE))
                dlclose(handle);
        }
        return 0;
    }, nullptr);
}
