#include "osd_module.h"

namespace vx::osd {
namespace {
HMODULE g_module = nullptr;
}

void set_this_module(HMODULE module) { g_module = module; }

HMODULE this_module()
{
    if (!g_module) {
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&this_module), &g_module);
    }
    return g_module;
}

} // namespace vx::osd
