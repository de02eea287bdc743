// The network program's own windows (the frame, its menu, the general
// settings page, the names dialog) and what it keeps between runs.

#include "FramePlacement.h"
#include "HelpWnd.h"
#include "NameDlg.h"
#include "NetAdjustment.h"
#include "NetCommands.h"
#include "NetMainFrame.h"
#include "NetMenu.h"
#include "NetSettings.h"
#include "SettingsFile.h"
#include "TestControl.h"
#include "TestUtil.h"
#include "VictoryTable.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTcpServer>
#include <QTextBrowser>
#include <QTimer>
#include <QToolTip>

using namespace netcmd;
using testsettings::Dword;

namespace {

// The nine boxes of "Общие настройки" as the user sees them, ticked or not.
std::map<int, bool> Boxes(CNetMainFrame& frame) {
    std::map<int, bool> seen;
    const CNetPagePublicSetting& page = frame.Settings()->m_PagePublicSetting;
    for (int id : {1020, 1023, 1053, 1077, 1078, 1079, 1080, 1081, 1083})
        seen[id] = page.GetCheck(id);
    return seen;
}

// Shows the frame and answers the names dialog a first start opens.
void ShowAnsweringNames(CNetMainFrame& frame, const QString& button) {
    testutil::ModalSeen seen;
    testutil::AnswerNextModal(button, &seen);
    frame.show();
    ASSERT_TRUE(testutil::WaitFor([&] { return seen.answered; }));
    EXPECT_EQ(seen.title, QStringLiteral("Как Вас называть?"));
    ASSERT_TRUE(testutil::WaitFor([] { return !QApplication::activeModalWidget(); }));
}

} // namespace

TEST(NetShellSettings, AFirstStartShowsTheDefaultsAndAsksForTheName) {
    CNetMainFrame frame;
    ShowAnsweringNames(frame, QStringLiteral("Отмена"));
    // Automatic game, closed discards, locked joining, names at start, chat,
    // no victory table, no animation, stars, sounds.
    EXPECT_EQ(Boxes(frame), (std::map<int, bool>{{1020, true},
                                                 {1023, false},
                                                 {1053, true},
                                                 {1077, true},
                                                 {1078, true},
                                                 {1079, false},
                                                 {1080, true},
                                                 {1081, true},
                                                 {1083, true}}));
    CPlayNet& view = *frame.View();
    EXPECT_FALSE(view.m_Public.m_VictoryTable.isVisible());
    EXPECT_EQ(view.m_NumberStars.load(), CPlayNet::kStarsGame);
    // A party to 31 points, said in the title.
    EXPECT_TRUE(testutil::WaitFor(
        [&] { return frame.windowTitle() == "Сетевая карточная игра Занта - до 31 очка"; }));
    EXPECT_TRUE(view.IsCommandChecked(ID_GAME31));
}

TEST(NetShellSettings, AreReadBackAndOnlyAOneIsTrue) {
    CNetSettings w;
    // Everything away from its default.
    w.m_AutomaticGame = w.m_ClosedCardReset = w.m_LockAddPlayers = w.m_ShowNameWnd = false;
    w.m_ShowTabloVictory = true;
    w.m_ShowTelegraph = false;
    w.m_ShowAnimation = true;
    w.m_GameForStars = w.m_Game31 = w.m_Sound = false;
    w.m_ShirtNumber = 40;
    w.m_TableNumber = 7;
    w.m_BGNumber = 6;
    w.m_TableImageFile = QStringLiteral("/home/зоя/стол.png");
    ASSERT_TRUE(w.Write());
    CNetSettings r;
    ASSERT_TRUE(r.Read());
    EXPECT_EQ(std::tuple(r.m_AutomaticGame, r.m_ClosedCardReset, r.m_LockAddPlayers,
                         r.m_ShowNameWnd, r.m_ShowTabloVictory, r.m_ShowTelegraph,
                         r.m_ShowAnimation, r.m_GameForStars, r.m_Game31, r.m_Sound),
              std::tuple(false, false, false, false, true, false, true, false, false, false));
    EXPECT_EQ(std::tuple(r.m_ShirtNumber, r.m_TableNumber, r.m_BGNumber, r.m_TableImageFile),
              std::tuple(40, 7, 6, w.m_TableImageFile));
    EXPECT_EQ(r.EffectiveTable(), 1); // the picture is not there

    // A flag stored as 2 is not on, sounds included; damaged numbers read as defaults.
    for (const char* name : {"SoundEffect", "Automatic Game", "ShowTelegraph"})
        ASSERT_EQ(testsettings::Set(CNetSettings::kKey, name, REG_DWORD, Dword(2)), ERROR_SUCCESS);
    ASSERT_EQ(testsettings::Set(CNetSettings::kKey, "Shirt Number", REG_DWORD, Dword(36)),
              ERROR_SUCCESS);
    ASSERT_TRUE(r.Read());
    EXPECT_FALSE(r.m_Sound || r.m_AutomaticGame || r.m_ShowTelegraph);
    EXPECT_EQ(r.m_ShirtNumber, 37);
}

