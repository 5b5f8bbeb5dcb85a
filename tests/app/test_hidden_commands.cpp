#include "ChildProcess.h"
#include "ContainerSession.h"
#include "TestSupport.h"
#include "app/CommandIds.h"
#include "app/Globals.h"
#include "app/MHiddenCommands.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "controls/CIcon.h"
#include "controls/CTimer.h"
#include "controls/UniqueOwner.h"
#include "tabs/CSSTab.h"
#include "tabs/MTabDraw.h"
#include "window/MKeyboard.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <functional>
#include <string>

using namespace merilane;
using namespace merilane::test;

namespace {

void Send(CommandId id) {
    SendMessageW(ContainerForm->ExistingHwnd(), WM_COMMAND, id, 0);
}

// Acts on a window of this program once it shows, from inside whatever modal loop shows it.
struct WhenShown {
    const wchar_t* className;
    std::function<void(HWND)> act;
    bool acted = false;
    CTimer watcher{50, [this] {
                       HWND hwnd = FindWindowW(className, nullptr);
                       if (acted || !hwnd || !IsWindowVisible(hwnd))
                           return;
                       acted = true;
                       act(hwnd);
                   }};
    WhenShown(const wchar_t* cls, std::function<void(HWND)> a) : className(cls), act(std::move(a)) {
        watcher.SetEnabled(true);
    }
};

HICON ContainerIcon(int type) {
    DWORD_PTR icon = 0;
    SendMessageTimeoutW(ContainerForm->ExistingHwnd(), WM_GETICON, type, 0, SMTO_ABORTIFHUNG, 1000,
                        &icon);
    return reinterpret_cast<HICON>(icon);
}

// The shell's picker, as if the user chose the first icon of this very program.
bool PickOwnIcon(HWND, std::wstring& path, int& index) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    path = self;
    index = 0;
    return true;
}

} // namespace

