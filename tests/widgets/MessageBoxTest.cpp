#include "MessageBox.h"
#include "Application.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QWindow>

namespace {

// A box opened without blocking, left open for inspection.
struct OpenBox : CMessageBox {
    OpenBox(const QString& text, const QString& caption, UINT flags, const QIcon& icon = {}) {
        m_strText = text;
        m_strCaption = caption;
        m_nFlags |= flags;
        m_hIcon = icon;
        show();
    }
    QRect ok() const { return GetDlgItem(IDOK)->geometry(); }
};

} // namespace

TEST(MessageBox, TheIconShowsLeftOfTheTextAndOkAndCancelSideBySide) {
    QPixmap red(32, 32);
    red.fill(Qt::red);
    OpenBox box("Первая\r\nвторая!", "", CMessageBox::MBF_OKCANCEL | CMessageBox::MBF_ICON, red);
    const QRect text = box.m_wndText->geometry();
    EXPECT_EQ(box.m_wndText->text(), "Первая\nвторая!");
    EXPECT_EQ(box.grab().toImage().pixelColor(text.left() - 20, text.top() + 10), QColor(Qt::red));
    EXPECT_LT(box.ok().right(), box.GetDlgItem(IDCANCEL)->x());
    EXPECT_TRUE(box.rect().contains(box.GetDlgItem(IDCANCEL)->geometry()));
}

TEST(MessageBox, OkGivesOneEverythingElseTwo) {
    auto result = [](UINT flags, const QString& button) {
        testutil::AnswerNextModal(button);
        return CMessageBox::Show(nullptr, "Сообщение", "Заголовок", flags);
    };
    using MB = CMessageBox;
    EXPECT_EQ(result(MB::MBF_OKCANCEL, "ОК"), IDOK);
    EXPECT_EQ(result(MB::MBF_OKCANCEL, "Отмена"), IDCANCEL);
    EXPECT_EQ(result(MB::MBF_OK, ""), IDCANCEL); // closed from its caption bar
    EXPECT_EQ(result(0, ""), IDCANCEL);          // no buttons at all
}

TEST(MessageBox, TitleIsExactlyTheCaptionAndQtsOwnDialogsSpeakRussian) {
    ASSERT_TRUE(platform::SetUpApplication("Tavlin2", "zanta"));
    OpenBox box("Текст", "Внимание", CMessageBox::MBF_OK);
    ASSERT_TRUE(box.windowHandle());
    EXPECT_EQ(box.windowHandle()->title(), "Внимание");
    // Platform plugins append the display name to every title; none is set.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    EXPECT_EQ(QGuiApplication::desktopFileName(), "zanta");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), "Открыть");
}
