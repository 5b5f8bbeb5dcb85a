#include "ChildProcess.h"
#include "ContainerSession.h"
#include "TestSupport.h"
#include "ThreadWindow.h"
#include "app/Globals.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "controls/UniqueOwner.h"
#include "controls/CIcon.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "window/CWindow.h"
#include <gtest/gtest.h>

using namespace merilane;
using namespace merilane::test;

namespace {

HICON SolidIcon(COLORREF color, int size = 16) {
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateCompatibleBitmap(screen, size, size);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, colour);
    HBRUSH brush = CreateSolidBrush(color);
    RECT r{0, 0, size, size};
    FillRect(dc, &r, brush);
    SelectObject(dc, old);
    DeleteObject(brush);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    return icon;
}

bool IconAlive(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

HICON AskedIcon(HWND hwnd, int type) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(hwnd, WM_GETICON, type, 0, SMTO_ABORTIFHUNG, 1000, &answer);
    return reinterpret_cast<HICON>(answer);
}

} // namespace

TEST(WindowIcons, WindowIconFirstThenClassIconThenTheSystemsOwn) {
    OwnedIcon windowIcon(SolidIcon(RGB(255, 0, 0))), classIcon(SolidIcon(RGB(0, 255, 0), 32)),
        classSmall(SolidIcon(RGB(0, 0, 255)));
    ThreadWindow answering(
        {L"Answers", WS_OVERLAPPEDWINDOW, classIcon.get(), classSmall.get(), windowIcon.get()});
    EXPECT_EQ(CIcon::GetWindowIconHandle(answering.Hwnd(), ICON_SMALL), windowIcon.get());
    EXPECT_EQ(CIcon::GetWindowIconHandle(answering.Hwnd(), ICON_BIG), windowIcon.get());

    ThreadWindow classOnly(
        {L"Class icons", WS_OVERLAPPEDWINDOW, classIcon.get(), classSmall.get()});
    EXPECT_EQ(CIcon::GetWindowIconHandle(classOnly.Hwnd(), ICON_BIG), classIcon.get());
    EXPECT_EQ(CIcon::GetWindowIconHandle(classOnly.Hwnd(), ICON_SMALL), classSmall.get());

    ThreadWindow bare({L"No icons", WS_OVERLAPPEDWINDOW});
    EXPECT_EQ(CIcon::GetWindowIconHandle(bare.Hwnd(), ICON_BIG), LoadIconW(nullptr, IDI_WINLOGO));
    EXPECT_EQ(CIcon::GetWindowIconHandle(bare.Hwnd(), ICON_SMALL),
              LoadIconW(nullptr, IDI_APPLICATION));

    // Another process's window never leaves the wrapper without an icon.
    auto fixture =
        ChildProcess::Fixture({L"--title", L"Foreign icons", L"--small-icon", L"--big-icon"});
    HWND foreign = fixture.WaitForWindow(L"Foreign icons");
    ASSERT_NE(foreign, nullptr);
    CWindow w;
    w.Load(foreign);
    EXPECT_NE(w.SmallIconHandle(), nullptr);
    EXPECT_NE(w.BigIconHandle(), nullptr);
}

TEST(WindowIcons, AHungWindowGetsItsClassIconWithinTheBound) {
    OwnedIcon classIcon(SolidIcon(RGB(9, 9, 9), 32)), windowIcon(SolidIcon(RGB(200, 200, 0)));
    ThreadWindow hung({L"Hung", WS_OVERLAPPEDWINDOW, classIcon.get(), nullptr, windowIcon.get()});
    hung.Hang();
    DWORD start = GetTickCount();
    HICON icon = CIcon::GetWindowIconHandle(hung.Hwnd(), ICON_BIG);
    DWORD elapsed = GetTickCount() - start;
    hung.Resume();
    EXPECT_EQ(icon, classIcon.get());
    EXPECT_LT(elapsed, 2000u) << "the icon query must give up after its time-out";

    auto fixture = ChildProcess::Fixture({L"--title", L"Hangs at once", L"--hang-after", L"1"});
    HWND foreign = fixture.WaitForWindow(L"Hangs at once");
    ASSERT_NE(foreign, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return FixtureHangs(foreign); }, 5000));
    start = GetTickCount();
    HICON fallback = CIcon::GetWindowIconHandle(foreign, ICON_SMALL);
    elapsed = GetTickCount() - start;
    EXPECT_NE(fallback, nullptr);
    EXPECT_LT(elapsed, 2000u);
}

