#include "Adjustment.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QPointer>
#include <QSlider>
#include <QTest>

#include <vector>

namespace {

struct Notice {
    UINT message;
    WPARAM control;
    LPARAM value;
    bool operator==(const Notice&) const = default;
};

void PrintTo(const Notice& n, std::ostream* os) {
    *os << '{' << n.message << ", " << n.control << ", " << n.value << '}';
}

// The game view: records what the pages tell it.
class ViewWnd : public CWnd {
public:
    std::vector<Notice> notices;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        notices.push_back({message, wParam, lParam});
        return 0;
    }
};

class ShellSheet : public testing::Test {
protected:
    QCheckBox* box(int id) {
        return qobject_cast<QCheckBox*>(sheet->m_PagePublicSetting.GetControl(id));
    }
    QSlider* slider() {
        return qobject_cast<QSlider*>(sheet->m_PagePublicSetting.GetControl(1021));
    }
    void show(CPropertyPage* page) {
        sheet->SetActivePage(page);
        sheet->show();
        ASSERT_TRUE(testutil::WaitFor([&] { return page->isVisible(); }));
    }

    ViewWnd view;
    QPointer<CAdjustment> sheet = new CAdjustment(&view); // a child of the view
};

} // namespace

TEST_F(ShellSheet, BothPagesAreReadyBeforeShownAndClosingOnlyHides) {
    // The view sets the pages before the sheet is ever shown.
    CPagePublicSetting& page = sheet->m_PagePublicSetting;
    page.SetGameRate(1290);
    page.SetCheck(1052, true);
    page.SetCheck(1023, false);
    page.EnableGame31(false);
    EXPECT_EQ(page.GetGameRate(), 1290);
    EXPECT_TRUE(page.GetCheck(1052));
    EXPECT_FALSE(page.GetCheck(1023));
    EXPECT_FALSE(box(1081)->isEnabled() || box(1082)->isEnabled());
    EXPECT_TRUE(view.notices.empty()); // what the program sets is not sent back

    view.show();
    show(&sheet->m_PageView);
    sheet->close();
    EXPECT_FALSE(sheet->isVisible());
    show(&sheet->m_PageView);
    view.hide();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_FALSE(sheet.isNull());
}

TEST_F(ShellSheet, BoxesAndTheTrackbarTellTheViewWhatTheUserDid) {
    show(&sheet->m_PagePublicSetting);
    for (int id : {1023, 1052, 1079, 1079, 1082, 1081})
        QTest::mouseClick(box(id), Qt::LeftButton, {}, QPoint(5, box(id)->height() / 2));
    slider()->setFocus();
    QTest::keyClick(slider(), Qt::Key_Down); // down is slower
    QTest::keyClick(slider(), Qt::Key_End);
    QTest::keyClick(slider(), Qt::Key_Home);
    const std::vector<Notice> expected = {
        {1064, 1023, 0}, {1064, 1052, 1},   {1064, 1079, 1},    {1064, 1079, 0}, {1064, 1082, 1},
        {1064, 1081, 1}, {1064, 1021, 965}, {1064, 1021, 1500}, {1064, 1021, 0},
    };
    EXPECT_EQ(view.notices, expected);

    // The appearance page reports to the view too.
    view.notices.clear();
    show(&sheet->m_PageView);
    QListWidget* backs = sheet->m_PageView.m_listShirts;
    QTest::mouseClick(backs->viewport(), Qt::LeftButton, {},
                      backs->visualItemRect(backs->item(2)).center());
    EXPECT_EQ(view.notices, (std::vector<Notice>{{1065, 1050, 2}}));
}
