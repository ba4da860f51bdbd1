#include "startup.h"

#include "core/locale_choice.h"
#include "main_window.h"
#include "platform/dialog_seam.h"
#include "programs.h"
#include "setup_script.h"
#include "core/switches.h"

namespace vx::setup {
namespace {

void show_warning(UINT text_id)
{
    const std::string caption = load_setup_string(kStringWarningCaption);
    const std::string text = load_setup_string(text_id);
    platform::dialogs().MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

} // namespace

void restrict_dll_search()
{
    // setup runs elevated, usually from a download folder full of other
    // people's files: a DLL that Windows or a component loads later by bare
    // name must come from the system folder, never from there. Windows 8
    // and Windows Vista/7 with the loader update have the call; older
    // systems keep their search order.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32");
    const auto restrict_to = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                          GetProcAddress(kernel, "SetDefaultDllDirectories")))
                                    : nullptr;
    if (restrict_to)
        restrict_to(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void choose_thread_locale(bool nt_family)
{
    if (!nt_family)
        return;
    const std::optional<std::uint16_t> wanted = thread_locale_to_set(GetThreadLocale());
    if (!wanted)
        return;
    if (!SetThreadLocale(MAKELCID(*wanted, SORT_DEFAULT)))
        SetThreadLocale(MAKELCID(kFallbackLocale, SORT_DEFAULT));
}

int run_setup(HINSTANCE instance, const char* command_line, Role role)
{
    restrict_dll_search();
    SetupConfig& c = config();
    c.role = role;
    evaluate_os_flags(c);
    copy_text(c.title_suffix, load_setup_string(kStringTitleSuffix));
    char folder[kTextCapacity] = {};
    const UINT system_length = GetSystemDirectoryA(folder, sizeof folder);
    copy_text(c.installation_folder, system_length < sizeof folder ? folder : "");
    char module[kTextCapacity] = {};
    const DWORD module_length = GetModuleFileNameA(nullptr, module, sizeof module);
    if (module_length > 0 && module_length < sizeof module) {
        char* last = nullptr;
        for (char* p = module; *p; ++p)
            if (*p == '\\')
                last = p;
        if (last)
            *last = '\0';
        copy_text(c.setup_folder, module);
    }
    choose_thread_locale(c.nt_family != 0);

    if (!ReadSetupScript()) {
        // An empty setup folder means the program's path did not fit the
        // record; say so rather than blame the Windows version.
        show_warning(c.setup_folder[0] ? kStringUnsupportedSystem : kStringPathTooLong);
        return 0;
    }
    // The launcher has run them before it started this helper.
    if (!(role == Role::RegistryHelper && started_by_launcher()))
        RunPreRunPrograms();

    c.command_line = command_line ? command_line : "";
    const SwitchFlags flags = parse_switches(c.command_line);
    c.hidden = flags.hidden;
    c.silent = flags.silent;
    c.no_restart = flags.no_restart;

    register_main_window(instance);
    HWND window = create_main_window(instance);
    if (!window)
        return 0;
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    return run_message_loop();
}

} // namespace vx::setup