TEST(WindowIcons, SetWindowIconDestroysOnlyWhatTheProgramHandedOver) {
    ThreadWindow owner({L"Top of chain", WS_OVERLAPPEDWINDOW});
    ThreadWindow owned({L"Owned", WS_OVERLAPPEDWINDOW, nullptr, nullptr, nullptr, owner.Hwnd()});
    int alive = OwnedGraphicsAlive();

    OwnedIcon first(SolidIcon(RGB(1, 2, 3))), second(SolidIcon(RGB(4, 5, 6)));
    HICON firstHandle = first.get(), secondHandle = second.get();
    CIcon::SetWindowIcon(owned.Hwnd(), std::move(first), ICON_SMALL, true);
    EXPECT_EQ(AskedIcon(owned.Hwnd(), ICON_SMALL), firstHandle);
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(owner.Hwnd(), GCLP_HICONSM)), firstHandle);
    HICON replaced = CIcon::SetWindowIcon(owned.Hwnd(), std::move(second), ICON_SMALL, true);
    EXPECT_EQ(replaced, firstHandle);
    EXPECT_FALSE(IconAlive(firstHandle)) << "an icon of ours that was replaced is destroyed";
    EXPECT_TRUE(IconAlive(secondHandle));

    // Somebody else's icon is left alone when it is replaced.
    OwnedIcon theirs(SolidIcon(RGB(7, 8, 9)));
    CIcon::SetWindowIcon(owned.Hwnd(), theirs.get(), ICON_SMALL, true);
    EXPECT_FALSE(IconAlive(secondHandle));
    OwnedIcon mine(SolidIcon(RGB(10, 11, 12)));
    EXPECT_EQ(CIcon::SetWindowIcon(owned.Hwnd(), mine.get(), ICON_SMALL, true), theirs.get());
    EXPECT_TRUE(IconAlive(theirs.get()));

    // The big icon goes to the top of the owner chain and nothing is destroyed.
    OwnedIcon big(SolidIcon(RGB(13, 14, 15), 32));
    EXPECT_EQ(CIcon::SetWindowIcon(owned.Hwnd(), big.get(), ICON_BIG, true), nullptr);
    EXPECT_EQ(AskedIcon(owner.Hwnd(), ICON_BIG), big.get());
    EXPECT_EQ(CIcon::SetWindowIcon(owned.Hwnd(), big.get(), 7, true), nullptr);
    EXPECT_EQ(CIcon::TopOfOwnerChain(owned.Hwnd()), owner.Hwnd());
    EXPECT_EQ(CIcon::TopOfOwnerChain(owner.Hwnd()), owner.Hwnd());
    SetClassLongPtrW(owner.Hwnd(), GCLP_HICONSM, 0);
    EXPECT_EQ(OwnedGraphicsAlive(), alive + 3); // theirs, mine and big are still held here
}

TEST(WindowIcons, PicturesOwnOrBorrowAsTheyWereMade) {
    int alive = OwnedGraphicsAlive();
    HICON made = SolidIcon(RGB(50, 60, 70));
    {
        CPicture borrowed = CIcon::CreatePicture(made, CPicture::kTypeIcon);
        EXPECT_EQ(borrowed.Handle(), made);
        EXPECT_FALSE(borrowed.OwnsHandle());
    }
    EXPECT_TRUE(IconAlive(made));
    {
        CPicture owning = CIcon::IconHandleToPicture(made);
        EXPECT_TRUE(owning.OwnsHandle());
        EXPECT_EQ(OwnedGraphicsAlive(), alive + 1);
    }
    EXPECT_FALSE(IconAlive(made));
    EXPECT_EQ(OwnedGraphicsAlive(), alive);
    EXPECT_FALSE(CIcon::CreatePicture(nullptr, CPicture::kTypeIcon));
    EXPECT_FALSE(CIcon::IconHandleToPicture(nullptr));
}

