#include "BeginHelpDlg.h"
#include "HelpWnd.h"
#include "MainMenu.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <functional>
#include <vector>

namespace {

QStringList itemTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* item : menu->actions())
        texts << (item->isSeparator() ? QStringLiteral("-") : item->text());
    return texts;
}

// Acts on the next popup menu once it is open.
void onNextPopup(std::function<void(QMenu*)> act, int attempts = 1000) {
    QTimer::singleShot(5, [act, attempts] {
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
            act(popup);
        else if (attempts > 0)
            onNextPopup(act, attempts - 1);
        else
            ADD_FAILURE() << "no popup menu opened";
    });
}

// A frame as the program's: every command recorded; "Следующая игра" grayed
// and the 31-point party checked, as the view would have them.
struct Frame {
    QWidget window;
    std::vector<UINT> commands;
    CMainMenu* menu = new CMainMenu(
        &window, [this](UINT id) { commands.push_back(id); },
        [](UINT id, QAction* item) {
            if (id == ID_NEXT_GAME)
                item->setEnabled(false);
            if (id == ID_GAME31 || id == ID_GAME12)
                item->setChecked(id == ID_GAME31);
        });
};

} // namespace

TEST(ShellHelp, TheHelpWindowShowsTheBundledPage) {
    QPointer<CHelpWnd> help = CHelpWnd::ShowHelp(nullptr);
    ASSERT_TRUE(testutil::WaitFor([&] { return help->isVisible(); }));
    QTextBrowser* browser = help->GetBrowser();
    EXPECT_EQ(browser->source(), CHelpWnd::HelpPage());
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Правила игры")));

    EXPECT_EQ(CHelpWnd::ShowHelp(nullptr), help.data()); // one window at a time
    help->close();
    EXPECT_TRUE(testutil::WaitFor([&] { return help.isNull(); }));
}

TEST(ShellHelp, TheRulesFitUnderTheirTitle) {
    CBeginHelpDlg dlg;
    testutil::ModalSeen seen;
    testutil::AnswerNextModal(QStringLiteral("ОК"), &seen);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(seen.text.contains(QStringLiteral("\"Первоходящий\" из игроков")));

    const QRect title = dlg.m_Title.GetTextRect();
    EXPECT_TRUE(dlg.rect().contains(title));
    auto* rules = qobject_cast<QLabel*>(dlg.GetDlgItem(CBeginHelpDlg::IDC_STATIC_RULES));
    EXPECT_LE(rules->heightForWidth(rules->width()), rules->height());
    EXPECT_GT(rules->y(), title.bottom());
    EXPECT_LT(rules->geometry().bottom(), dlg.GetDlgItem(IDOK)->y());
}

TEST(ShellMenu, TheMenuCarriesTheCommandNumbers) {
    Frame frame;
    // Every item hands its number to the frame.
    for (UINT id : {32772u, 32774u, 32780u, 32783u, 32787u, 32792u, 32793u, 32794u, 32808u, 32815u,
                    32816u, 57664u}) {
        ASSERT_NE(frame.menu->FindCommand(id), nullptr) << id;
        frame.menu->FindCommand(id)->trigger();
        EXPECT_EQ(frame.commands.back(), id);
    }

    frame.window.show();
    frame.window.activateWindow();
    ASSERT_TRUE(testutil::WaitFor([&] { return frame.window.isActiveWindow(); }));
    QTest::keyClick(&frame.window, Qt::Key_F1);
    EXPECT_EQ(frame.commands.back(), ID_HELP);
}

TEST(ShellMenu, TheContextMenuAddsSettingsAndHelpWhileOpen) {
    Frame frame;
    QMenu* main = frame.menu->GetMainPopup();
    const QStringList plain = itemTexts(main);
    QStringList shown;
    onNextPopup([&](QMenu* popup) {
        shown = itemTexts(popup);
        EXPECT_FALSE(frame.menu->FindCommand(ID_NEXT_GAME)->isEnabled());
        EXPECT_TRUE(frame.menu->FindCommand(ID_GAME31)->isChecked());
        popup->setActiveAction(popup->actions()[plain.size() + 2]); // "Справка..."
        QTest::keyClick(popup, Qt::Key_Return);
    });
    EXPECT_EQ(frame.menu->TrackPopupMenu(QPoint(50, 50)), ID_HELP_CONTENTS);
    EXPECT_EQ(shown.size(), plain.size() + 4); // settings and help around the main items
    // Handed over once, and the menu is as it was.
    EXPECT_EQ(frame.commands, std::vector<UINT>{ID_HELP_CONTENTS});
    EXPECT_EQ(itemTexts(main), plain);

    onNextPopup([](QMenu* popup) { QTest::keyClick(popup, Qt::Key_Escape); });
    EXPECT_EQ(frame.menu->TrackPopupMenu(QPoint(50, 50)), 0u);
    EXPECT_EQ(frame.commands.size(), 1u);
}
