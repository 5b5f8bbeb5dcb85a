#include "tabs/CIcon.h"

namespace merilane {

HICON CIcon::GetWindowIconHandle(HWND window, int type) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, WM_GETICON, static_cast<WPARAM>(type), 0, SMTO_ABORTIFHUNG,
                             kIconQueryTimeoutMs, &answer))
        answer = 0;
    if (answer)
        return reinterpret_cast<HICON>(answer);
    if (auto cls = GetClassLongPtrW(window, type == ICON_BIG ? GCLP_HICON : GCLP_HICONSM))
        return reinterpret_cast<HICON>(cls);
    return LoadIconW(nullptr, type == ICON_BIG ? IDI_WINLOGO : IDI_APPLICATION);
}

} // namespace merilane
