#include "TestSupport.h"
#include "controls/CImageList.h"
#include "controls/CTabStrip.h"
#include "controls/Error.h"
#include "controls/Screen.h"
#include <commctrl.h>
#include <gtest/gtest.h>

using namespace merilane;
using namespace merilane::test;

namespace {

long ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.Number();
    }
    return 0;
}

class TabStripTest : public testing::Test {
  protected:
    void SetUp() override {
        m_parent = CreateWindowExW(0, L"STATIC", L"strip parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                   0, 0, 500, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_parent, nullptr);
        strip.Create(m_parent, 7);
        strip.SetWidth(PixelsToTwipsX(480));
        strip.SetHeight(PixelsToTwipsY(260));
    }
    void TearDown() override { DestroyWindow(m_parent); }

    int PlatformCount() const {
        return static_cast<int>(SendMessageW(strip.hWnd(), TCM_GETITEMCOUNT, 0, 0));
    }
    std::wstring PlatformCaption(int position) const {
        wchar_t text[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(strip.hWnd(), TCM_GETITEMW, position, reinterpret_cast<LPARAM>(&item));
        return text;
    }

    HWND m_parent = nullptr;
    CTabStrip strip;
};

} // namespace

TEST_F(TabStripTest, TabsAreOneBasedAndRenumberedWhenOneGoes) {
    EXPECT_EQ(strip.SelectedItem(), nullptr);
    TabPtr a = strip.Add(), b = strip.Add(), c = strip.Add();
    EXPECT_EQ(strip.Count(), 3);
    EXPECT_EQ(PlatformCount(), 3);
    EXPECT_EQ(a->Index(), 1);
    EXPECT_EQ(c->Index(), 3);
    EXPECT_TRUE(a->Caption().empty());
    b->SetCaption(L"bee \u4E2D");
    EXPECT_EQ(PlatformCaption(1), L"bee \u4E2D");

    c->SetSelected(true);
    EXPECT_EQ(strip.SelectedItem(), c);
    EXPECT_TRUE(c->Selected());
    EXPECT_FALSE(a->Selected());

    strip.Remove(2);
    EXPECT_EQ(strip.Count(), 2);
    EXPECT_EQ(PlatformCount(), 2);
    EXPECT_EQ(c->Index(), 2);
    EXPECT_EQ(strip.Item(2), c);
    EXPECT_TRUE(b->IsRemoved());
    EXPECT_EQ(ErrorOf([&] { (void)b->Index(); }), kElementNotFound);
    EXPECT_EQ(ErrorOf([&] { b->SetCaption(L"gone"); }), kElementNotFound);

    // Losing the selected tab leaves another one selected, never none.
    strip.Remove(2);
    EXPECT_EQ(strip.SelectedItem(), a);
    EXPECT_NE(ErrorOf([&] { strip.Remove(0); }), 0);
    EXPECT_NE(ErrorOf([&] { strip.Remove(5); }), 0);
    EXPECT_NE(ErrorOf([&] { (void)strip.Item(0); }), 0);
    strip.Clear();
    EXPECT_EQ(strip.Count(), 0);
    EXPECT_EQ(strip.SelectedItem(), nullptr);
}

TEST_F(TabStripTest, ImagesByKeyAndTheTwoHarmlessFailures) {
    CImageList images;
    images.SetImageSize(16, 16);
    strip.SetImageList(&images);
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    EXPECT_EQ(images.Add(icon), 1);
    EXPECT_EQ(images.Add(icon, L"i65539"), 2);
    EXPECT_EQ(ErrorOf([&] { images.Add(icon, L"i65539"); }), kKeyNotUnique);
    EXPECT_EQ(images.Count(), 2);
    EXPECT_EQ(ImageList_GetImageCount(images.Handle()), 2);
    EXPECT_EQ(images.IndexOf(L"i65539"), 1);
    EXPECT_EQ(ErrorOf([&] { (void)images.IndexOf(L"i1"); }), kElementNotFound);
    EXPECT_EQ(ErrorOf([&] { images.SetImageSize(32, 32); }), kInvalidProcedureCall);

    TabPtr tab = strip.Add();
    tab->SetImage(L"i65539");
    EXPECT_EQ(tab->Image(), L"i65539");
    TCITEMW item{};
    item.mask = TCIF_IMAGE;
    SendMessageW(strip.hWnd(), TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.iImage, 1);
    EXPECT_EQ(ErrorOf([&] { tab->SetImage(L"nope"); }), kElementNotFound);
    EXPECT_EQ(tab->Image(), L"i65539");

    Error notFound(kElementNotFound, {}), notUnique(kKeyNotUnique, {}), other(kOverflow, {});
    EXPECT_TRUE(notFound.IsHarmlessControlFailure());
    EXPECT_TRUE(notUnique.IsHarmlessControlFailure());
    EXPECT_FALSE(other.IsHarmlessControlFailure());
    EXPECT_NE(notFound.Description(), notUnique.Description());
}

TEST_F(TabStripTest, DisplayAreaLiesInsideTheStripAndFollowsStyleChanges) {
    for (int i = 0; i < 12; ++i)
        strip.Add()->SetCaption(L"A rather long tab caption " + std::to_wstring(i));
    long singleTop = strip.ClientTop();
    EXPECT_GT(strip.ClientTop(), strip.Top());
    EXPECT_GT(strip.ClientWidth(), 0);
    EXPECT_LE(strip.ClientLeft() + strip.ClientWidth(), strip.Left() + strip.Width());
    EXPECT_LE(strip.ClientTop() + strip.ClientHeight(), strip.Top() + strip.Height());

    strip.SetMultiRow(true);
    EXPECT_TRUE(strip.MultiRow());
    EXPECT_GT(strip.ClientTop(), singleTop); // several rows of tabs push the area down
    strip.SetStyle(1);
    EXPECT_EQ(strip.Style(), 1);
    EXPECT_TRUE(GetWindowLongW(strip.hWnd(), GWL_STYLE) & TCS_BUTTONS);
    strip.SetStyle(0);
    EXPECT_EQ(strip.Style(), 0);
}

TEST(Twips, ConversionsAtTheScreensResolution) {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(TwipsToPixelsX(1440), dpi);
    EXPECT_EQ(PixelsToTwipsX(dpi), 1440);
    EXPECT_EQ(TwipsToPixelsX(PixelsToTwipsX(617)), 617);
    EXPECT_EQ(TwipsToPixelsY(0), 0);
    EXPECT_EQ(TwipsPerPixelX(), 1440 / dpi);
}

TEST(TabDrops, GapsRowsAndWhereADroppedTabEnds) {
    // Two rows: three tabs above, two below.
    const RECT tabs[] = {{0, 0, 100, 20},
                         {100, 0, 200, 20},
                         {200, 0, 300, 20},
                         {0, 20, 150, 40},
                         {150, 20, 300, 40}};
    struct Case {
        POINT at;
        int gap;
    } cases[] = {{{10, 5}, 0},  {{60, 5}, 1},  {{249, 5}, 2},  {{299, 5}, 3}, {{500, 5}, 3},
                 {{10, 30}, 3}, {{80, 30}, 4}, {{290, 30}, 5}, {{-5, 30}, 3}, {{160, 99}, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(InsertionGap(tabs, c.at), c.gap) << c.at.x << "," << c.at.y;
    // From position 2 of 4: a gap behind it is a place nearer, its own gaps leave it put.
    const int ends[] = {1, 2, 2, 3, 4};
    for (int gap = 0; gap <= 4; ++gap)
        EXPECT_EQ(PositionForGap(2, gap), ends[gap]) << gap;

    const RECT row{0, 0, 300, 40}, outer{-10, -30, 310, 400};
    using K = TabDrop::Kind;
    EXPECT_EQ(DecideTabDrop(1, {290, 30}, row, outer, tabs),
              (TabDrop{K::Reorder, 1, 5, {290, 30}}));
    EXPECT_EQ(DecideTabDrop(1, {100, 200}, row, outer, tabs).kind, K::None) << "display area";
    EXPECT_EQ(DecideTabDrop(1, {100, -20}, row, outer, tabs).kind, K::None) << "own caption";
    EXPECT_EQ(DecideTabDrop(3, {400, 10}, row, outer, tabs),
              (TabDrop{K::Outside, 3, 3, {400, 10}}));
}
