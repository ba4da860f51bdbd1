// Makes the version seam report a chosen Windows version for one scope.
#pragma once
#include <windows.h>

#include "platform/seam.h"
#include "platform/system_seam.h"

namespace vxtest {

class FakeVersion {
public:
    FakeVersion(DWORD platform, DWORD major, DWORD minor)
        : guard_(vx::platform::os().GetVersionExA, &FakeVersion::report)
    {
        current() = {platform, major, minor};
    }

private:
    struct Numbers {
        DWORD platform, major, minor;
    };
    static Numbers& current()
    {
        static Numbers n{};
        return n;
    }
    static BOOL WINAPI report(LPOSVERSIONINFOA info)
    {
        info->dwPlatformId = current().platform;
        info->dwMajorVersion = current().major;
        info->dwMinorVersion = current().minor;
        info->dwBuildNumber = 0;
        return TRUE;
    }
    vx::platform::SeamOverride<BOOL(WINAPI*)(LPOSVERSIONINFOA)> guard_;
};

} // namespace vxtest
