#include "controls/Ask.h"

namespace merilane {

std::optional<LRESULT> Ask(HWND window, UINT msg, WPARAM wp, LPARAM lp, UINT boundMs) noexcept {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, msg, wp, lp, SMTO_ABORTIFHUNG, boundMs, &answer))
        return std::nullopt;
    return static_cast<LRESULT>(answer);
}

} // namespace merilane