TEST(TabIcons, SharedIconsShareOneEntryAndIconlessWindowsGetNone) {
    ContainerSession session;
    OwnedIcon shared(SolidIcon(RGB(90, 20, 200)));
    ThreadWindow a({L"Shares A", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, nullptr, shared.get()});
    ThreadWindow b({L"Shares B", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, nullptr, shared.get()});
    int entries = ContainerForm->imglstTabstrip.Count();
    CaptureWindow(a.Hwnd());
    CaptureWindow(b.Hwnd());
    EXPECT_EQ(ContainerForm->imglstTabstrip.Count(), entries + 1);
    std::wstring key = CSSTab::IconKey(shared.get());
    EXPECT_EQ(Tabs->GetTabByHwnd(a.Hwnd())->Image(), key);
    EXPECT_EQ(Tabs->GetTabByHwnd(b.Hwnd())->Image(), key);
    EXPECT_EQ(key, L"i" + std::to_wstring(
                              static_cast<int32_t>(reinterpret_cast<intptr_t>(shared.get()))));

    auto fixture = ChildProcess::Fixture({L"--title", L"No icon at all"});
    HWND hwnd = fixture.WaitForWindow(L"No icon at all");
    ASSERT_NE(hwnd, nullptr);
    auto window = CapturedWindows->create(hwnd);
    window->SetSmallIconHandle(nullptr);
    window->SetBigIconHandle(nullptr);
    int before = ContainerForm->imglstTabstrip.Count();
    Tabs->AddTab(window);
    EXPECT_EQ(Tabs->GetTabByHwnd(hwnd)->Image(), L"");
    EXPECT_EQ(ContainerForm->imglstTabstrip.Count(), before);
    ReleaseAllWindows(false);
}

TEST(TabIcons, CaptureActivateRemoveCyclesLeaveNothingBehind) {
    ContainerSession session;
    auto fixture = CaptureFixture(L"Cycled", {L"--small-icon"});
    HWND hwnd = fixture.hwnd;
    ReleaseWindow(hwnd, CapturedWindows->item(hwnd)->LastHwnd, kReleaseNormal, true);
    Pump(100);
    int graphics = OwnedGraphicsAlive();
    int images = ContainerForm->imglstTabstrip.Count();
    int tabs = ContainerForm->TabStrip1.Count();
    // Each round is checked as it ends, so that a leak shows in the round that made it; a
    // round costs a third of a second of another program's reparenting under Wine.
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        CaptureWindow(hwnd);
        ASSERT_EQ(ContainerForm->TabStrip1.Count(), tabs + 1);
        Tabs->ActivateTabByIndex(1);
        Tabs->ActivateTab(Tabs->GetTabByHwnd(hwnd), true);
        ReleaseWindow(hwnd, CapturedWindows->item(hwnd)->LastHwnd, kReleaseNormal, true);
        ASSERT_EQ(CapturedWindows->Count(), tabs);
        ASSERT_EQ(ContainerForm->imglstTabstrip.Count(), images);
    }
    Pump(300);
    EXPECT_EQ(OwnedGraphicsAlive(), graphics);
    EXPECT_EQ(ContainerForm->imglstTabstrip.Count(), images);
    EXPECT_EQ(ContainerForm->TabStrip1.Count(), tabs);
    EXPECT_EQ(CapturedWindows->Count(), tabs);
    int hosts = 0;
    for (HWND child = GetWindow(session.Picture(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT))
        ++hosts;
    EXPECT_EQ(hosts, tabs) << "every released window's host form is gone";
    EXPECT_EQ(ParentOf(hwnd), GetDesktopWindow());
}
