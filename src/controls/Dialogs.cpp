#include "controls/Dialogs.h"
#include "controls/MInput.h"
#include "controls/frmInputBox.h"
#include <shellapi.h>

namespace merilane {

int MsgBox(const std::wstring& text, UINT style, const std::wstring& title) {
    HWND owner = CForm::ModalOwner();
    // The box takes the focus, which must not wait on another program.
    SeparateForeignInput();
    return MessageBoxW(owner, text.c_str(), title.c_str(), style);
}

namespace {
std::function<intptr_t(const std::wstring&)>& Opener() {
    static std::function<intptr_t(const std::wstring&)> opener;
    return opener;
}
} // namespace

intptr_t ShellOpen(const std::wstring& address) {
    if (Opener())
        return Opener()(address);
    return reinterpret_cast<intptr_t>(
        ShellExecuteW(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

void SetShellOpener(std::function<intptr_t(const std::wstring&)> opener) {
    Opener() = std::move(opener);
}

std::optional<std::wstring> InputBox(const std::wstring& prompt, const std::wstring& title,
                                     const std::wstring& defaultText) {
    frmInputBox box(prompt, title, defaultText);
    box.ShowModal();
    auto answer = box.Answer();
    box.Unload();
    return answer;
}

} // namespace merilane
