#include "controls/CIcon.h"
#include "controls/Ask.h"
#include "controls/Handles.h"
#include <algorithm>
#include <vector>

namespace merilane {
namespace {

// Icons of ours that a window class holds until someone replaces them.
std::vector<OwnedIcon>& HandedOver() {
    static std::vector<OwnedIcon> icons;
    return icons;
}

// The icon the window had before, as it answers; null when it does not answer in time.
HICON SendSetIcon(HWND target, int type, HICON icon) {
    auto previous = Ask(target, WM_SETICON, static_cast<WPARAM>(type),
                        reinterpret_cast<LPARAM>(icon), Wait::SetIcon);
    return previous ? reinterpret_cast<HICON>(*previous) : nullptr;
}

// An icon of ours that a window no longer shows is destroyed; anybody else's is left alone.
void DropIfHandedOver(HICON replaced, HICON kept) {
    if (!replaced || replaced == kept)
        return;
    auto& ours = HandedOver();
    auto it = std::find_if(ours.begin(), ours.end(),
                           [&](const OwnedIcon& o) { return o.get() == replaced; });
    if (it != ours.end())
        ours.erase(it); // destroys it
}

} // namespace

HICON CIcon::GetWindowIconHandle(HWND window, int type) {
    LRESULT answer = Ask(window, WM_GETICON, static_cast<WPARAM>(type), 0, Wait::Icon).value_or(0);
    if (answer)
        return reinterpret_cast<HICON>(answer);
    if (auto cls = GetClassLongPtrW(window, type == ICON_BIG ? GCLP_HICON : GCLP_HICONSM))
        return reinterpret_cast<HICON>(cls);
    return LoadIconW(nullptr, type == ICON_BIG ? IDI_WINLOGO : IDI_APPLICATION);
}

HWND CIcon::TopOfOwnerChain(HWND window) {
    HWND top = nullptr;
    for (HWND next = window; !IsNoWindow(next);
         next = reinterpret_cast<HWND>(GetWindowLongPtrW(next, GWLP_HWNDPARENT)))
        top = next;
    return top;
}

HICON CIcon::SetWindowIcon(HWND window, HICON icon, int type, bool ownerChain) {
    HWND target = ownerChain ? TopOfOwnerChain(window) : window;
    HICON replaced = nullptr;
    if (type == ICON_BIG) {
        // A big icon lives only on the window, which names the one it gave up.
        if (target)
            DropIfHandedOver(SendSetIcon(target, ICON_BIG, icon), icon);
    } else if (type == ICON_SMALL) {
        SendSetIcon(window, ICON_SMALL, icon);
        if (target)
            replaced = reinterpret_cast<HICON>(
                SetClassLongPtrW(target, GCLP_HICONSM, reinterpret_cast<LONG_PTR>(icon)));
    }
    DropIfHandedOver(replaced, icon);
    return replaced;
}

HICON CIcon::SetWindowIcon(HWND window, OwnedIcon icon, int type, bool ownerChain) {
    HICON handle = icon.get();
    HandedOver().push_back(std::move(icon));
    return SetWindowIcon(window, handle, type, ownerChain);
}

int CIcon::IconsHandedOver() noexcept {
    return static_cast<int>(HandedOver().size());
}

CPicture CIcon::IconHandleToPicture(HICON icon) {
    return icon ? CPicture::Owning(icon) : CPicture();
}

CPicture CIcon::CreatePicture(HANDLE image, int type, long, long) {
    if (!image || type != CPicture::kTypeIcon)
        return CPicture();
    return CPicture::Borrowing(static_cast<HICON>(image));
}

void CIcon::DrawImage(HDC dc, HICON icon) {
    DrawIcon(dc, 0, 0, icon);
}

} // namespace merilane
