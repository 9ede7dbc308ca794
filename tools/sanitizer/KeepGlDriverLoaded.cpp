// Linked into the sanitizer build only. Mesa unloads its software GL driver before LeakSanitizer
// runs at exit, so the driver's own allocations are then reported without a module name and no
// suppression can name them. Loading the driver once more with RTLD_NODELETE keeps it mapped,
// its name stays in the reports, and tools/lsan.supp can suppress it like the other GL libraries.

#include <dlfcn.h>

namespace
{

struct KeepGlDriverLoaded
{
    KeepGlDriverLoaded()
    {
        const char* const candidates[] = {
            "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
            "/usr/lib/aarch64-linux-gnu/dri/swrast_dri.so",
            "/usr/lib/dri/swrast_dri.so",
        };
        for (const char* path : candidates)
        {
            if (dlopen(path, RTLD_LAZY | RTLD_GLOBAL | RTLD_NODELETE) != nullptr)
                return;
        }
    }
};

const KeepGlDriverLoaded keepGlDriverLoaded;

} // namespace
