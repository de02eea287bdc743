#include "Adjustment.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QPointer>
#include <QSlider>
#include <QTest>

namespace {

// The game view: records "message:control:value" for what the pages tell it.
class ViewWnd : public CWnd {
public:
    QStringList notices;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        notices << QStringLiteral("%1:%2:%3").arg(message).arg(wParam).arg(lParam);
        return 0;
    }
};

class ShellSheet : public testing::Test {
protected:
    QCheckBox* box(int id) {
        return qobject_cast<QCheckBox*>(sheet->m_PagePublicSetting.GetControl(id));
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

TEST_F(ShellSheet, PagesSetBeforeShownTellTheViewOnlyWhatTheUserDid) {
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
    EXPECT_TRUE(view.notices.empty());

    view.show();
    show(&page);
    page.EnableGame31(true);
    for (int id : {1023, 1052, 1079, 1079, 1082})
        QTest::mouseClick(box(id), Qt::LeftButton, {}, QPoint(5, box(id)->height() / 2));
    auto* slider = qobject_cast<QSlider*>(page.GetControl(1021));
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Home);
    EXPECT_EQ(view.notices, QStringList({"1064:1023:1", "1064:1052:0", "1064:1079:1", "1064:1079:0",
                                         "1064:1082:1", "1064:1021:0"}));

    // The appearance page reports to the view too; closing only hides the sheet.
    view.notices.clear();
    show(&sheet->m_PageView);
    QListWidget* backs = sheet->m_PageView.m_listShirts;
    QTest::mouseClick(backs->viewport(), Qt::LeftButton, {},
                      backs->visualItemRect(backs->item(2)).center());
    EXPECT_EQ(view.notices, QStringList({"1065:1050:2"}));
    sheet->close();
    EXPECT_FALSE(sheet->isVisible());
    show(&sheet->m_PageView);
    view.hide();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_FALSE(sheet.isNull());
}
