#include "ChildProcess.h"
#include "ContainerSession.h"
#include "TestSupport.h"
#include "app/Globals.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "controls/CTimer.h"
#include "controls/Dialogs.h"
#include "controls/Screen.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "app/frmAbout.h"
#include "app/frmIntro.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace merilane;
using namespace merilane::test;

namespace {

void Choose(const wchar_t* item) {
    SendMessageW(ContainerForm->ExistingHwnd(), WM_COMMAND, frmSSTab::MenuCommandId(item), 0);
}

// The addresses the program asked the shell to open, instead of opening them.
struct OpenedAddresses {
    std::vector<std::wstring> list;
    OpenedAddresses() {
        SetShellOpener([this](const std::wstring& address) {
            list.push_back(address);
            return intptr_t{42};
        });
    }
    ~OpenedAddresses() { SetShellOpener({}); }
};

const std::wstring kProductPageAddress = L"https://merilane.org/?q=purl";

} // namespace

TEST(MenuCommands, TabStylesFlipWithTheirMarksAndTheActiveTabStays) {
    ContainerSession session;
    auto fixture = CaptureFixture(L"Stays active");
    TabPtr active = Tabs->GetActiveTab();
    HWND strip = session.TabStrip();
    CMenuBar& menu = ContainerForm->Menu;
    struct Switch {
        const wchar_t* item;
        LONG style;
    };
    for (Switch s : {Switch{L"buttontabs", TCS_BUTTONS}, Switch{L"multirow", TCS_MULTILINE}}) {
        SCOPED_TRACE(std::string(s.item, s.item + wcslen(s.item)));
        bool before = menu.Checked(s.item);
        EXPECT_EQ((StyleOf(strip) & s.style) != 0, before);
        Choose(s.item);
        EXPECT_EQ(menu.Checked(s.item), !before);
        EXPECT_EQ((StyleOf(strip) & s.style) != 0, !before);
        EXPECT_EQ(Tabs->GetActiveTab(), active);
        Choose(s.item);
        EXPECT_EQ(menu.Checked(s.item), before);
        EXPECT_EQ((StyleOf(strip) & s.style) != 0, before);
        EXPECT_EQ(Tabs->GetActiveTab(), active);
    }
    EXPECT_TRUE(StyleOf(strip) & TCS_OWNERDRAWFIXED) << "still drawn by the program";
}

TEST(MenuCommands, CycleTabbingFlipsItsMarkAndNothingElse) {
    ContainerSession session;
    CMenuBar& menu = ContainerForm->Menu;
    EXPECT_TRUE(menu.Checked(L"roundRobin"));
    LONG style = StyleOf(session.TabStrip());
    int tabs = ContainerForm->TabStrip1.Count();
    TabPtr active = Tabs->GetActiveTab();
    std::wstring caption = WindowText(session.Container());
    Choose(L"roundRobin");
    EXPECT_FALSE(menu.Checked(L"roundRobin"));
    EXPECT_FALSE(ContainerForm->Cycling());
    Choose(L"roundRobin");
    EXPECT_TRUE(menu.Checked(L"roundRobin"));
    EXPECT_EQ(StyleOf(session.TabStrip()), style);
    EXPECT_EQ(ContainerForm->TabStrip1.Count(), tabs);
    EXPECT_EQ(Tabs->GetActiveTab(), active);
    EXPECT_EQ(WindowText(session.Container()), caption);
}

TEST(MenuCommands, EveryLinkOpensTheProductPageWithItsQuery) {
    ContainerSession session;
    OpenedAddresses opened;
    Choose(L"help_web");
    frmIntro& intro = *ContainerForm->IntroForm;
    SendMessageW(intro.ExistingHwnd(), WM_COMMAND, MAKEWPARAM(frmIntro::kBannerId, STN_CLICKED),
                 reinterpret_cast<LPARAM>(intro.Picture1));
    frmAbout about;
    bool looked = false;
    CTimer clicker(50, [&] {
        if (looked || !about.Visible())
            return;
        looked = true;
        EXPECT_EQ(WindowText(about.ExistingHwnd()), L"About Merilane");
        EXPECT_EQ(WindowText(about.lblVersion), L" Version 0.2.156");
        EXPECT_EQ(WindowText(about.lblTitle), L"Merilane");
        for (int id : {frmAbout::kTitleId, frmAbout::kUpdatesId})
            SendMessageW(about.ExistingHwnd(), WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), 0);
        PostMessageW(about.ExistingHwnd(), WM_COMMAND, IDOK, 0);
    });
    clicker.SetEnabled(true);
    about.ShowModal(session.Container());
    EXPECT_TRUE(looked);
    EXPECT_EQ(opened.list, std::vector<std::wstring>(4, kProductPageAddress));
}