TEST(NetShellSettings, WhatTheUserTicksIsThereAtTheNextStart) {
    {
        CNetMainFrame frame;
        ShowAnsweringNames(frame, QStringLiteral("Отмена"));
        frame.OnCommand(ID_SETTINGS);
        CNetAdjustment& sheet = *frame.Settings();
        CNetPagePublicSetting& page = sheet.m_PagePublicSetting;
        sheet.SetActivePage(&page);
        ASSERT_TRUE(testutil::WaitFor([&] { return page.isVisible(); }));
        for (int id : {1020, 1079, 1081}) {
            auto* box = qobject_cast<QCheckBox*>(page.GetControl(id));
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        }
        // The victory table follows its box at once.
        EXPECT_TRUE(frame.View()->m_Public.m_VictoryTable.isVisible());
        ASSERT_TRUE(testutil::WaitFor([&] { return frame.View()->IsIdle(); }));
    }
    CNetMainFrame again; // no names dialog this time
    again.show();
    const std::map<int, bool> boxes = Boxes(again);
    EXPECT_FALSE(boxes.at(1020) || boxes.at(1081));
    EXPECT_TRUE(boxes.at(1079));
    EXPECT_TRUE(
        testutil::WaitFor([&] { return again.View()->m_Public.m_VictoryTable.isVisible(); }));
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(NetShellFrame, AloneItClosesAtOnceAndCannotBeMadeSmallerThan735By552) {
    testsettings::Set(CNetSettings::kKey, "ShowNameWnd", REG_DWORD, Dword(0));
    CNetMainFrame frame;
    frame.show();
    ASSERT_TRUE(testutil::WaitFor([&] { return frame.isVisible(); }));
    frame.resize(100, 100);
    EXPECT_EQ(CFramePlacement::WindowSize(frame.size()), QSize(735, 552));

    QSignalSpy closed(&frame, &CNetMainFrame::Closed);
    ASSERT_EQ(frame.View()->NumberPlayers(), 1);
    EXPECT_TRUE(frame.close());
    EXPECT_FALSE(frame.isVisible());
    EXPECT_TRUE(testutil::WaitFor([&] { return closed.count() == 1; }));
    // Closed alone, the window's place is not kept.
    EXPECT_TRUE(testsettings::Get("Public", "Left").isEmpty());
}

TEST(NetShellFrame, WithOnePlayerTheMenuOffersOnlyWhatOnePlayerCanDo) {
    testsettings::Set(CNetSettings::kKey, "ShowNameWnd", REG_DWORD, Dword(0));
    CNetMainFrame frame;
    frame.show();
    QMenu* main = frame.Menu()->GetMainPopup();
    // What "Главная" shows when opened: nobody to deal to, no game to go on
    // with; the party kinds are the lone player's to choose.
    bool looked = false;
    QTimer::singleShot(0, [&] {
        auto item = [&](UINT id) { return frame.Menu()->FindCommand(id); };
        EXPECT_FALSE(item(ID_NEW_PARTY)->isEnabled());
        EXPECT_FALSE(item(ID_NEXT_GAME)->isEnabled());
        EXPECT_TRUE(item(ID_GAME31)->isEnabled() && item(ID_GAME12)->isEnabled());
        EXPECT_TRUE(item(ID_GAME31)->isChecked());
        EXPECT_FALSE(item(ID_GAME12)->isChecked());
        EXPECT_TRUE(item(ID_CHANGE_NAMES)->isEnabled() && item(ID_APP_EXIT)->isEnabled());
        looked = true;
        main->close();
    });
    main->exec(QPoint(10, 10));
    EXPECT_TRUE(looked);

    // Choosing the other kind is said in the title and checked next time.
    frame.OnCommand(ID_GAME12);
    EXPECT_TRUE(testutil::WaitFor([&] {
        return frame.windowTitle() == "Сетевая карточная игра Занта - до 12 баллов" &&
               frame.View()->IsIdle();
    }));
    EXPECT_TRUE(frame.View()->IsCommandChecked(ID_GAME12));
    // The shared boxes of a 12-ball party are greyed with it.
    EXPECT_FALSE(frame.Settings()->m_PagePublicSetting.GetControl(1080)->isEnabled());
}

// Minimised and restored, the window shows what it showed: the settings
// sheet the user left open comes back, the one he closed does not.
TEST(NetShellFrame, RestoreBringsBackOnlyASettingsSheetLeftOpen) {
    testsettings::Set(CNetSettings::kKey, "ShowNameWnd", REG_DWORD, Dword(0));
    CNetMainFrame frame;
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    const auto minimiseAndRestore = [&] {
        frame.showMinimized();
        QApplication::processEvents();
        frame.hide(); // what a window manager does on minimising
        QApplication::processEvents();
        frame.showNormal();
        QTest::qWait(200);
    };
    frame.OnCommand(ID_SETTINGS);
    ASSERT_TRUE(frame.Settings()->isVisible());
    minimiseAndRestore();
    EXPECT_TRUE(frame.Settings()->isVisible());
    frame.Settings()->close(); // its close box
    ASSERT_FALSE(frame.Settings()->isVisible());
    minimiseAndRestore();
    EXPECT_FALSE(frame.Settings()->isVisible());
}

TEST(NetShellFrame, TheNamesDialogAsksOnlyForTheNameAndTheTableTakesIt) {
    testsettings::Set(CNetSettings::kKey, "ShowNameWnd", REG_DWORD, Dword(0));
    CNetMainFrame frame;
    frame.show();
    bool answered = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CNameDlg*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dlg);
        EXPECT_EQ(dlg->GetControl(CNameDlg::IDC_EDIT_NAME2), nullptr);
        auto* combo = qobject_cast<QComboBox*>(dlg->GetControl(CNameDlg::IDC_COMBO_NAME));
        // A character a name cannot keep is refused, and the user told why.
        combo->lineEdit()->clear();
        QTest::sendKeyEvent(QTest::Click, combo->lineEdit(), Qt::Key_unknown, QStringLiteral("😀"),
                            Qt::NoModifier);
        EXPECT_EQ(combo->currentText(), QString());
        EXPECT_TRUE(QToolTip::isVisible());
        EXPECT_TRUE(QToolTip::text().startsWith(QStringLiteral("Этот знак не поддерживается")));
        combo->lineEdit()->setText(QStringLiteral("Серафима"));
        QTest::mouseClick(dlg->GetDlgItem(IDOK), Qt::LeftButton);
        answered = true;
    });
    frame.OnCommand(ID_CHANGE_NAMES);
    EXPECT_TRUE(answered);
    CPublic& t = frame.View()->m_Public;
    EXPECT_TRUE(testutil::WaitFor(
        [&] { return t.m_Players[0].m_LabelName.GetCaption() == QStringLiteral("Серафима"); }));
}

