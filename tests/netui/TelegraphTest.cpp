// The chat panel as the players see it: what typing sends, what a received
// text shows on its seat's line, how the panel arranges itself for the seats.

#include "Telegraph.h"
#include "Cp1251.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolTip>

#include <vector>

namespace {

// The game window the panel sits in; it keeps every chat text sent to it.
class ChatWnd : public CWnd {
public:
    std::vector<QByteArray> sent;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SEND_CHAT)
            sent.emplace_back(reinterpret_cast<const char*>(wParam));
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

struct Table {
    ChatWnd wnd;
    CTelegraph chat;
    Table() {
        wnd.resize(800, 600);
        chat.Create(&wnd, QPoint(300, 300));
        chat.SetPlayers(1);
        wnd.show();
    }
    QString Line(int seat) const { return chat.m_Lines[seat - 2]->text(); }
    bool LineShown(int seat) const { return chat.m_Lines[seat - 2]->isVisibleTo(&chat); }
};

// Key by key, as the user types; any characters, not only ASCII.
void TypeInto(QWidget* w, const QString& text) {
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

} // namespace

TEST(TelegraphTest, EveryChangeOfTheFieldGoesOutWholeAndOverwritesTheLine) {
    Table me, other;
    other.chat.m_Names[0] = QStringLiteral("Петров");
    other.chat.SetPlayers(2);
    auto receive = [&] { other.chat.SetLine(2, Cp1251ToUnicode(me.wnd.sent.back())); };

    TypeInto(me.chat.m_Edit, QStringLiteral("abc"));
    EXPECT_EQ(me.wnd.sent, (std::vector<QByteArray>{"a", "ab", "abc"}));
    receive();
    EXPECT_EQ(other.Line(2), QStringLiteral("Петров:abc"));

    me.chat.m_Edit->selectAll();
    QTest::keyClick(me.chat.m_Edit, Qt::Key_Delete);
    ASSERT_EQ(me.wnd.sent.size(), 4u);
    EXPECT_EQ(me.wnd.sent.back(), QByteArray());
    receive();
    EXPECT_EQ(other.Line(2), QStringLiteral("Петров:"));

    // Russian goes out in the record's code page; Enter neither sends nor clears.
    TypeInto(me.chat.m_Edit, QStringLiteral("Да"));
    QTest::keyClick(me.chat.m_Edit, Qt::Key_Return);
    EXPECT_EQ(me.wnd.sent.size(), 6u);
    EXPECT_EQ(me.wnd.sent.back(), QByteArray("\xC4\xE0"));
    EXPECT_EQ(me.chat.m_Edit->text(), QStringLiteral("Да"));

    // With the hook set the text goes there instead; the field takes 50 characters.
    std::vector<QByteArray> hooked;
    me.chat.m_Send = [&](const QByteArray& text) { hooked.push_back(text); };
    TypeInto(me.chat.m_Edit, QString(60, QLatin1Char('z')));
    EXPECT_EQ(me.wnd.sent.size(), 6u);
    ASSERT_EQ(hooked.size(), 48u);
    EXPECT_EQ(hooked.back(), QByteArray("\xC4\xE0") + QByteArray(48, 'z'));
    // Characters the record cannot carry are refused as typed, and the
    // user is told why beside the field.
    me.chat.m_Edit->selectAll();
    QTest::keyClick(me.chat.m_Edit, Qt::Key_Delete);
    ASSERT_EQ(hooked.size(), 49u);
    EXPECT_FALSE(QToolTip::isVisible());
    TypeInto(me.chat.m_Edit, QStringLiteral("中"));
    EXPECT_EQ(hooked.size(), 49u);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Этот знак не поддерживается: можно русские и "
                                               "латинские буквы, цифры и знаки препинания."));
}

TEST(TelegraphTest, ALineKeepsTheNewestCharactersUnderTheName) {
    Table t;
    t.chat.m_Names[0] = QStringLiteral("Петров");
    t.chat.m_Names[1] = QStringLiteral("Ян");
    t.chat.SetPlayers(3);

    t.chat.SetLine(2, QStringLiteral("123456789012345678901234567890"));
    EXPECT_EQ(t.Line(2), QStringLiteral("Петров:89012345678901234567890"));
    EXPECT_EQ(t.Line(3), QStringLiteral("Ян:"));

    t.chat.SetLine(1, QStringLiteral("x"));
    t.chat.SetLine(5, QStringLiteral("x"));
    EXPECT_EQ(t.Line(2), QStringLiteral("Петров:89012345678901234567890"));

    // A longer new name leaves room for fewer characters.
    t.chat.SetName(2, QStringLiteral("Александров"));
    EXPECT_EQ(t.Line(2), QStringLiteral("Александров:345678901234567890"));

    // Each line keeps its own player's words whoever wrote last; a shorter
    // name shows more of them again.
    t.chat.SetLine(3, QStringLiteral("x€yzw"));
    t.chat.SetName(2, QStringLiteral("Валя"));
    EXPECT_EQ(t.Line(2), QStringLiteral("Валя:6789012345678901234567890"));
    t.chat.SetName(3, QStringLiteral("Боб"));
    EXPECT_EQ(t.Line(3), QStringLiteral("Боб:x€yzw"));
}

TEST(TelegraphTest, ThePanelGrowsDownwardForEachSeatAndShowsItselfForThreeOrFour) {
    Table t;
    t.chat.m_Names[0] = QStringLiteral("Петров");
    t.chat.m_Names[1] = QStringLiteral("Ян");
    t.chat.m_Names[2] = QStringLiteral("Сидоров");
    EXPECT_EQ(t.chat.geometry(), QRect(300, 300, 250, 44));
    EXPECT_FALSE(t.LineShown(2) || t.LineShown(3) || t.LineShown(4));
    EXPECT_EQ(t.chat.m_Edit->y(), 20);

    t.chat.PlaceInCorner(600);
    t.chat.SetPlayers(2);
    EXPECT_EQ(t.chat.geometry(), QRect(2, 554, 250, 62));
    EXPECT_TRUE(t.LineShown(2));
    EXPECT_FALSE(t.LineShown(3) || t.LineShown(4));
    EXPECT_EQ(t.chat.m_Edit->y(), 37);

    // Chat switched off: two players keep it hidden, a third brings it back
    // with both lines emptied.
    t.chat.SetLine(2, QStringLiteral("привет"));
    t.chat.hide();
    t.chat.SetPlayers(2);
    EXPECT_FALSE(t.chat.isVisible());
    t.chat.SetLine(2, QStringLiteral("привет"));
    t.chat.SetPlayers(3);
    EXPECT_TRUE(t.chat.isVisible());
    EXPECT_EQ(t.chat.geometry(), QRect(2, 554, 250, 79));
    EXPECT_EQ(t.Line(2), QStringLiteral("Петров:"));
    EXPECT_EQ(t.Line(3), QStringLiteral("Ян:"));
    EXPECT_FALSE(t.LineShown(4));
    EXPECT_EQ(t.chat.m_Edit->y(), 54);

    t.chat.SetPlayers(4);
    t.chat.SetPlayers(5);
    t.chat.SetPlayers(0);
    EXPECT_EQ(t.chat.geometry(), QRect(2, 554, 250, 96));
    EXPECT_TRUE(t.LineShown(2) && t.LineShown(3) && t.LineShown(4));
    EXPECT_EQ(t.Line(4), QStringLiteral("Сидоров:"));
    EXPECT_EQ(t.chat.m_Edit->y(), 71);
    t.chat.PlaceInCorner(600);
    EXPECT_EQ(t.chat.pos(), QPoint(2, 502));
}
