#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/shell.h"
#include "platform/wide_text.h"

namespace platform {
namespace {

class ShellExecuteShell final : public Shell {
public:
    int Open(const std::string& target) override {
        // ShellExecuteW gives a value above 32 on success and otherwise the codes kShell*
        // stand for.
        const auto result = reinterpret_cast<INT_PTR>(::ShellExecuteW(
            nullptr, L"open", WideFromUtf8(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return result > 32 ? kShellOk : static_cast<int>(result);
    }
};

}  // namespace

Shell& DesktopShell() {
    static ShellExecuteShell shell;
    return shell;
}

}  // namespace platform