// The help names the menu items as the menus have them and tells the rules
// the tables play by.
TEST(NetShellFrame, TheHelpTellsTheRulesAsTheTablesPlayThem) {
    testsettings::Set(CNetSettings::kKey, "ShowNameWnd", REG_DWORD, Dword(0));
    CNetMainFrame frame;
    frame.show();
    frame.OnCommand(ID_HELP);
    CHelpWnd* help = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* h = qobject_cast<CHelpWnd*>(w); h && h->isVisible())
            help = h;
    ASSERT_TRUE(help);
    const QString text = help->GetBrowser()->toPlainText().simplified();
    EXPECT_EQ(text.count(QStringLiteral("Подключиться")),
              text.count(QStringLiteral("Подключиться к игре")));
    EXPECT_TRUE(text.contains(QStringLiteral("Подключиться к игре")));
    // A zanta ends a game to 31 points at once, and only then.
    EXPECT_TRUE(text.contains(QStringLiteral(
        "В партии до 31 очка игра сразу заканчивается, если после сдачи или добора карт у "
        "игрока три козыря")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("В партии до 12 баллов занта не заканчивает игру")));
    EXPECT_TRUE(text.contains(QStringLiteral("каждый проигравший теряет одну")));
    help->close();
}

TEST(NetShellControl, AnswersEveryCommandWithOneLine) {
    testsettings::Set(CNetSettings::kKey, "ShowNameWnd", REG_DWORD, Dword(0));
    CNetMainFrame frame;
    frame.show();
    CTestControl control(&frame, QStringLiteral("stdio"));
    ASSERT_TRUE(testutil::WaitFor([&] { return frame.View()->IsIdle(); }));
    EXPECT_EQ(control.Execute("players"), "players 1");
    EXPECT_EQ(control.Execute("idle"), "idle 1");
    EXPECT_EQ(control.Execute("enabled 32772"), "enabled 0");
    EXPECT_EQ(control.Execute("menu 32772"), "disabled");
    EXPECT_EQ(control.Execute("card 1"), "error no card 1");
    EXPECT_EQ(control.Execute("button"), "error no button");
    EXPECT_EQ(control.Execute("modal"), "modal none");
    EXPECT_EQ(control.Execute("host 70000"), "error usage: host <port> [2..4]");
    EXPECT_EQ(control.Execute("frobnicate"), "error unknown command");
    // "Сеть" opens the connection dialog, which OK closes: answered from
    // inside the dialog's own loop, as the real control is.
    QStringList answers;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!QApplication::activeModalWidget())
            return;
        poll.stop();
        answers << control.Execute("modal") << control.Execute("accept");
    });
    poll.start(5);
    EXPECT_EQ(control.Execute("menu 32814"), "ok");
    EXPECT_TRUE(testutil::WaitFor([&] { return answers.size() == 2; }));
    EXPECT_EQ(answers, QStringList({"modal Выбор режима работы", "ok"}));
    EXPECT_TRUE(testutil::WaitFor([] { return QApplication::activeModalWidget() == nullptr; }));
    const QString dump = control.Execute("dump");
    EXPECT_TRUE(dump.startsWith("dump ") && !dump.contains('\n')) << dump.toStdString();
    // Hosting on a port in use answers at once; the warning it shows is
    // open, and "accept" closes it.
    QTcpServer busy;
    ASSERT_TRUE(busy.listen(QHostAddress::LocalHost));
    EXPECT_EQ(control.Execute(QStringLiteral("host %1").arg(busy.serverPort())), "error 0x80158320");
    EXPECT_TRUE(testutil::WaitFor([&] { return control.Execute("modal") == "modal Внимание!"; }));
    EXPECT_EQ(control.Execute("accept"), "ok");
    EXPECT_TRUE(testutil::WaitFor([] { return QApplication::activeModalWidget() == nullptr; }));
}

