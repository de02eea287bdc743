#include "MessageBox.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace {

using Answer = std::function<void(CDialog*)>;

// Answers the next modal dialog. Deadlines turn a box that never opens or
// never closes into a failure instead of a hung run.
void answerModal(Answer answer, QDeadlineTimer deadline = QDeadlineTimer(5000)) {
    QTimer::singleShot(1, [answer, deadline] {
        if (auto* dlg = qobject_cast<CDialog*>(QApplication::activeModalWidget())) {
            answer(dlg);
            QTimer::singleShot(5000, dlg, [dlg] {
                if (dlg->isVisible()) {
                    ADD_FAILURE() << "dialog still open after the answer";
                    dlg->EndDialog(-1);
                }
            });
        } else if (deadline.hasExpired()) {
            ADD_FAILURE() << "no modal dialog appeared";
        } else {
            answerModal(answer, deadline);
        }
    });
}

Answer press(int id) {
    return [id](CDialog* dlg) {
        auto* button = qobject_cast<QPushButton*>(dlg->GetDlgItem(id));
        ASSERT_TRUE(button && button->isVisible());
        button->click();
    };
}

Answer key(Qt::Key k) {
    return [k](CDialog* dlg) {
        QKeyEvent event(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(dlg, &event);
    };
}

QFontMetrics dialogFm() {
    return QFontMetrics(CDialog::DefaultDialogFont());
}

int captionAdvance(const QString& caption) {
    QFont font = QApplication::font();
    font.setBold(false);
    return QFontMetrics(font).horizontalAdvance(caption + "W");
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
    QColor pixel(int x, int y) { return grab().toImage().pixelColor(x, y); }
};

} // namespace

TEST(DialogUnits, ScaleWithTheDialogFontAndRoundHalfAway) {
    CDialog dlg;
    const int bx = int(std::lround(
        dialogFm().horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") /
        52.0));
    const int by = dialogFm().height();
    for (int du = -9; du <= 9; ++du) {
        const QRect px = dlg.MapDialogRect(QRect(du, du, du, du));
        EXPECT_EQ(px.x(), std::lround(du * bx / 4.0)) << du;
        EXPECT_EQ(px.height(), std::lround(du * by / 8.0)) << du;
    }
}

TEST(DialogUnits, InitRunsOnceBeforeTheDialogIsVisible) {
    struct Probe : CDialog {
        int calls = 0;
        bool visibleInInit = false;
        BOOL OnInitDialog() override {
            ++calls;
            visibleInInit = isVisible();
            return TRUE;
        }
    } probe;
    answerModal(key(Qt::Key_Escape));
    EXPECT_EQ(probe.DoModal(), IDCANCEL);
    probe.show();
    EXPECT_EQ(probe.calls, 1);
    EXPECT_FALSE(probe.visibleInInit);
}

TEST(MessageBoxLayout, ShortMessageGetsMinimumWidthAndCentredOk) {
    OpenBox box("Пас", "Z", CMessageBox::MBF_OK);
    const int M = box.m_nMargin;
    QWidget* ok = box.GetDlgItem(IDOK);
    ASSERT_LT(std::max(captionAdvance("Z"), dialogFm().horizontalAdvance("Пас")) + 2 * M, 90);
    EXPECT_EQ(box.width() + 2 * box.borderX, 90);
    EXPECT_EQ(box.windowTitle(), "Z");
    EXPECT_TRUE(ok->isVisible());
    EXPECT_FALSE(box.GetDlgItem(IDCANCEL)->isVisible());
    EXPECT_EQ(ok->x(), box.width() / 2 - ok->width() / 2);
    EXPECT_EQ(ok->geometry().bottom() + 1, box.height() - M);
    EXPECT_EQ(box.height(), dialogFm().height() + 3 * M + ok->height());
    EXPECT_EQ(box.m_wndText->x(), box.width() / 2 - dialogFm().horizontalAdvance("Пас") / 2);
}

