#include "app/MHiddenCommands.h"
#include "app/Globals.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "selection/frmTabProp.h"
#include "tabs/CSSTab.h"
#include "app/frmKeyMappings.h"
#include <commdlg.h>
#include <memory>

namespace merilane {
namespace {

IconPicker& Picker() {
    static IconPicker picker;
    return picker;
}

// The shell exports its icon picker only by ordinal.
bool ShellPickIcon(HWND owner, std::wstring& path, int& index) {
    using PickIconDlgFn = int(WINAPI*)(HWND, PWSTR, UINT, int*);
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    if (!shell)
        shell = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    auto pick = reinterpret_cast<PickIconDlgFn>(
        reinterpret_cast<void*>(GetProcAddress(shell, MAKEINTRESOURCEA(62))));
    if (!pick)
        return false;
    wchar_t buffer[MAX_PATH] = {};
    if (!pick(owner, buffer, MAX_PATH, &index))
        return false;
    path = buffer;
    return true;
}

void RepaintTabs() {
    if (ContainerForm)
        ContainerForm->TabStrip1.Refresh();
}

} // namespace

void SetIconPicker(IconPicker picker) {
    Picker() = std::move(picker);
}

bool PickIcon(HWND owner, std::wstring& path, int& index) {
    return Picker() ? Picker()(owner, path, index) : ShellPickIcon(owner, path, index);
}

void ShowDebugProperties() {
    TabPropActions actions;
    actions.ActiveWindow = [] { return Tabs ? Tabs->GetActiveChildWindow() : nullptr; };
    actions.ReleaseWindow = [](HWND hwnd, HWND newParent, UINT state, bool removeTab) {
        ReleaseWindow(hwnd, newParent, state, removeTab);
    };
    actions.CaptureWindow = [](HWND hwnd) { CaptureWindow(hwnd); };
    frmTabProp dialog(std::move(actions));
    dialog.ShowModal(ContainerForm ? ContainerForm->ExistingHwnd() : nullptr);
    dialog.Unload();
    RefocusActiveTab();
}

void ShowKeyMappings() {
    static std::unique_ptr<frmKeyMappings> dialog;
    if (!dialog)
        dialog = std::make_unique<frmKeyMappings>();
    dialog->ShowModal(ContainerForm ? ContainerForm->ExistingHwnd() : nullptr);
}

void PickFont() {
    LOGFONTW font{};
    CHOOSEFONTW choice{sizeof(choice)};
    choice.hwndOwner = ContainerForm ? ContainerForm->ExistingHwnd() : nullptr;
    choice.lpLogFont = &font;
    choice.Flags = CF_SCREENFONTS;
    ChooseFontW(&choice);
    RepaintTabs();
    RefocusActiveTab();
}

void PickColor(COLORREF& colour) {
    static COLORREF custom[16] = {};
    CHOOSECOLORW choice{sizeof(choice)};
    choice.hwndOwner = ContainerForm ? ContainerForm->ExistingHwnd() : nullptr;
    choice.rgbResult = colour;
    choice.lpCustColors = custom;
    choice.Flags = CC_RGBINIT;
    if (ChooseColorW(&choice))
        colour = choice.rgbResult;
    RepaintTabs();
    RefocusActiveTab();
}

} // namespace merilane