TEST(NetShellFrame, LeavingAGameOfTwoHidesAtOnceAndEndsWithinTenSeconds) {
    testsettings::Set(CNetSettings::kKey, "ShowNameWnd", REG_DWORD, Dword(0));
    CNetMainFrame host;
    auto owned = std::make_unique<CNetMainFrame>();
    CNetMainFrame& guest = *owned;
    host.show();
    guest.show();
    guest.View()->ChangeName(QStringLiteral("Гость"));
    CTestControl hostControl(&host, QStringLiteral("stdio"));
    CTestControl guestControl(&guest, QStringLiteral("stdio"));
    // Port 0: the system picks a free one, which the session then reports.
    ASSERT_EQ(hostControl.Execute("host 0 2"), "ok");
    QByteArray address;
    DWORD port = 0;
    ASSERT_EQ(host.View()->m_DirectPlay.GetLocalAddress(address, port), S_OK);
    ASSERT_EQ(guestControl.Execute(QStringLiteral("join 127.0.0.1 %1").arg(port)), "ok");
    ASSERT_TRUE(testutil::WaitFor(
        [&] { return host.View()->NumberPlayers() == 2 && guest.View()->NumberPlayers() == 2; },
        10000));

    QSignalSpy closed(&guest, &CNetMainFrame::Closed);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(guest.close()); // not yet closed, but gone from the screen
    EXPECT_FALSE(guest.isVisible());
    EXPECT_TRUE(guest.m_CloseRequested);
    EXPECT_TRUE(testutil::WaitFor([&] { return closed.count() == 1; }, 12000));
    EXPECT_LT(clock.elapsed(), 11000);
    // Leaving a game keeps the window's place for the next start.
    EXPECT_FALSE(testsettings::Get("Public", "Left").isEmpty());
    // The program ends there; the other side is alone again.
    owned.reset();
    EXPECT_TRUE(testutil::WaitFor([&] { return host.View()->NumberPlayers() == 1; }, 10000));
}
