#include "TestSupport.h"
#include "window/CSubClass.h"
#include "window/MKeyboard.h"
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>

using namespace merilane;
using namespace merilane::test;

namespace {

struct RecordingHost : SubclassHost {
    int refocused = 0;
    bool ownForeground = false;
    int drawn = 0;
    void RefocusActiveTab() override { ++refocused; }
    bool IsOwnForeground(bool) override { return ownForeground; }
    bool DrawItem(const DRAWITEMSTRUCT&) override {
        ++drawn;
        return true;
    }
};

// A window whose own procedure notes what reaches it, so that "passed on" can be seen.
std::vector<std::pair<UINT, WPARAM>> g_received;
LRESULT CALLBACK Recording(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCACTIVATE || msg == WM_SYSCOMMAND || msg == WM_ACTIVATE || msg == WM_SIZE ||
        msg == WM_ACTIVATEAPP || msg == WM_DRAWITEM || msg == WM_EXITSIZEMOVE)
        g_received.emplace_back(msg, wp);
    if (msg == WM_SYSCOMMAND)
        return 0; // not carried out: only seen
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND RecordingWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{sizeof(wc)};
        wc.lpfnWndProc = Recording;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"MerilaneSubclassTest";
        RegisterClassExW(&wc);
        registered = true;
    }
    return CreateWindowExW(0, L"MerilaneSubclassTest", L"subclassed", WS_OVERLAPPEDWINDOW, 0, 0,
                           300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

int Received(UINT msg, WPARAM wp) {
    int n = 0;
    for (auto& [m, w] : g_received)
        n += m == msg && w == wp;
    return n;
}

} // namespace

TEST(SubClass, OneObjectPerWindowAndNothingAfterTheWindowIsGone) {
    RecordingHost host;
    HWND hwnd = RecordingWindow();
    CSubClass first(host), second(host);
    first.SubClass(hwnd);
    ASSERT_TRUE(first.Subclassing());
    EXPECT_EQ(GetSubclassObject(hwnd), &first);
    second.SubClass(hwnd);
    EXPECT_FALSE(second.Subclassing()) << "the window is taken";
    EXPECT_EQ(GetSubclassObject(hwnd), &first);
    // Another program can set a window property, and once chose the object called through.
    SetPropW(hwnd, L"nvAdvSubcls", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x10)));
    EXPECT_EQ(GetSubclassObject(hwnd), &first);
    // An owner-draw request with a pointer of the sender's choosing, sent from another thread
    // (as any program can): not acted on, and nothing faults.
    std::atomic<bool> answered{false};
    std::thread sender([&] {
        DWORD_PTR ignored = 0;
        answered = SendMessageTimeoutW(hwnd, WM_DRAWITEM, 0, 0x10, SMTO_BLOCK, 5000, &ignored) != 0;
    });
    bool delivered = WaitUntil([&] { return answered.load(); }, 5000);
    sender.join();
    EXPECT_TRUE(delivered) << "the request reached the window";
    EXPECT_EQ(host.drawn, 0);
    DRAWITEMSTRUCT item{};
    SendMessageW(hwnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(host.drawn, 1) << "our own thread's request is drawn";

    CSubClass gone(host);
    HWND other = RecordingWindow();
    gone.SubClass(other);
    // Destroyed without being told: its fields keep their values and nothing fails.
    RemoveWindowSubclass(other, SubclassWindowProc, 0x4D4C);
    DestroyWindow(other);
    gone.UnSubClass();
    EXPECT_TRUE(gone.Subclassing());
    EXPECT_EQ(gone.SubclassedHwnd(), other);

    first.UnSubClass();
    EXPECT_EQ(GetSubclassObject(hwnd), nullptr);
    CSubClass later(host);
    later.SubClass(hwnd);
    EXPECT_TRUE(later.Subclassing()) << "free again once unsubclassed";
    later.UnSubClass();
    DestroyWindow(hwnd);
    CSubClass never(host);
    never.SubClass(hwnd); // a window that is gone is left alone
    EXPECT_FALSE(never.Subclassing());
}

TEST(SubClass, RestoreMaximiseAndSizingHandTheFocusBack) {
    RecordingHost host;
    HWND hwnd = RecordingWindow();
    CSubClass sub(host);
    sub.SubClass(hwnd);
    g_received.clear();
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_EQ(host.refocused, 1);
    // The low bits the system adds for the keyboard or the mouse make it another command.
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE | 0x2, 0);
    EXPECT_EQ(host.refocused, 1);
    EXPECT_EQ(Received(WM_SYSCOMMAND, SC_RESTORE), 1);
    EXPECT_EQ(Received(WM_SYSCOMMAND, SC_RESTORE | 0x2), 1) << "passed on all the same";
    SendMessageW(hwnd, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(300, 200));
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    EXPECT_EQ(host.refocused, 2);
    SendMessageW(hwnd, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(host.refocused, 3);

    // Coming back by ALT + TAB from a captured window hands the focus back, once.
    AltTabPending = true;
    SendMessageW(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(host.refocused, 4);
    EXPECT_FALSE(AltTabPending);
    SendMessageW(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(host.refocused, 4);
    DestroyWindow(hwnd);
}

TEST(SubClass, TheCaptionStaysActiveWhileACapturedWindowHasTheKeyboard) {
    RecordingHost host;
    HWND hwnd = RecordingWindow();
    CSubClass sub(host);
    sub.SubClass(hwnd);
    g_received.clear();
    // The first deactivation after an activation is answered by painting active again.
    SendMessageW(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageW(hwnd, WM_NCACTIVATE, FALSE, 0);
    EXPECT_EQ(Received(WM_NCACTIVATE, FALSE), 1);
    EXPECT_EQ(Received(WM_NCACTIVATE, TRUE), 1);
    SendMessageW(hwnd, WM_NCACTIVATE, FALSE, 0);
    EXPECT_EQ(Received(WM_NCACTIVATE, TRUE), 1) << "the second is let through";
    EXPECT_EQ(sub.NcDeactivateCount(), 2);

    // Another program in front: inactive, unless it is a captured window.
    g_received.clear();
    host.ownForeground = false;
    EXPECT_EQ(SendMessageW(hwnd, WM_ACTIVATEAPP, FALSE, 0), 0);
    EXPECT_EQ(Received(WM_NCACTIVATE, FALSE), 1);
    host.ownForeground = true;
    SendMessageW(hwnd, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_EQ(Received(WM_NCACTIVATE, TRUE), 1);
    EXPECT_EQ(Received(WM_ACTIVATEAPP, FALSE), 0) << "never passed on";
    EXPECT_EQ(sub.NcDeactivateCount(), 0);

    SendMessageW(hwnd, WM_ACTIVATE, MAKEWPARAM(7, 0), 0);
    EXPECT_EQ(Received(WM_ACTIVATE, 7), 0) << "an unknown activation is swallowed";
    DestroyWindow(hwnd);
}

TEST(SubClass, LowAndHighWordsAreSignedHalves) {
    EXPECT_EQ((CSubClass::LOWORD)(0xFFFF0001u), 1);
    EXPECT_EQ((CSubClass::HIWORD)(0xFFFF0001u), -1);
    EXPECT_EQ((CSubClass::LOWORD)(0x0001FFFFu), -1);
    EXPECT_EQ((CSubClass::HIWORD)(0x7FFF0000u), 32767);
}
