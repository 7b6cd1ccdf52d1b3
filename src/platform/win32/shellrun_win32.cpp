#include "platform/shellrun.h"
#include "platform/shellrunerror.h"
#include "widetext.h"

#include <windows.h>

#include <shellapi.h>

namespace platform {

void ShellRunHidden(const std::string& file, const std::string& workingDir) {
    ::SetLastError(ERROR_SUCCESS);
    const auto result =
        reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", win32::WideFromUtf8(file).c_str(),
                                                  nullptr, win32::WideFromUtf8(workingDir).c_str(), SW_HIDE));
    // Values up to 32 are failures; the last error tells more than the shell's own small codes
    // (SE_ERR_NOASSOC and the like), which are not system error numbers.
    if (result <= 32) {
        const DWORD error = ::GetLastError();
        throw ShellRunError(file,
                            error != ERROR_SUCCESS ? static_cast<int>(error) : static_cast<int>(result));
    }
}

} // namespace platform
