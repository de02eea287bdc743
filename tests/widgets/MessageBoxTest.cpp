#include "pub/widgets/MessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

// Readable failure messages for the Qt values compared below.
void PrintTo(const QSize& s, std::ostream* os) { *os << s.width() << 'x' << s.height(); }
void PrintTo(const QRect& r, std::ostream* os) {
    *os << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height();
}
void PrintTo(const QColor& c, std::ostream* os) { *os << c.name().toStdString(); }
void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using Answer = std::function<void(CDialog*)>;

// Answers the next modal dialog. One still open long after the answer is
// failed and closed, so a fault fails the run instead of hanging it.
void answerModal(QElapsedTimer started, Answer answer) {
    QTimer::singleShot(1, [started, answer] {
        auto* dlg = qobject_cast<CDialog*>(QApplication::activeModalWidget());
        if (!dlg) {
            if (started.hasExpired(5000))
                ADD_FAILURE() << "no modal dialog appeared";
            else
                answerModal(started, answer);
            return;
        }
        answer(dlg);
        QTimer::singleShot(5000, dlg, [dlg] {
            if (!dlg->isVisible())
                return;
            ADD_FAILURE() << "dialog still open after the answer";
            dlg->EndDialog(-1);
        });
    });
}

void answerModal(Answer answer) {
    QElapsedTimer started;
    started.start();
    answerModal(started, std::move(answer));
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

QFontMetrics dialogMetrics() { return QFontMetrics(CDialog::DefaultDialogFont()); }

int captionAdvance(const QString& caption) {
    QFont font = QApplication::font();
    font.setBold(false);
    return QFontMetrics(font).horizontalAdvance(caption + "W");
}

// Opens a box without blocking and leaves it open for inspection.
struct OpenBox {
    CMessageBox box;
    int borderX;
    OpenBox(const QString& text, const QString& caption, UINT flags, const QIcon& icon = {}) {
        box.m_strText = text;
        box.m_strCaption = caption;
        box.m_nFlags |= flags;
        box.m_hIcon = icon;
        borderX = box.GetBorderSize().width(); // what the layout sees before the first show
        box.show();
    }
    QWidget* item(int id) const { return box.GetDlgItem(id); }
};

QIcon redIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

} // namespace

TEST(DialogUnits, ScaleWithTheDialogFontAndRoundHalfAway) {
    CDialog dlg;
    const QFontMetrics fm = dialogMetrics();
    const int bx = int(std::lround(
        fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0));
    const int by = fm.height();
    EXPECT_EQ(dlg.GetDialogBaseUnits(), QSize(bx, by));
    EXPECT_EQ(dlg.MapDialogRect(QRect(4, 8, 8, 16)), QRect(bx, by, 2 * bx, 2 * by));
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
    OpenBox b("Пас", "Z", CMessageBox::MBF_OK);
    const int M = b.box.m_nMargin;
    const int CW = b.box.width();
    QWidget* ok = b.item(IDOK);
    ASSERT_LT(std::max(captionAdvance("Z"), dialogMetrics().horizontalAdvance("Пас")) + 2 * M, 90);
    EXPECT_EQ(CW + 2 * b.borderX, 90);
    EXPECT_EQ(b.box.windowTitle(), "Z");
    EXPECT_TRUE(ok->isVisible());
    EXPECT_FALSE(b.item(IDCANCEL)->isVisible());
    EXPECT_EQ(ok->x(), CW / 2 - ok->width() / 2);
    EXPECT_EQ(ok->geometry().bottom() + 1, b.box.height() - M);
    EXPECT_EQ(b.box.height(), dialogMetrics().height() + 3 * M + ok->height());
    EXPECT_EQ(b.box.m_wndText->x(), CW / 2 - dialogMetrics().horizontalAdvance("Пас") / 2);
}

