// The container's tab keys and its "Go to tab" box.
#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/frmGoToTab.h"
#include "app/frmIntro.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "window/CWindow.h"
#include "window/mExecutableName.h"

namespace merilane {
namespace {

// The box while it is open: the key pressed again brings it forward instead of a second one.
frmGoToTab* g_openBox = nullptr;

constexpr const wchar_t* kTabKeyItems[kTabKeysCount] = {
    L"tabKeys_standard", L"tabKeys_controlShift", L"tabKeys_controlAlt"};

} // namespace

void frmSSTab::SetTabKeys(TabKeys keys) {
    int chosen = static_cast<int>(keys);
    if (chosen < 0 || chosen >= kTabKeysCount)
        keys = TabKeys::Standard, chosen = 0;
    TabKeysInForce = keys;
    for (int i = 0; i < kTabKeysCount; ++i)
        Menu.SetChecked(kTabKeyItems[i], i == chosen);
    if (IntroForm && IntroForm->IsLoaded())
        IntroForm->ShowTabKeys(TextsOf(keys));
}

std::vector<TabRow> frmSSTab::GoToTabRows() const {
    std::vector<TabRow> rows;
    for (const TabPtr& tab : TabStrip1.Tabs()) {
        TabRow row;
        row.window = tab->Tag();
        if (IsIntroScreen(row.window)) {
            row.text = frmIntro::kCaption;
        } else {
            // Titles are what the system keeps for the windows: reading them never waits on a
            // program, hung or not.
            auto window = CapturedWindows ? CapturedWindows->item(row.window) : nullptr;
            row.text = window ? window->ReplacedCaption(0) : tab->Caption();
            if (IsWindow(row.window))
                row.title = CWindow::GetWindowCaptionText(row.window);
            if (window)
                row.executable = FileNameOfPath(window->ExecutableName());
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void frmSSTab::ShowGoToTab() {
    if (g_openBox) {
        SetForegroundWindow(g_openBox->hWnd());
        return;
    }
    TabPtr active = Tabs ? Tabs->GetActiveTab() : nullptr;
    frmGoToTab box(
        ExistingHwnd(),
        [] { return ContainerForm ? ContainerForm->GoToTabRows() : std::vector<TabRow>{}; },
        active ? active->Tag() : nullptr);
    struct Open {
        explicit Open(frmGoToTab& box) { g_openBox = &box; }
        ~Open() { g_openBox = nullptr; }
    } open(box);
    {
        // The tabs go on living while the user types: windows close, titles change.
        CommandPause pause;
        box.ShowModal(ExistingHwnd());
    }
    HWND chosen = box.Chosen();
    box.Unload();
    // The chosen tab may have gone since: then nothing is selected, as the box said.
    TabPtr tab = chosen && Tabs ? Tabs->GetTabByHwnd(chosen) : nullptr;
    if (tab)
        Tabs->ActivateTab(tab, true);
    else
        merilane::RefocusActiveTab();
}

} // namespace merilane
