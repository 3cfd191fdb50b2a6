// plat_gl_pin on the desktop: keeps the system's OpenGL driver modules loaded to the end.
#include "platform/plat_gl.h"

#include <cstring>
#include <dlfcn.h>
#include <link.h>

namespace {

// Keeps the OpenGL driver modules loaded until the process ends. The drivers keep some memory
// for the life of the process; once unloaded at shut-down, leak checkers can no longer name them
// and report that memory as ours.
int pin_driver(struct dl_phdr_info *info, size_t, void *)
{
    const char *name = info->dlpi_name;
    static const char *const drivers[] = {"_dri.so", "libLLVM", "_mesa.so", "libglapi", "libgallium"};
    bool driver = false;
    for (const char *d : drivers) driver = driver || (name && std::strstr(name, d));
    if (driver) {
        void *handle = dlopen(name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
        if (handle) dlclose(handle);
    }
    return 0;
}

} // namespace

void plat_gl_drivers_pin()
{
    dl_iterate_phdr(pin_driver, nullptr);
}