TEST(MessageBoxLayout, TextControlFitsTheLineWithMostCharacters) {
    const QFontMetrics fm = dialogMetrics();
    auto text = [](const QString& message) {
        OpenBox b(message, "", CMessageBox::MBF_OK);
        return std::pair(b.box.m_wndText->size(), b.box.m_wndText->text());
    };
    EXPECT_EQ(text("Раз\nНевозможный ход\nДва").first,
              QSize(fm.horizontalAdvance("Невозможный ход"), 3 * fm.height()));
    // Character count decides, not pixels; the later of equal lines wins.
    EXPECT_EQ(text("WWWW\niiii").first.width(), fm.horizontalAdvance("iiii"));
    EXPECT_EQ(text("Первая\r\nвторая!"), std::pair(QSize(fm.horizontalAdvance("вторая!"),
                                                         2 * fm.height()),
                                                   QString("Первая\nвторая!")));
}

TEST(MessageBoxLayout, LongCaptionWidensTheBox) {
    const QString caption = "Очень длинный заголовок окна сообщения";
    for (UINT extra : {0u, CMessageBox::MBF_CAPTIONICON}) {
        OpenBox b("Да", caption, CMessageBox::MBF_OK | extra);
        const int icon = extra ? 16 : 0;
        EXPECT_EQ(b.box.width(), captionAdvance(caption) + icon + 2 * b.box.m_nMargin) << extra;
    }
}

TEST(MessageBoxLayout, IconAndTwoButtons) {
    OpenBox b("Сдаётесь?", "Игра", CMessageBox::MBF_OKCANCEL | CMessageBox::MBF_ICON, redIcon());
    const int M = b.box.m_nMargin;
    const int CW = b.box.width();
    const int CH = b.box.height();
    QWidget* ok = b.item(IDOK);
    QWidget* cancel = b.item(IDCANCEL);
    ASSERT_LT(dialogMetrics().height(), 32);
    EXPECT_EQ(b.box.m_wndText->x(), 2 * M + 32);
    EXPECT_EQ(CH, 32 + 3 * M + ok->height());
    EXPECT_TRUE(ok->isVisible() && cancel->isVisible());
    EXPECT_EQ(ok->geometry().right() + 1, CW / 2 - 2);
    EXPECT_EQ(cancel->x(), CW / 2 + 2);
    EXPECT_GE(ok->x(), M);
    EXPECT_LE(cancel->geometry().right() + 1, CW - M);
    EXPECT_EQ(ok->geometry().bottom() + 1, CH - M);
    EXPECT_EQ(cancel->geometry().bottom() + 1, CH - M);
    EXPECT_EQ(b.box.grab().toImage().pixelColor(M + 16, M + 16), QColor(Qt::red));
}

TEST(MessageBoxLayout, IconIsDrawnOnlyWithItsFlag) {
    OpenBox withoutFlag("Нет", "", CMessageBox::MBF_OK | CMessageBox::MBF_CAPTIONICON, redIcon());
    const int mid = withoutFlag.box.m_nMargin + 16;
    EXPECT_NE(withoutFlag.box.grab().toImage().pixelColor(mid, mid), QColor(Qt::red));
    // Icon space reserved but no icon given: stays background.
    OpenBox noIcon("Нет", "", 0x34);
    const QImage empty = noIcon.box.grab().toImage();
    EXPECT_EQ(empty.pixelColor(mid, mid), empty.pixelColor(1, 1));
}

TEST(MessageBoxResult, OkGivesOneEverythingElseTwo) {
    const struct {
        UINT flags;
        Answer answer;
        int expected;
        const char* what;
    } cases[] = {
        {CMessageBox::MBF_OKCANCEL, press(IDOK), IDOK, "press OK"},
        {CMessageBox::MBF_OKCANCEL, press(IDCANCEL), IDCANCEL, "press Cancel"},
        {CMessageBox::MBF_OK, press(IDOK), IDOK, "press the only OK"},
        {CMessageBox::MBF_OKCANCEL, key(Qt::Key_Return), IDOK, "Enter"},
        {CMessageBox::MBF_OKCANCEL, key(Qt::Key_Escape), IDCANCEL, "Escape"},
        {CMessageBox::MBF_OK, [](CDialog* d) { d->close(); }, IDCANCEL, "close"},
        {0, key(Qt::Key_Escape), IDCANCEL, "Escape without buttons"},
    };
    for (const auto& c : cases) {
        answerModal(c.answer);
        EXPECT_EQ(CMessageBox::Show(nullptr, "Сообщение", "Заголовок", c.flags), c.expected)
            << c.what;
    }
}
