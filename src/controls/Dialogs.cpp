#include "controls/Dialogs.h"
#include "controls/MInput.h"
#include "controls/frmInputBox.h"

namespace merilane {

int MsgBox(const std::wstring& text, UINT style, const std::wstring& title) {
    HWND owner = CForm::ModalOwner();
    // The box takes the focus, which must not wait on another program.
    SeparateForeignInput(owner ? GetAncestor(owner, GA_ROOTOWNER) : nullptr);
    return MessageBoxW(owner, text.c_str(), title.c_str(), style);
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
