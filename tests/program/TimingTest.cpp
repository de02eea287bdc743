// The windows a test that acts only at an idle table never opens: commands,
// keys, resizes and closing while timers are armed, workers move cards and a
// zanta waits to end its game.

#include "Adjustment.h"
#include "DealSeed.h"
#include "MainMenu.h"
#include "ProgramDriver.h"
#include "TestUtil.h"
#include "Time.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <algorithm>
#include <QMenu>
#include <QTest>
#include <QTimer>

namespace {

constexpr int kDefaultPace = 500;

bool Idle(ProgramDriver& p) {
    return !CPlayWithComputer::IsBusy() && !p.View().HasIdleWork();
}

// Every active seat holds three cards and nothing lies on the table: what a
// new party's deal leaves, whoever else moved nothing.
QString DealFault(CPublic& t) {
    if (t.GetNumberCardsOnTable() != 0)
        return QStringLiteral("%1 cards on the table").arg(t.GetNumberCardsOnTable());
    for (int seat = 1; seat <= t.m_NumberPlayers; ++seat)
        if (t.GetNumberCardsPlayer(seat) != 3)
            return QStringLiteral("seat %1 holds %2 cards").arg(seat).arg(t.GetNumberCardsPlayer(seat));
    return {};
}

// Plays the user's part and deals the next game, whatever comes.
void PlayOn(ProgramDriver& p) {
    if (p.IsUsersTurn())
        p.MakeUserMove();
    else if (Idle(p) && !p.PressButton(ButtonText::Deal))
        p.PressButton(ButtonText::NewParty);
}

// The new party's deal is over when the step after it is armed.
bool WaitForNewDeal(ProgramDriver& p) {
    CPlayWithComputer& v = p.View();
    return testutil::WaitFor(
        [&] {
            return Idle(p) && !p.Table().m_Pack.IsPackFull() && p.Table().m_NumberGame == 1 &&
                   (v.IsTimerSet(CPlayWithComputer::TIMER_STEP) ||
                    v.IsTimerSet(CPlayWithComputer::TIMER_ZANTA));
        },
        30000);
}

// Closes every modal box as soon as it opens ("Отмена").
class RefuseEveryQuestion {
public:
    RefuseEveryQuestion() {
        QObject::connect(&m_Timer, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        m_Timer.start(2);
    }

private:
    QTimer m_Timer;
};

// Cards glide and turn in real time while alive.
class RealPauses {
public:
    RealPauses() : m_previous(platform::SetPauseHook(nullptr)) {}
    ~RealPauses() { platform::SetPauseHook(m_previous); }

private:
    platform::PauseHook m_previous;
};

} // namespace

// A party left while a computer's step is armed, or while its cards glide,
// restarts with one clean deal: the old step never runs beside the new dealer.
TEST(ProgramTiming, AbandonedPartyRestartsWithOneCleanDeal) {
    for (int players = 2; players <= 4; ++players) {
        ProgramDriver p(players, true, /*animate=*/true);
        RealPauses glide;
        CPublic& t = p.Table();
        CPlayWithComputer& v = p.View();
        v.m_GameRate = kDefaultPace;
        ASSERT_TRUE(p.PressButton(ButtonText::NewParty));

        // A computer seat's step is armed: leave by "Новая партия".
        ASSERT_TRUE(testutil::WaitFor(
            [&] {
                PlayOn(p);
                return Idle(p) && t.m_CurrentPlayer != 1 && v.IsTimerSet(CPlayWithComputer::TIMER_STEP);
            },
            30000));
        // "Отмена" leaves the party as it is; "ОК" leaves it.
        testutil::ModalSeen refused;
        testutil::AnswerNextModal(QStringLiteral("Отмена"), &refused);
        v.OnCommand(ID_NEW_PARTY);
        EXPECT_EQ(refused.text, QStringLiteral("Прервать текущую игру и начать новую партию?"));
        EXPECT_FALSE(v.m_BreakParty);
        testutil::AnswerNextModal(QStringLiteral("ОК"));
        v.OnCommand(ID_NEW_PARTY);
        ASSERT_TRUE(WaitForNewDeal(p)) << players << " seats";
        EXPECT_EQ(DealFault(t), QString()) << players << " seats, after a new party";

        // A computer's card glides: leave by changing the party's kind.
        ASSERT_TRUE(testutil::WaitFor(
            [&] {
                PlayOn(p);
                return CCard::m_staticProccessMovecard != 0 && t.m_CurrentPlayer != 1;
            },
            30000));
        testutil::ModalSeen confirmed;
        testutil::AnswerNextModal(QStringLiteral("ОК"), &confirmed);
        v.OnCommand(ID_GAME12);
        EXPECT_EQ(confirmed.text, QStringLiteral("Прервать текущую партию и начать игру до 12 баллов?"));
        ASSERT_TRUE(WaitForNewDeal(p)) << players << " seats";
        EXPECT_FALSE(t.m_Game31);
        EXPECT_EQ(DealFault(t), QString()) << players << " seats, after a change of kind";
        // The box of the stars game follows the kind.
        auto& page = p.Frame().Settings()->m_PagePublicSetting;
        EXPECT_FALSE(page.GetControl(IDC_CHECK_STARS)->isEnabled());
    }
}

// While a zanta waits to end its 31-point game, nothing starts the next game:
// the zanta is scored.
TEST(ProgramTiming, ZantaIsScoredWhateverIsPressedDuringItsPause) {
    const std::uint32_t seed = testutil::ShuffleSeed(2, true);
    ASSERT_NE(seed, 0u);
    ProgramDriver p(2, true);
    CPublic& t = p.Table();
    CPlayWithComputer& v = p.View();
    v.m_GameRate = 2000; // a pause of 5 s after the zanta, long enough on a loaded machine
    CPack::m_Shuffle = seed;
    ASSERT_TRUE(p.PressButton(ButtonText::NewParty));
    ASSERT_TRUE(testutil::WaitFor([&] { return v.m_ZantaPending && Idle(p); }, 4000));
    EXPECT_FALSE(v.IsCommandEnabled(ID_NEXT_GAME));
    QTest::keyClick(&v, Qt::Key_F2);
    v.OnCommand(ID_NEXT_GAME);
    p.Frame().OnCommand(ID_NEXT_GAME);
    QTest::keyClick(&v, Qt::Key_F2);
    // The zanta ends the game in favour of its holder: one star up, one down.
    ASSERT_TRUE(testutil::WaitFor([&] { return v.m_GameEnded && Idle(p); }, 20000));
    EXPECT_EQ(t.m_NumberGame, 1);
    const int winner = t.m_CurrentPlayer == 1 ? 2 : 1; // the dealer after the winner
    EXPECT_EQ(t.m_Players[winner - 1].m_Star.GetNumberStars(), 6);
    EXPECT_EQ(t.m_Players[2 - winner].m_Star.GetNumberStars(), 4);
    EXPECT_EQ(t.m_ButtonText, ButtonText::Deal);
    EXPECT_TRUE(v.IsCommandEnabled(ID_NEXT_GAME));
    // Now F2 deals the next game.
    QTest::keyClick(&v, Qt::Key_F2);
    EXPECT_TRUE(testutil::WaitFor([&] { return !CPlayWithComputer::IsBusy() && t.m_NumberGame == 2; }));
}

// Closing wins over a new party waiting for the table to be still.
TEST(ProgramTiming, ClosingWhileAnAbandonWaitsStartsNothing) {
    ProgramDriver p(4, true, /*animate=*/true);
    RealPauses glide;
    CPublic& t = p.Table();
    p.View().m_GameRate = kDefaultPace;
    ASSERT_TRUE(p.PressButton(ButtonText::NewParty));
    ASSERT_TRUE(testutil::WaitFor([&] { return CCard::m_staticProccessMovecard != 0; }));
    testutil::ModalSeen seen;
    testutil::AnswerNextModal(QStringLiteral("ОК"), &seen);
    p.View().OnCommand(ID_THREE_PLAYERS);
    EXPECT_EQ(seen.text, QStringLiteral("Прервать текущую партию и начать игру  с тремя игроками?"));
    ASSERT_TRUE(p.View().m_BreakParty);
    p.Frame().close();
    ASSERT_TRUE(testutil::WaitFor([&] { return !p.Frame().isVisible(); }, 20000));
    QTest::qWait(300);
    EXPECT_FALSE(CPlayWithComputer::IsBusy());
    EXPECT_EQ(t.m_NumberGame, 0);
    EXPECT_TRUE(t.m_Pack.IsPackFull());
}

TEST(ProgramTiming, AnIdleWindowClosesAtOnceByTheCloseBox) {
    ProgramDriver p(2, true);
    p.Frame().close();
    EXPECT_TRUE(testutil::WaitFor([&] { return !p.Frame().isVisible(); }, 1000));
}

// Opening the menus, pressing keys and F2 while workers play reads nothing
// the workers write (the thread checker build tells).
TEST(ProgramTiming, MenusAndKeysWhileWorkersPlay) {
    ProgramDriver p(4, true, /*animate=*/true);
    CPlayWithComputer& v = p.View();
    RefuseEveryQuestion refuse;
    ASSERT_TRUE(p.PressButton(ButtonText::NewParty));
    QMenu* menu = p.Frame().Menu()->GetMainPopup();
    const Qt::Key keys[] = {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_F2};
    QDeadlineTimer deadline(2500);
    for (int i = 0; i < 20000 && !deadline.hasExpired(); ++i) {
        Q_EMIT menu->aboutToShow();
        QTest::keyClick(&v, keys[i % 4]);
        QApplication::processEvents();
        if (p.IsUsersTurn() && i % 8 == 0)
            p.MakeUserMove();
        if (p.Table().m_ShowButton && p.Table().m_ButtonText == ButtonText::Deal)
            p.PressButton(ButtonText::Deal);
    }
    EXPECT_TRUE(testutil::WaitFor([&] { return Idle(p); }, 20000));
}

// Cards moved by a worker while the window changes size end where the new
// layout puts them: leads, beats, throws, takes and deals alike.
TEST(ProgramTiming, ResizesWhileCardsMoveLeaveEveryCardInItsPlace) {
    // Two seats to 31 points: zantas are frequent, and their cards are laid
    // out by the worker with nothing placing them afterwards.
    ProgramDriver p(2, true, /*animate=*/true);
    RealPauses glide;
    CPublic& t = p.Table();
    ASSERT_TRUE(p.PressButton(ButtonText::NewParty));
    // Sizes the offscreen screen holds whole, so the user's clicks land.
    const QSize sizes[] = {QSize(800, 650), QSize(720, 620), QSize(760, 600)};
    int resizes = 0;
    // Where every card lies, whose turn it is and what the button offers:
    // changes with every move.
    auto table = [&] {
        QString state = t.m_ButtonText + QString::number(t.m_ShowButton) +
                        QString::number(t.m_CurrentPlayer);
        for (const CCard* c : t.m_Pack.m_Cards)
            state += QString::asprintf("%d%d%d%d,", c->m_Place, c->m_Player, c->m_IndexX, c->m_IndexY);
        return state;
    };
    QString seen;
    QElapsedTimer sinceResize;
    sinceResize.start();
    qint64 resizeCost = 0;
    for (int step = 0; step < 30; ++step) {
        // Resize while a worker moves cards, until the table is still again.
        ASSERT_TRUE(testutil::WaitFor(
            [&] {
                if (!CPlayWithComputer::IsBusy())
                    return Idle(p) && (table() != seen || p.IsUsersTurn());
                // Leave the workers room to move: every card they move and
                // every frame of a caption waits for this thread, so resizing
                // back to back (a resize costs tens of milliseconds under the
                // sanitizers) would starve them and the table would never be
                // still.
                if (sinceResize.elapsed() >= std::max<qint64>(10, 2 * resizeCost)) {
                    QElapsedTimer cost;
                    cost.start();
                    p.Frame().resize(sizes[++resizes % 3]);
                    resizeCost = cost.elapsed();
                    sinceResize.restart();
                }
                return false;
            },
            30000))
            << "button " << (t.m_ShowButton ? t.m_ButtonText.toStdString() : "hidden") << ", seat "
            << t.m_CurrentPlayer << " to move, user moved " << p.View().m_UserMoved << ", step timer "
            << p.View().IsTimerSet(CPlayWithComputer::TIMER_STEP) << ", zanta timer "
            << p.View().IsTimerSet(CPlayWithComputer::TIMER_ZANTA) << ", zanta pending "
            << p.View().m_ZantaPending << ", game ended " << p.View().m_GameEnded << ", idle work "
            << p.View().HasIdleWork() << ", label threads " << CMyLabel::m_staticCountThreads
            << ", star threads " << CStar::m_staticCountThreads << ", moving cards "
            << CCard::m_staticProccessMovecard << ", workers " << g_CountWorkThreads << ", circle " << t.m_CircleCompletion << ", message "
            << t.m_LabelMessage.GetCaption().toStdString();
        seen = table();
        for (CCard* c : t.m_Pack.m_Cards) {
            // Where the user sees the card, which is where the game keeps it.
            const QPoint at = c->pos();
            if (c->m_Place != e_Pack) {
                EXPECT_EQ(at, c->GetCardPos());
            }
            const int s = c->m_Player - 1;
            switch (c->m_Place) {
            case e_Hand:
                EXPECT_EQ(at.y(), t.m_HandY[s]) << "a card in the hand of seat " << c->m_Player;
                EXPECT_TRUE(at.x() == t.m_HandX[s][0] || at.x() == t.m_HandX[s][1] ||
                            at.x() == t.m_HandX[s][2]);
                break;
            case e_Going:
                EXPECT_EQ(at, QPoint(t.m_GoingX[c->m_IndexX], t.m_GoingY[c->m_IndexY])) << "a card face up";
                break;
            case e_Reset:
                EXPECT_EQ(at, QPoint(t.m_ResetX, t.m_ResetY[c->m_IndexY])) << "a thrown card";
                break;
            case e_Take: // on its pile, or just above it on its way there
                EXPECT_EQ(at.x(), t.m_TakePos[s].x()) << "a taken card";
                break;
            default:
                break;
            }
        }
        PlayOn(p);
    }
    EXPECT_GT(resizes, 5);
}

// Minimised and restored, the window shows what it showed: the settings sheet
// stays open and the rules do not come back.
TEST(ProgramTiming, RestoreShowsWhatWasThere) {
    CMainFrame frame;
    int rulesShown = 0;
    frame.View()->m_ShowFirstHelp = [&] { ++rulesShown; };
    frame.View()->m_FirstHelp = true;
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    ASSERT_TRUE(testutil::WaitFor([&] { return rulesShown == 1; }));
    frame.OnCommand(ID_SETTINGS);
    ASSERT_TRUE(frame.Settings()->isVisible());
    for (int i = 0; i < 2; ++i) {
        frame.showMinimized();
        QApplication::processEvents();
        frame.hide(); // what a window manager does on minimising
        QApplication::processEvents();
        frame.showNormal();
        QTest::qWait(200);
    }
    EXPECT_TRUE(frame.Settings()->isVisible());
    EXPECT_EQ(rulesShown, 1);
}
