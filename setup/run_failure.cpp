#include "run_failure.h"

#include "platform/dialog_seam.h"
#include "setup_config.h"

namespace vx::setup {

std::wstring ansi_to_wide(std::string_view text)
{
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(n > 0 ? static_cast<std::size_t>(n) : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

RunFailure path_too_long(std::string_view path)
{
    return {ERROR_FILENAME_EXCED_RANGE, kStringPathTooLong, ansi_to_wide(path)};
}

RunFailure program_not_started(std::string_view program, DWORD error)
{
    // Deployment tools read these as a successful installation.
    if (error == ERROR_SUCCESS || error == ERROR_SUCCESS_REBOOT_REQUIRED || error == ERROR_SUCCESS_REBOOT_INITIATED)
        error = ERROR_INSTALL_FAILURE;
    return {error, kStringNotStarted, ansi_to_wide(program)};
}

int report_failure(const RunFailure& failure, bool silent)
{
    if (!silent) {
        std::wstring text = ansi_to_wide(load_setup_string(failure.text_id));
        if (!failure.subject.empty())
            text += L"\r\n\r\n" + failure.subject;
        const std::wstring caption = ansi_to_wide(load_setup_string(kStringWarningCaption));
        platform::dialogs().MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK);
    }
    return static_cast<int>(failure.code);
}

} // namespace vx::setup
