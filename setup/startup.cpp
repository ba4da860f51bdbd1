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

// The text in the ANSI code page, when every character of it survives the round
// trip (a best-fit substitute such as 'a' for 'ā' names another file).
bool exact_ansi(const std::wstring& text, std::string& out)
{
    out.clear();
    if (text.empty())
        return true;
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return false;
    out.assign(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return ansi_to_wide(out) == text;
}

std::wstring short_path(const std::wstring& path)
{
    const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0)
        return {};
    std::wstring out(n, L'\0');
    const DWORD written = GetShortPathNameW(path.c_str(), out.data(), n);
    if (written == 0 || written >= n)
        return {};
    out.resize(written);
    return out;
}

std::wstring module_path()
{
    std::wstring path(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n < path.size() ? n : 0);
    return path;
}

} // namespace

SetupFolderChoice setup_folder_of(std::wstring_view module)
{
    const std::size_t cut = module.rfind(L'\\');
    const std::wstring folder(module.substr(0, cut == std::wstring_view::npos ? 0 : cut));
    SetupFolderChoice choice;
    if (!exact_ansi(folder, choice.folder)) {
        // A folder under a user name in another script (a Cyrillic or CJK
        // Downloads folder on a Western system): its short form holds only
        // characters the ANSI functions can take.
        const std::wstring short_form = short_path(folder);
        if (short_form.empty() || !exact_ansi(short_form, choice.folder))
            return {{}, {ERROR_NO_UNICODE_TRANSLATION, kStringPathTooLong, folder}};
    }
    // Every script name has the same length; the other paths setup builds
    // are checked where they are made.
    if (!path_fits(join({choice.folder, "\\", kScriptNt})))
        return {{}, {ERROR_FILENAME_EXCED_RANGE, kStringPathTooLong, folder}};
    return choice;
}

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
    // Before anything is started, so that no child inherits the marker.
    const bool started_by_launcher = take_launcher_marker();
    SetupConfig& c = config();
    c.role = role;
    evaluate_os_flags(c);
    copy_text(c.title_suffix, load_setup_string(kStringTitleSuffix));
    char folder[kTextCapacity] = {};
    const UINT system_length = GetSystemDirectoryA(folder, sizeof folder);
    copy_text(c.installation_folder, system_length < sizeof folder ? folder : "");
    const SetupFolderChoice setup_folder = setup_folder_of(module_path());
    copy_text(c.setup_folder, setup_folder.folder);
    choose_thread_locale(c.nt_family != 0);
    // The switches are recorded only after the script is read, but a silent
    // run must not wait for a person to close a box here either.
    if (setup_folder.failure)
        return report_failure(setup_folder.failure, parse_switches(command_line ? command_line : "").silent);

    if (!ReadSetupScript()) {
        show_warning(kStringUnsupportedSystem);
        return 0;
    }
    // The launcher has run them before it started this helper.
    RunFailure failure;
    if (!(role == Role::RegistryHelper && started_by_launcher))
        failure = RunPreRunPrograms();

    c.command_line = command_line ? command_line : "";
    const SwitchFlags flags = parse_switches(c.command_line);
    c.hidden = flags.hidden;
    c.silent = flags.silent;
    c.no_restart = flags.no_restart;
    if (failure)
        return report_failure(failure, c.silent != 0);

    register_main_window(instance);
    HWND window = create_main_window(instance);
    if (!window)
        return 0;
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    return run_message_loop();
}

} // namespace vx::setup
