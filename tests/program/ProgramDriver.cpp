#include "ProgramDriver.h"

#include "MyLabel.h"
#include "Star.h"
#include "TestUtil.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTest>

ProgramDriver::ProgramDriver(int players, bool game31, bool animate) {
    m_Frame = std::make_unique<CMainFrame>();
    CPlayWithComputer& v = View();
    v.m_FirstHelp = false;
    v.m_GameRate = 1;
    Table().m_Pack.ShowAinmationCards(animate);
    Table().m_Sound = false;
    m_Frame->resize(800, 650);
    m_Frame->show();
    (void)QTest::qWaitForWindowExposed(m_Frame.get());
    if (Table().m_NumberPlayers != players)
        v.SetNumberPlayers(players);
    if (Table().m_Game31 != game31)
        v.SetGameKind(game31);
}

ProgramDriver::~ProgramDriver() {
    // Nothing may run on the view when it goes.
    testutil::WaitFor([] { return !CPlayWithComputer::IsBusy(); }, 20000);
    m_Frame->View()->m_Public.m_Pack.ShowAinmationCards(false);
}

bool ProgramDriver::PressButton(const QString& caption) {
    CPublic& t = Table();
    if (!t.m_ShowButton || t.m_ButtonText != caption)
        return false;
    QTest::mouseClick(&View(), Qt::LeftButton, {}, t.m_ButtonRect.center());
    return true;
}

void ProgramDriver::ClickCard(CCard* card) {
    QTest::mouseClick(card, Qt::LeftButton, {}, QPoint(30, 40));
}

bool ProgramDriver::IsUsersTurn() {
    CPublic& t = Table();
    CPlayWithComputer& v = View();
    // A zanta being shown is not a turn: its timer ends the game.
    return !CPlayWithComputer::IsBusy() && t.m_CurrentPlayer == 1 && !v.m_UserMoved &&
           !t.m_CircleCompletion && !(t.m_Game31 && v.m_ZantaPending) &&
           !v.IsTimerSet(CPlayWithComputer::TIMER_STEP) &&
           !v.IsTimerSet(CPlayWithComputer::TIMER_ZANTA);
}

bool ProgramDriver::WaitForUser(int timeoutMs) {
    // The program's timers only come due while events are handled: handle
    // them at least once, even when the user seems to be on turn already.
    QApplication::processEvents();
    return testutil::WaitFor(
        [this] {
            if (CPlayWithComputer::IsBusy())
                return false;
            const CPublic& t = Table();
            return IsUsersTurn() || (t.m_ShowButton && t.m_ButtonText != ButtonText::Further);
        },
        timeoutMs);
}

void ProgramDriver::MakeUserMove() {
    CPublic& t = Table();
    if (PressButton(ButtonText::Further))
        return;
    const auto hand = View().UserHand();
    if (hand.empty())
        return;
    if (t.GetNumberCardsOnTable() == 0) {
        ClickCard(hand.front());
        return;
    }
    // Beat with the first card that covers something, when everything can be
    // covered; otherwise throw the weakest card.
    if (!t.IsCardsTableReset(1) && t.IsCanBita(1)) {
        CCard* targets[3] = {};
        t.SortCardsTable(targets, 1);
        for (CCard* card : hand)
            for (CCard* target : targets)
                if (target && t.CompareCards(card, target)) {
                    ClickCard(card);
                    return;
                }
    }
    ClickCard(hand.front());
}

QString ProgramDriver::CheckGameEnd(const int starsBefore[4], const int ballsBefore[4]) {
    CPublic& t = Table();
    ++m_GamesChecked;
    int total = 0;
    int winners = 0;
    for (int k = 0; k < t.m_NumberPlayers; ++k) {
        total += t.m_Players[k].m_Tablo.GetScoresValue();
        if (t.m_Game31) {
            const int change = t.m_Players[k].m_Star.GetNumberStars() - starsBefore[k];
            if (change == 1 || (starsBefore[k] == 10 && change == 0))
                ++winners;
            else if (change != -1 && !(starsBefore[k] == 0 && change == 0) && !t.m_Players[k].m_Out)
                return QStringLiteral("seat %1 stars went %2 -> %3")
                    .arg(k + 1)
                    .arg(starsBefore[k])
                    .arg(t.m_Players[k].m_Star.GetNumberStars());
        } else {
            const int change = t.m_Players[k].m_Tablo.GetBallsValue() - ballsBefore[k];
            if (change != 0 && change != 2 && change != 4 && change != 6)
                return QStringLiteral("seat %1 balls grew by %2").arg(k + 1).arg(change);
        }
    }
    if (!t.m_Game31 && t.m_Pack.IsPackEnd() && total != 120)
        return QStringLiteral("a 12-ball game ended with %1 points").arg(total);
    if (t.m_Game31 && winners != 1)
        return QStringLiteral("%1 seats gained a star").arg(winners);
    return {};
}

int ProgramDriver::StalePixels(QRect* where) {
    return testutil::StalePixels(*m_Frame, where);
}

void ProgramDriver::Snapshot(const QString& name) {
    const QString folder = qEnvironmentVariable("ZANTA_SHOT_DIR");
    if (!folder.isEmpty())
        m_Frame->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

QString ProgramDriver::PlayParty(int maxGames) {
    CPublic& t = Table();
    int stars[4] = {};
    int balls[4] = {};
    auto remember = [&] {
        for (int k = 0; k < 4; ++k) {
            stars[k] = t.m_Players[k].m_Star.GetNumberStars();
            balls[k] = t.m_Players[k].m_Tablo.GetBallsValue();
        }
    };
    // What every seat starts the party with; taken before the press, since a
    // zanta may end the first game before this thread looks again.
    for (int k = 0; k < 4; ++k) {
        stars[k] = t.m_Game31 ? View().m_NumberStars.load() : 0;
        balls[k] = 0;
    }
    if (!PressButton(ButtonText::NewParty))
        return QStringLiteral("no \"Новая партия!\" button");
    testutil::WaitFor([&] { return !CPlayWithComputer::IsBusy() && t.m_NumberGame == 1; });
    Snapshot(QStringLiteral("deal"));
    // A party that never ends fails within a minute, whatever it does.
    const QDeadlineTimer deadline(60000);
    for (int moves = 0; moves < maxGames * 200 && !deadline.hasExpired(); ++moves) {
        if (!WaitForUser(10000))
            return QStringLiteral("the game stopped moving");
        if (moves == 7)
            Snapshot(QStringLiteral("circle"));
        if (t.m_ShowButton && t.m_ButtonText == ButtonText::Deal) {
            if (QString fault = CheckGameEnd(stars, balls); !fault.isEmpty())
                return fault;
            remember(); // before the press: the next game may end at once
            PressButton(ButtonText::Deal);
            testutil::WaitFor([&] { return !t.m_ShowButton; });
            continue;
        }
        if (t.m_ShowButton && t.m_ButtonText == ButtonText::NewParty) {
            if (QString fault = CheckGameEnd(stars, balls); !fault.isEmpty())
                return fault;
            Snapshot(QStringLiteral("end"));
            const QString result = t.m_LabelResult.GetCaption();
            if (result != QStringLiteral("Вы выиграли!") && result != QStringLiteral("Вы проиграли!"))
                return QStringLiteral("the party ended with \"%1\"").arg(result);
            return {};
        }
        MakeUserMove();
    }
    return QStringLiteral("the party did not end: seat %1 to move, button \"%2\" shown %3")
        .arg(t.m_CurrentPlayer)
        .arg(t.m_ButtonText)
        .arg(t.m_ShowButton);
}
