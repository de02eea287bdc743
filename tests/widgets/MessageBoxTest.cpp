#include "MessageBox.h"
#include "Application.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QWindow>

namespace {

QFontMetrics DialogFm() {
    return QFontMetrics(CDialog::DefaultDialogFont());
}

// A box opened without blocking, left open for inspection.
struct OpenBox : CMessageBox {
    int borderX = GetBorderSize().width(); // what the layout sees before the first show
    OpenBox(const QString& text, const QString& caption, UINT flags, const QIcon& icon = {}) {
        m_strText = text;
        m_strCaption = caption;
        m_nFlags |= flags;
        m_hIcon = icon;
        show();
    }
    QWidget* ok() const { return GetDlgItem(IDOK); }
    QWidget* cancel() const { return GetDlgItem(IDCANCEL); }
    QColor pixel(int x, int y) { return grab().toImage().pixelColor(x, y); }
};

} // namespace

TEST(MessageBoxLayout, ShortMessageGetsMinimumWidthAndCentredOk) {
    OpenBox box("Пас", "Z", CMessageBox::MBF_OK);
    const int M = box.m_nMargin;
    EXPECT_EQ(box.width() + 2 * box.borderX, 90);
    EXPECT_TRUE(box.ok()->isVisible());
    EXPECT_FALSE(box.cancel()->isVisible());
    EXPECT_EQ(box.ok()->x(), box.width() / 2 - box.ok()->width() / 2);
    EXPECT_EQ(box.ok()->geometry().bottom() + 1, box.height() - M);
    EXPECT_EQ(box.m_wndText->geometry().center().x(), box.rect().center().x());
}

TEST(MessageBoxLayout, TextIsAsWideAsItsWidestLineAndAsHighAsItsLines) {
    const QFontMetrics fm = DialogFm();
    auto text = [](const QString& message) {
        OpenBox box(message, "", CMessageBox::MBF_OK);
        EXPECT_TRUE(box.rect().contains(box.m_wndText->geometry()));
        EXPECT_LE(box.m_wndText->geometry().bottom(), box.ok()->y());
        return std::pair(box.m_wndText->size(), box.m_wndText->text());
    };
    EXPECT_EQ(text("Раз\nНевозможный ход\nДва").first,
              QSize(fm.horizontalAdvance("Невозможный ход"), 3 * fm.height()));
    // Pixels decide, not characters: fewer wide letters beat more narrow ones.
    EXPECT_EQ(text("WWWW\niiiiiii").first.width(), fm.horizontalAdvance("WWWW"));
    EXPECT_EQ(text("Первая\r\nвторая!"),
              std::pair(QSize(fm.horizontalAdvance("вторая!"), 2 * fm.height()),
                        QString("Первая\nвторая!")));
}

TEST(MessageBoxLayout, IconLeftOfTextAndTwoButtonsAroundTheCentre) {
    QPixmap red(32, 32);
    red.fill(Qt::red);
    OpenBox box("Сдаётесь?", "Игра", CMessageBox::MBF_OKCANCEL | CMessageBox::MBF_ICON, red);
    const int M = box.m_nMargin, CW = box.width(), CH = box.height();
    EXPECT_EQ(box.m_wndText->x(), 2 * M + 32);
    EXPECT_EQ(CH, 32 + 3 * M + box.ok()->height());
    EXPECT_TRUE(box.ok()->isVisible() && box.cancel()->isVisible());
    EXPECT_EQ(box.ok()->geometry().right() + 1, CW / 2 - 2);
    EXPECT_EQ(box.cancel()->x(), CW / 2 + 2);
    EXPECT_EQ(box.cancel()->geometry().bottom() + 1, CH - M);
    EXPECT_EQ(box.pixel(M + 16, M + 16), QColor(Qt::red));

    OpenBox noFlag("Нет", "", CMessageBox::MBF_OK | CMessageBox::MBF_CAPTIONICON, red);
    EXPECT_NE(noFlag.pixel(M + 16, M + 16), QColor(Qt::red));
}

TEST(MessageBoxResult, OkGivesOneEverythingElseTwo) {
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

TEST(MessageBoxResult, TitleIsExactlyTheCaptionAndQtsOwnDialogsSpeakRussian) {
    ASSERT_TRUE(platform::SetUpApplication("Tavlin2", "zanta"));
    OpenBox box("Текст", "Внимание", CMessageBox::MBF_OK);
    ASSERT_TRUE(box.windowHandle());
    EXPECT_EQ(box.windowHandle()->title(), "Внимание");
    // Platform plugins append the display name to every title; none is set.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    EXPECT_EQ(QGuiApplication::desktopFileName(), "zanta");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), "Открыть");
}
