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

TEST(MessageBox, TextIsAsWideAsItsWidestLineAndAsHighAsItsLinesAboveTheButtons) {
    const QFontMetrics fm(CDialog::DefaultDialogFont());
    QPixmap red(32, 32);
    red.fill(Qt::red);
    // Pixels decide, not characters: fewer wide letters beat more narrow ones.
    const std::tuple<QString, QString, int> cases[] = {
        {"Раз\nНевозможный ход\nДва", "Невозможный ход", 3},
        {"WWWW\niiiiiii", "WWWW", 2},
        {"Первая\r\nвторая!", "вторая!", 2},
    };
    for (const auto& [message, widest, lines] : cases) {
        OpenBox box(message, "", CMessageBox::MBF_OKCANCEL | CMessageBox::MBF_ICON, red);
        const QRect text = box.m_wndText->geometry();
        EXPECT_EQ(text.size(), QSize(fm.horizontalAdvance(widest), lines * fm.height()));
        EXPECT_FALSE(box.m_wndText->text().contains('\r'));
        EXPECT_TRUE(box.rect().contains(text) && box.rect().contains(box.ok()));
        EXPECT_LE(text.bottom(), box.ok().top());
        // The icon left of the text; OK and Cancel side by side.
        EXPECT_EQ(box.grab().toImage().pixelColor(text.left() - 20, text.top() + 10),
                  QColor(Qt::red));
        EXPECT_LT(box.ok().right(), box.GetDlgItem(IDCANCEL)->x());
    }
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