TEST(MenuCommands, ShowMainMenuBringsTheIntroScreenBackAsANewTab) {
    ContainerSession session;
    ReleaseAllWindows(false);
    ASSERT_TRUE(WaitUntil([] { return ContainerForm->TabStrip1.Count() == 0; }, 3000));
    ASSERT_TRUE(WaitUntil([] { return !ContainerForm->IntroForm->IsLoaded(); }, 3000));
    Choose(L"intro");
    ASSERT_EQ(ContainerForm->TabStrip1.Count(), 1);
    HWND intro = ContainerForm->IntroForm->ExistingHwnd();
    EXPECT_TRUE(IsDescendantOf(intro, session.Container()));
    EXPECT_EQ(Tabs->GetActiveTab(), Tabs->GetTabByHwnd(intro));
    EXPECT_EQ(WindowText(intro), L"Main menu");
    // Its commands are there again, as controls.
    EXPECT_EQ(WindowText(ContainerForm->IntroForm->lblMenuItem[0]), L"Load new tab");
}

TEST(IntroScreen, CommandsTakeTheMouseAndTheKeyboardAndTheFrameFollowsTheForm) {
    int loads = 0, releases = 0, exits = 0;
    frmIntro intro({[&] { ++loads; }, [&] { ++releases; }, [&] { ++exits; }});
    HWND form = intro.hWnd();
    ShowWindow(form, SW_SHOW);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(WindowText(intro.lblMenuItem[i]), frmIntro::kCommands[i]);
    EXPECT_EQ(WindowText(intro.Label1[1]), L"Hold CTRL   + TAB down to go to next tab");

    // Clicks, as the static controls report them.
    SendMessageW(form, WM_COMMAND, MAKEWPARAM(frmIntro::kFirstCommandId + 1, STN_CLICKED),
                 reinterpret_cast<LPARAM>(intro.lblMenuItem[1]));
    EXPECT_EQ(releases, 0) << "a command runs after the click that chose it";
    EXPECT_TRUE(WaitUntil([&] { return releases == 1; }, 3000));
    // The keyboard: the first command takes the focus, the arrows move, Enter chooses.
    SetFocus(form);
    EXPECT_EQ(GetFocus(), intro.lblMenuItem[0]);
    SendMessageW(intro.lblMenuItem[0], WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(GetFocus(), intro.lblMenuItem[1]);
    SendMessageW(intro.lblMenuItem[1], WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(intro.lblMenuItem[2], WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitUntil([&] { return exits == 1; }, 3000));
    SendMessageW(intro.lblMenuItem[2], WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(GetFocus(), intro.lblMenuItem[0]) << "round again";
    SendMessageW(intro.lblMenuItem[0], WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(WaitUntil([&] { return loads == 1; }, 3000));

    // A command lights up under the mouse; over the frame they all rest again.
    COLORREF resting = intro.CommandColour(0);
    SendMessageW(intro.lblMenuItem[0], WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_NE(intro.CommandColour(0), resting);
    RECT frame{};
    GetWindowRect(intro.Frame1, &frame);
    MapWindowPoints(HWND_DESKTOP, form, reinterpret_cast<POINT*>(&frame), 2);
    SendMessageW(form, WM_MOUSEMOVE, 0, MAKELPARAM(frame.right - 2, frame.bottom - 2));
    EXPECT_EQ(intro.CommandColour(0), resting);

    // The frame is the form's width less 400 twips, and its height less 1300 twips once the
    // form is taller than that.
    auto frameSize = [&] {
        RECT r{};
        GetWindowRect(intro.Frame1, &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    };
    SetWindowPos(form, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(frameSize().cx, TwipsToPixelsX(PixelsToTwipsX(700, form) - 400, form));
    EXPECT_EQ(frameSize().cy, TwipsToPixelsY(PixelsToTwipsY(500, form) - 1300, form));
    int heightBefore = frameSize().cy;
    // The last whole pixel not past 1300 twips.
    int notTaller = static_cast<int>(1300 / TwipsPerPixelY(form));
    SetWindowPos(form, nullptr, 0, 0, 700, notTaller, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(frameSize().cy, heightBefore) << "a form no taller than 1300 twips leaves it";
    intro.Unload();
}