TEST(MessageBoxLayout, TextControlFitsTheLineWithMostCharacters) {
    const QFontMetrics fm = dialogFm();
    auto text = [](const QString& message) {
        OpenBox box(message, "", CMessageBox::MBF_OK);
        return std::pair(box.m_wndText->size(), box.m_wndText->text());
    };
    EXPECT_EQ(text("Раз\nНевозможный ход\nДва").first,
              QSize(fm.horizontalAdvance("Невозможный ход"), 3 * fm.height()));
    // Character count decides, not pixels; the later of equal lines wins.
    EXPECT_EQ(text("WWWW\niiii").first.width(), fm.horizontalAdvance("iiii"));
    EXPECT_EQ(text("Первая\r\nвторая!"),
              std::pair(QSize(fm.horizontalAdvance("вторая!"), 2 * fm.height()),
                        QString("Первая\nвторая!")));
}

TEST(MessageBoxLayout, LongCaptionWidensTheBoxByItsIconToo) {
    const QString caption = "Очень длинный заголовок окна сообщения";
    for (UINT icon : {0u, CMessageBox::MBF_CAPTIONICON}) {
        OpenBox box("Да", caption, CMessageBox::MBF_OK | icon);
        EXPECT_EQ(box.width(), captionAdvance(caption) + (icon ? 16 : 0) + 20) << icon;
    }
}

TEST(MessageBoxLayout, IconLeftOfTextAndTwoButtonsAroundTheCentre) {
    QPixmap red(32, 32);
    red.fill(Qt::red);
    OpenBox box("Сдаётесь?", "Игра", CMessageBox::MBF_OKCANCEL | CMessageBox::MBF_ICON, red);
    const int M = box.m_nMargin, CW = box.width(), CH = box.height();
    QWidget* ok = box.GetDlgItem(IDOK);
    QWidget* cancel = box.GetDlgItem(IDCANCEL);
    ASSERT_LT(dialogFm().height(), 32);
    EXPECT_EQ(box.m_wndText->x(), 2 * M + 32);
    EXPECT_EQ(CH, 32 + 3 * M + ok->height());
    EXPECT_TRUE(ok->isVisible() && cancel->isVisible());
    EXPECT_EQ(ok->geometry().right() + 1, CW / 2 - 2);
    EXPECT_EQ(cancel->x(), CW / 2 + 2);
    EXPECT_EQ(ok->geometry().bottom() + 1, CH - M);
    EXPECT_EQ(cancel->geometry().bottom() + 1, CH - M);
    EXPECT_EQ(box.pixel(M + 16, M + 16), QColor(Qt::red));

    OpenBox noFlag("Нет", "", CMessageBox::MBF_OK | CMessageBox::MBF_CAPTIONICON, red);
    EXPECT_NE(noFlag.pixel(M + 16, M + 16), QColor(Qt::red));
}

TEST(MessageBoxResult, OkGivesOneEverythingElseTwo) {
    auto result = [](UINT flags, const Answer& answer) {
        answerModal(answer);
        return CMessageBox::Show(nullptr, "Сообщение", "Заголовок", flags);
    };
    using MB = CMessageBox;
    EXPECT_EQ(result(MB::MBF_OKCANCEL, press(IDOK)), IDOK);
    EXPECT_EQ(result(MB::MBF_OKCANCEL, press(IDCANCEL)), IDCANCEL);
    EXPECT_EQ(result(MB::MBF_OK, press(IDOK)), IDOK);
    EXPECT_EQ(result(MB::MBF_OKCANCEL, key(Qt::Key_Return)), IDOK);
    EXPECT_EQ(result(MB::MBF_OKCANCEL, key(Qt::Key_Escape)), IDCANCEL);
    EXPECT_EQ(result(MB::MBF_OK, [](CDialog* d) { d->close(); }), IDCANCEL);
    EXPECT_EQ(result(0, key(Qt::Key_Escape)), IDCANCEL); // no buttons at all
}
