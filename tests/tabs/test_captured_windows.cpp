#include "ChildProcess.h"
#include "TestSupport.h"
#include "controls/Error.h"
#include "tabs/CWindows.h"
#include "controls/Handles.h"
#include <gtest/gtest.h>

using namespace merilane;
using namespace merilane::test;

TEST(CWindowsCollection, KeysOrderAndLookups) {
    auto a = ChildProcess::Fixture({L"--title", L"First"});
    auto b = ChildProcess::Fixture({L"--title", L"Second"});
    auto c = ChildProcess::Fixture({L"--title", L"Third"});
    HWND ha = a.WaitForWindow(L"First"), hb = b.WaitForWindow(L"Second"),
         hc = c.WaitForWindow(L"Third");
    ASSERT_TRUE(ha && hb && hc);

    CWindows windows;
    EXPECT_EQ(windows.Count(), 0);
    auto wb = windows.create(hb);
    auto wa = windows.create(ha);
    auto wc = windows.create(hc);
    EXPECT_EQ(windows.Count(), 3);

    // Every window is maximised the moment it is collected.
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(ha) && IsZoomed(hb) && IsZoomed(hc); }, 5000));

    auto walk = windows.NewEnum();
    ASSERT_EQ(walk.size(), 3u);
    EXPECT_EQ(walk[0], wb);
    EXPECT_EQ(walk[1], wa);
    EXPECT_EQ(walk[2], wc);

    // Keys come from the numeric value, whatever form the caller had it in.
    EXPECT_EQ(windows.item(HandleFrom(HandleValue(ha))), wa);
    EXPECT_EQ(windows.item(hb)->hWnd, hb);
    EXPECT_EQ(windows.item(HandleFrom(0x7FFF0001)), nullptr);
    EXPECT_EQ(windows.item(nullptr), nullptr);

    windows.Remove(HandleFrom(0x7FFF0001));
    EXPECT_EQ(windows.Count(), 3);
    windows.Remove(ha);
    EXPECT_EQ(windows.Count(), 2);
    EXPECT_EQ(windows.item(ha), nullptr);
    walk = windows.NewEnum();
    EXPECT_EQ(walk[0], wb);
    EXPECT_EQ(walk[1], wc);
}

TEST(CWindowsCollection, SecondCreateOfOneHandleFailsAndKeepsOneEntry) {
    auto a = ChildProcess::Fixture({L"--title", L"Twice"});
    HWND h = a.WaitForWindow(L"Twice");
    ASSERT_NE(h, nullptr);
    CWindows windows;
    auto first = windows.create(h);
    try {
        windows.create(h);
        ADD_FAILURE() << "a second create of one handle must fail";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), kKeyAlreadyAssociated);
    }
    EXPECT_EQ(windows.Count(), 1);
    EXPECT_EQ(windows.item(h), first);
}

TEST(CWindowsCollection, WrappersOutliveTheirWindows) {
    CWindows windows;
    HWND h;
    {
        auto a = ChildProcess::Fixture({L"--title", L"Gone soon"});
        h = a.WaitForWindow(L"Gone soon");
        ASSERT_NE(h, nullptr);
        windows.create(h);
    }
    ASSERT_FALSE(IsWindow(h));
    auto w = windows.item(h);
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->IsExistingWindow());
    EXPECT_EQ(w->Classname, L"MerilaneFixture");
    // A handle that names no window still gets its entry.
    CWindows more;
    more.create(h);
    EXPECT_EQ(more.Count(), 1);
}