TEST(HiddenCommands, StayHiddenButAnswerTheirStableIds) {
    ContainerSession session;
    struct Item {
        const wchar_t* name;
        CommandId id;
    };
    for (Item item :
         {Item{L"debug", kCmdDebug}, Item{L"keybinding", kCmdKeybinding},
          Item{L"font_activeTab", kCmdFontActiveTab},
          Item{L"aciveTabBackground", kCmdAciveTabBackground},
          Item{L"inActiveBackgroundColor", kCmdInActiveBackgroundColor},
          Item{L"colors_default", kCmdColorsDefault}, Item{L"change_icon", kCmdChangeIcon},
          Item{L"taskbar_changeicon", kCmdTaskbarChangeicon},
          Item{L"alttab_overlap", kCmdAlttabOverlap}, Item{L"switch", kCmdSwitch},
          Item{L"help_about", kCmdHelpAbout}, Item{L"new", kCmdNew}})
        EXPECT_EQ(frmSSTab::MenuCommandId(item.name), static_cast<UINT>(item.id));
    for (const wchar_t* hidden :
         {L"debug", L"keybinding", L"fonts", L"colors", L"icons", L"switch"})
        EXPECT_FALSE(ContainerForm->Menu.Visible(hidden));

    // "Reset to default", sent by its id, restores the colours and the tabs show them.
    ActiveTabBackColor = InactiveTabBackColor = ActiveTabForeColor = InactiveTabForeColor =
        RGB(1, 2, 3);
    Send(kCmdColorsDefault);
    EXPECT_EQ(ActiveTabBackColor, 0xE6FFFFu);
    EXPECT_EQ(InactiveTabBackColor, 0xCFCFCFu);
    EXPECT_EQ(ActiveTabForeColor, 0u);
    EXPECT_EQ(InactiveTabForeColor, 0u);
    RECT item{};
    HWND strip = session.TabStrip();
    SendMessageW(strip, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    SetForegroundWindow(session.Container());
    POINT at{item.right - 4, (item.top + item.bottom) / 2};
    ClientToScreen(strip, &at);
    EXPECT_TRUE(WaitUntil(
        [&] {
            HDC screen = GetDC(nullptr);
            COLORREF c = GetPixel(screen, at.x, at.y);
            ReleaseDC(nullptr, screen);
            return c == RGB(255, 255, 230);
        },
        3000));

    // The marks that activation reads flip and nothing else.
    Send(kCmdAlttabUseActiveTabIcon);
    Send(kCmdTaskbarUseActiveTabIcon);
    EXPECT_TRUE(ContainerForm->UseActiveTabIconForAltTab());
    EXPECT_TRUE(ContainerForm->UseActiveTabIconForTaskbar());
    Send(kCmdAlttabUseActiveTabIcon);
    EXPECT_FALSE(ContainerForm->UseActiveTabIconForAltTab());
}

TEST(HiddenCommands, ACancelledColourDialogKeepsTheColour) {
    ContainerSession session;
    COLORREF before = InactiveTabBackColor;
    bool shown = false;
    WhenShown dialog(L"#32770", [&](HWND box) {
        shown = true;
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    });
    Send(kCmdInActiveBackgroundColor);
    EXPECT_TRUE(shown);
    EXPECT_EQ(InactiveTabBackColor, before);
}

TEST(HiddenCommands, TheIconPickerCancelledChangesNothingAndAChosenIconReachesTheContainer) {
    ContainerSession session;
    HICON bigBefore = ContainerIcon(ICON_BIG), smallBefore = ContainerIcon(ICON_SMALL);
    int graphics = OwnedGraphicsAlive();

    SetIconPicker([](HWND, std::wstring&, int&) { return false; });
    IconPair none = ContainerForm->ChangeIconDialog();
    EXPECT_FALSE(none);
    // The picker is framed by the timers' pause and their start, whatever they were before.
    EXPECT_TRUE(ContainerForm->Timer1.Enabled());
    ContainerForm->DisableTimers();
    Send(kCmdChangeIcon);
    ContainerForm->DisableTimers();
    EXPECT_EQ(ContainerIcon(ICON_BIG), bigBefore);
    EXPECT_EQ(OwnedGraphicsAlive(), graphics);

    // The timers pause around the picker and come back after it.
    ContainerForm->EnableTimers();
    bool pausedWhilePicking = false;
    SetIconPicker([&](HWND, std::wstring& path, int& index) {
        pausedWhilePicking = !ContainerForm->Timer1.Enabled() && !ContainerForm->Timer2.Enabled();
        return PickOwnIcon(nullptr, path, index);
    });
    IconPair chosen = ContainerForm->ChangeIconDialog();
    EXPECT_TRUE(chosen);
    EXPECT_TRUE(pausedWhilePicking);
    EXPECT_TRUE(ContainerForm->Timer1.Enabled() && ContainerForm->Timer2.Enabled());
    ContainerForm->DisableTimers();
    chosen = IconPair{};

    // "Customize icon" of the alt-tab group: the big icon at once, the small one on Yes.
    {
        BoxAnswerer no(L"Icon management", IDNO);
        Send(kCmdChangeIcon);
        EXPECT_TRUE(no.Answered());
        EXPECT_EQ(no.Text(), L"This changes the alt-tab icon, would you also like to use this "
                             L"icon for the taskbar ?");
    }
    EXPECT_NE(ContainerIcon(ICON_BIG), bigBefore);
    EXPECT_EQ(ContainerIcon(ICON_SMALL), smallBefore);
    {
        BoxAnswerer yes(L"Icon management", IDYES);
        Send(kCmdTaskbarChangeicon);
        EXPECT_TRUE(yes.Answered());
        EXPECT_EQ(yes.Text(), L"This changes the taskbar icon, would you also like to use this "
                              L"icon for the alt-tab?");
    }
    EXPECT_NE(ContainerIcon(ICON_SMALL), smallBefore);
    // Each icon handed over is freed once another takes its place: the big ones too.
    int handedOver = CIcon::IconsHandedOver();
    {
        BoxAnswerer no(L"Icon management", IDNO);
        Send(kCmdChangeIcon);
    }
    EXPECT_EQ(CIcon::IconsHandedOver(), handedOver);
    SetIconPicker({});
}

TEST(HiddenCommands, KeyMappingsBindCtrlKAndTheDialogsOpenAndClose) {
    ContainerSession session;
    InitKeyMap();
    {
        WhenShown mappings(L"MerilaneKeyMappings",
                           [](HWND form) { PostMessageW(form, WM_COMMAND, IDOK, 0); });
        BoxAnswerer box(L"Merilane", IDOK);
        Send(kCmdKeybinding);
        EXPECT_TRUE(mappings.acted);
        EXPECT_TRUE(box.Answered());
    }
    ASSERT_EQ(KeyMap.size(), 1u);
    EXPECT_EQ(KeyMap[0].first, static_cast<DWORD>('K'));
    EXPECT_EQ(KeyMap[0].second, L"NEW");

    bool overlapMark = ContainerForm->Menu.Checked(L"alttab_overlap");
    {
        WhenShown overlap(L"MerilaneIconOverlap",
                          [](HWND form) { PostMessageW(form, WM_CLOSE, 0, 0); });
        Send(kCmdAlttabOverlap);
        EXPECT_TRUE(overlap.acted);
    }
    EXPECT_NE(ContainerForm->Menu.Checked(L"alttab_overlap"), overlapMark);

    auto fixture = CaptureFixture(L"Described");
    HWND hwnd = fixture.hwnd;
    std::wstring title;
    {
        WhenShown properties(L"MerilaneTabProp", [&](HWND form) {
            title = WindowText(form);
            PostMessageW(form, WM_COMMAND, IDCANCEL, 0);
        });
        Send(kCmdDebug);
        EXPECT_TRUE(properties.acted);
    }
    EXPECT_EQ(title, L"Properties Described");
    EXPECT_NE(Tabs->GetTabByHwnd(hwnd), nullptr);
}
