#include "TableSim.h"

#include "NetPeers.h"

#include "Card.h"
#include "GuiThread.h"

#include <QApplication>
#include <QDeadlineTimer>

#include <algorithm>
#include <map>
#include <set>
#include <thread>

namespace {
// What a returning player's table tells him when his seat is his again.
const QString kBack = QStringLiteral("Вы снова в игре, на своем месте!");
} // namespace

bool TableSim::Counts(const Seat& s) const {
    if (!Live(s))
        return false;
    if (!s.late)
        return true;
    if (s.table->session.m_SessionState == 0)
        return false;
    int players = 0;
    for (const Seat& o : m_Seats)
        if (Live(o) && !o.late)
            players = std::max(players, o.table->flow.Snapshot().players);
    return s.table->flow.Snapshot().players == players;
}

SimTable& TableSim::AddLate(const QString& name, const SimTable& host, const QByteArray& token) {
    Seat joiner;
    joiner.late = true;
    joiner.joinedAt = m_Moment;
    // A new pack reads the stored shuffle (or the clock's): the run's own
    // goes on as it was.
    const std::uint32_t shuffle = CPack::m_Shuffle.load();
    joiner.table = std::make_unique<SimTable>(m_Net, name);
    CPack::m_Shuffle = shuffle;
    joiner.table->flow.m_BarrierBoundMs = 1 << 30;
    joiner.table->flow.m_LockAddPlayers = host.flow.m_LockAddPlayers.load();
    if (!token.isEmpty())
        joiner.table->flow.SetSeatToken(token);
    QByteArray address;
    DWORD port = 0;
    host.session.GetLocalAddress(address, port);
    joiner.table->session.Connect("127.0.0.1", port);
    m_Seats.push_back(std::move(joiner));
    return *m_Seats.back().table;
}

void TableSim::Join() {
    if (m_Seats.size() >= 6)
        return;
    for (Seat& s : m_Seats) {
        if (!Live(s) || s.table->session.m_SessionState != 1)
            continue;
        const QString name = QStringLiteral("Гость%1").arg(m_Seats.size() + 1);
        Note(name + QStringLiteral(" joins"));
        AddLate(name, *s.table);
        return;
    }
}

bool TableSim::Return() {
    const Seat* host = nullptr;
    for (const Seat& s : m_Seats)
        if (Live(s) && s.table->session.m_SessionState == 1)
            host = &s;
    if (!host || m_Seats.size() >= 8)
        return false;
    // The held seats as the host shows them, by name.
    std::map<QString, std::uint32_t> held;
    for (const CPlayer& p : host->table->table.m_Players)
        if (p.m_PlayerID != 0 && p.IsHeld())
            held[p.Name()] = p.m_PlayerID;
    for (const Seat& s : m_Seats) {
        const QString name = s.table->table.m_Players[0].Name();
        if (Live(s) || !held.contains(name))
            continue;
        bool claimed = false;
        for (const Seat& o : m_Seats)
            claimed = claimed || (Live(o) && o.returning && o.table->table.m_Players[0].Name() == name);
        if (claimed)
            continue;
        const bool forged = Pick(4) == 0;
        const QByteArray token = forged ? netrec::TokenHash(name.toUtf8() + "forged") : s.table->flow.SeatToken();
        Note(name + (forged ? QStringLiteral(" is claimed by another") : QStringLiteral(" comes back")));
        AddLate(name, *host->table, token);
        m_Seats.back().returning = true;
        m_Seats.back().forged = forged;
        m_Seats.back().returnsFrom = held[name];
        return true;
    }
    return false;
}

int TableSim::ForgedClaims() const {
    return static_cast<int>(std::count_if(m_Seats.begin(), m_Seats.end(), [](const Seat& s) { return s.forged; }));
}

int TableSim::Returns() const {
    int n = 0;
    for (const Seat& s : m_Seats)
        n += s.returning && !s.forged && s.table->view.Notices().contains(kBack) ? 1 : 0;
    return n;
}

int TableSim::LiveCount() const {
    int n = 0;
    for (const Seat& s : m_Seats)
        n += Counts(s) ? 1 : 0;
    return n;
}

bool TableSim::Drain() {
    QDeadlineTimer deadline(10000);
    for (unsigned k = 0; !deadline.hasExpired(); ++k) {
        // What the strands hand the GUI thread, without a trip through the
        // event loop's poll each time; the loop itself now and then.
        for (const Seat& s : m_Seats)
            if (Live(s))
                s.table->flow.RunQueuedSteps();
        platform::DrainGuiQueue();
        if (k % 64 == 0)
            QApplication::processEvents(QEventLoop::AllEvents);
        bool idle = true;
        for (const Seat& s : m_Seats)
            idle = idle && (!Live(s) || s.table->flow.IsIdle());
        if (idle) {
            QApplication::processEvents(QEventLoop::AllEvents);
            platform::DrainGuiQueue();
            return true;
        }
        std::this_thread::yield();
    }
    return false;
}

bool TableSim::Quiet() {
    for (Seat& s : m_Seats) {
        if (!s.late || !Live(s) || Counts(s))
            continue;
        // Turned away (the table is full or locked): it plays alone.
        if (s.table->session.m_SessionState == 0 && m_Moment > s.joinedAt + 40) {
            Note(s.table->table.m_Players[0].m_LabelName.GetCaption() + QStringLiteral(" was turned away"));
            s.table->flow.Stop();
            s.gone = true;
            continue;
        }
        return false;
    }
    if (m_Net.InFlight() != 0)
        return false;
    for (const Seat& s : m_Seats)
        if (Live(s) && s.table->flow.HasArmedStep())
            return false;
    return true;
}

void TableSim::Note(const QString& what) {
    m_Trace << QStringLiteral("%1: %2").arg(m_Net.DeliveryPoint()).arg(what);
    if (qEnvironmentVariableIsSet("ZANTA_NETSIM_TRACE"))
        qInfo().noquote() << m_Trace.last();
    if (m_Trace.size() > 12)
        m_Trace.removeFirst();
}

// A player's doing at one table: a deal, the button or a card; false when
// the table offers nothing.
bool TableSim::PlayerActs(SimTable& t) {
    const CFlowSnapshot shown = t.flow.Snapshot();
    const QString who = t.table.m_Players[0].m_LabelName.GetCaption();
    if (shown.mayDeal && shown.button.isEmpty()) {
        Note(who + QStringLiteral(" asks to deal (F2)"));
        t.flow.RequestDeal(false);
        return true;
    }
    const bool card = shown.canAct && t.table.m_CurrentPlayer == 1 && !t.table.m_MoveBlocked;
    if (!shown.button.isEmpty() && (!card || Pick(2) == 0)) {
        Note(who + QStringLiteral(" presses \"") + shown.button + QStringLiteral("\""));
        t.flow.PressButton();
        return true;
    }
    if (!card)
        return false;
    std::vector<CCard*> cards = NetPeers::PlayableCards(t.table);
    if (cards.empty() || Pick(10) == 0) {
        // Now and then a card the rules do not allow: the flow refuses it.
        cards.clear();
        for (CCard* c : t.table.m_Pack.m_Cards)
            if (c->m_Place == e_Hand && c->m_Player == 1)
                cards.push_back(c);
    }
    if (cards.empty())
        return false;
    CCard* c = cards[Pick(cards.size())];
    Note(who + QStringLiteral(" plays %1.%2").arg(c->m_Mast).arg(c->m_Value));
    t.flow.PlayCard(c);
    return true;
}

// Something a player's program does apart from the game.
void TableSim::Upset() {
    std::vector<int> live;
    for (int i = 0; i < static_cast<int>(m_Seats.size()); ++i)
        if (Live(m_Seats[i]))
            live.push_back(i);
    const int i = live[Pick(live.size())];
    Seat& s = m_Seats[static_cast<size_t>(i)];
    SimTable& t = *s.table;
    const QString who = t.table.m_Players[0].m_LabelName.GetCaption();
    switch (Pick(7)) {
    case 0:
        if (LiveCount() > 2 && m_Upsets++ < 2) {
            Note(who + QStringLiteral(" crashes"));
            t.flow.Stop();
            m_Net.Crash(*t.Session());
            s.gone = true;
        }
        break;
    case 1:
        if (LiveCount() > 2 && m_Upsets++ < 2) {
            Note(who + QStringLiteral(" leaves"));
            t.flow.RestartPeer();
            t.flow.Stop();
            s.gone = true;
        }
        break;
    case 2:
        Note(who + QStringLiteral(" is renamed"));
        t.flow.ChangeName(who + QLatin1Char('\''));
        break;
    case 3: {
        const CFlowSnapshot shown = t.flow.Snapshot();
        if (shown.partyLeader) {
            Note(who + QStringLiteral(" switches the party's kind"));
            t.flow.SetGameKind(!shown.game31, true);
        }
        break;
    }
    case 4:
        if (m_Stars && t.flow.Snapshot().maySetShared) {
            const bool on = !t.flow.m_GameForStars;
            Note(who + (on ? QStringLiteral(" plays for stars") : QStringLiteral(" plays without stars")));
            t.flow.SetGameForStars(on, true);
        }
        break;
    case 5:
        // Where seats are held, now and then a departed player comes back.
        if (m_HoldSeats && Return())
            break;
        if (m_Joins)
            Join();
        break;
    default:
        // Someone presses F2 whatever the table shows: only the dealer deals.
        Note(who + QStringLiteral(" presses F2"));
        t.flow.RequestDeal(false);
        break;
    }
}

void TableSim::Moment() {
    const std::uint64_t r = Pick(100);
    if (r < 50 && m_Net.InFlight() != 0) {
        m_Net.DeliverNext();
        return;
    }
    if (r < 75) {
        std::vector<SimTable*> armed;
        for (Seat& s : m_Seats)
            if (Live(s) && s.table->clock.NextDueMs())
                armed.push_back(s.table.get());
        if (!armed.empty()) {
            SimTable* t = armed[Pick(armed.size())];
            Note(t->table.m_Players[0].m_LabelName.GetCaption() + QStringLiteral(" timer at %1").arg(*t->clock.NextDueMs()));
            t->clock.AdvanceToNext();
            return;
        }
    }
    if (r < 99) {
        std::vector<SimTable*> order;
        for (Seat& s : m_Seats)
            if (Live(s))
                order.push_back(s.table.get());
        const size_t first = Pick(order.size());
        for (size_t k = 0; k < order.size(); ++k)
            if (PlayerActs(*order[(first + k) % order.size()]))
                return;
        if (m_Net.InFlight() != 0)
            m_Net.DeliverNext();
        return;
    }
    Upset();
}

QString TableSim::State() const {
    QString out;
    for (const Seat& s : m_Seats) {
        const SimTable& t = *s.table;
        const CFlowSnapshot shown = t.flow.Snapshot();
        out += QStringLiteral("  %1%2: '%3' button '%4' act %5 deal %6 game %7 pending %8/%9 "
                              "current %10 blocked %11 timers %12 in flight %13\n")
                   .arg(t.table.m_Players[0].m_LabelName.GetCaption(), s.gone ? " (gone)" : "",
                        t.table.m_LabelMessage.GetCaption(), shown.button)
                   .arg(shown.canAct)
                   .arg(shown.mayDeal)
                   .arg(shown.gameRuns)
                   .arg(shown.dealPending)
                   .arg(shown.takePending)
                   .arg(t.table.m_CurrentPlayer)
                   .arg(t.table.m_MoveBlocked)
                   .arg(t.clock.ArmedCount())
                   .arg(m_Net.InFlight());
        if (t.session.m_Log.Refusals() != 0)
            out += QStringLiteral("    %1 refused, the last: %2")
                       .arg(t.session.m_Log.Refusals())
                       .arg(QString::fromLatin1(t.session.m_Log.LastRefusal()));
    }
    return out;
}

namespace {

// What the rules say of any table at any moment, whatever the flow did: the
// 36 cards of the deck each once, and no hand above three cards.
QString RulesBroken(const CPublic& t) {
    std::set<std::pair<int, int>> seen;
    std::map<int, int> hands;
    for (const CCard* c : t.m_Pack.m_Cards) {
        if (!seen.insert({c->m_Mast, c->m_Value}).second)
            return QStringLiteral("card %1.%2 twice").arg(c->m_Mast).arg(c->m_Value);
        if (c->m_Place == e_Hand && ++hands[c->m_Player] > 3)
            return QStringLiteral("seat %1 holds more than three cards").arg(c->m_Player);
    }
    if (seen.size() != 36)
        return QStringLiteral("%1 cards in the deck").arg(seen.size());
    return {};
}

} // namespace

QString TableSim::Check(bool quiet) {
    for (const Seat& s : m_Seats)
        if (Live(s))
            if (const QString broken = RulesBroken(s.table->table); !broken.isEmpty())
                return s.table->table.m_Players[0].m_LabelName.GetCaption() + QStringLiteral(": ") + broken;
    // Honest tables: what one refuses of another's is a fault of one of them
    // (a move that crossed what stopped it is stale, and logged as such).
    // Only a claim to a held seat without its token is refused rightly.
    for (const Seat& s : m_Seats) {
        if (!Live(s) || s.table->session.m_Log.Refusals() == 0)
            continue;
        const QString last = QString::fromLatin1(s.table->session.m_Log.LastRefusal());
        if (!last.contains(QStringLiteral("without its token")))
            return s.table->table.m_Players[0].m_LabelName.GetCaption() + QStringLiteral(" refused: ") + last;
    }
    for (const Seat& s : m_Seats) {
        if (s.forged && Counts(s) && s.table->view.Notices().contains(kBack))
            return s.table->table.m_Players[0].Name() + QStringLiteral(" was given a held seat without its token");
        // Back in his seat: his own name in it, and no newcomer's wait.
        if (s.returning && !s.forged && Counts(s) && s.table->view.Notices().contains(kBack) &&
            s.table->table.m_Players[0].m_Waiting)
            return s.table->table.m_Players[0].Name() + QStringLiteral(" came back to wait for the next party");
    }
    bool someone = false;
    for (const Seat& s : m_Seats) {
        // A newcomer not yet seated or turned away may still change things.
        someone = someone || (s.late && Live(s) && !Counts(s));
        if (!Live(s))
            continue;
        if (!Counts(s))
            continue;
        const CFlowSnapshot shown = s.table->flow.Snapshot();
        someone = someone || shown.canAct || shown.mayDeal || s.table->clock.NextDueMs();
    }
    // A table left alone waits for players, rightly.
    if (!someone && m_Net.InFlight() == 0 && LiveCount() >= 2)
        return QStringLiteral("nobody can act and nothing is on its way");
    if (!quiet)
        return {};
    // Still: every table in the session shows the same game.
    const Seat* first = nullptr;
    for (Seat& s : m_Seats) {
        if (!Counts(s))
            continue;
        if (!first) {
            first = &s;
            continue;
        }
        QStringList a = first->table->flow.DumpTable().split('\n'),
                    b = s.table->flow.DumpTable().split('\n');
        // A late table knows the game's number and the current player
        // once a deal has shown them; once it does it keeps in step.
        if (s.late && a.value(0) == b.value(0))
            s.late = false;
        if (s.late || first->late) {
            a.removeFirst();
            b.removeFirst();
        }
        for (qsizetype k = 0; k < std::max(a.size(), b.size()); ++k)
            if (a.value(k) != b.value(k))
                return QStringLiteral("tables differ: %1 '%2' / %3 '%4'")
                    .arg(first->table->table.m_Players[0].m_LabelName.GetCaption(), a.value(k),
                         s.table->table.m_Players[0].m_LabelName.GetCaption(), b.value(k));
    }
    return {};
}

QString TableSim::Watch() {
    for (const Seat& back : m_Seats)
        if (back.returnsFrom != 0 && !back.forged && back.table->table.m_Players[0].m_PlayerID != 0)
            for (Seat& s : m_Seats)
                if (s.rules)
                    s.rules->Returns(back.returnsFrom, back.table->table.m_Players[0].m_PlayerID);
    for (Seat& s : m_Seats) {
        if (!Counts(s) || s.late)
            continue;
        SimTable& t = *s.table;
        if (!s.rules) {
            // Seated late: it learns the dealer from the next game's end.
            s.rules = std::make_unique<RulesWatch>(0);
        }
        if (const QString broken = s.rules->Observe(t.table, t.flow.Snapshot().mayDeal, t.session.m_SessionState == 1); !broken.isEmpty())
            return t.table.m_Players[0].m_LabelName.GetCaption() + QStringLiteral(" against the rules: ") + broken;
    }
    return {};
}

QString TableSim::Run(int moments) {
    const int players = 2 + static_cast<int>(Pick(3));
    const bool locked = Pick(2) == 0;
    for (int i = 0; i < players; ++i) {
        Seat s;
        s.table = std::make_unique<SimTable>(m_Net, QStringLiteral("Игрок%1").arg(i + 1));
        s.table->flow.m_BarrierBoundMs = 1 << 30; // every table here is honest
        s.table->flow.m_PacePercent = 100;
        s.table->flow.m_LockAddPlayers = locked;
        // Parties of one star now and then: players drop out and sit out.
        if (qEnvironmentVariableIsSet("ZANTA_NETSIM_ONESTAR"))
            s.table->flow.m_NumberStars = 1;
        m_Seats.push_back(std::move(s));
    }
    // The deck's shuffles follow from the seed too (a new pack reads the
    // stored shuffle).
    CPack::m_Shuffle = static_cast<std::uint32_t>(m_Seed % 32767 + 1);
    const auto fail = [&](const QString& what) {
        return QStringLiteral("seed %1, %2 players, at delivery %3: %4\n  %5\n%6")
            .arg(m_Seed)
            .arg(players)
            .arg(m_Net.DeliveryPoint())
            .arg(what, m_Trace.join(QStringLiteral("\n  ")), State());
    };
    SimTable& host = *m_Seats[0].table;
    host.flow.m_HoldSeats = m_HoldSeats;
    if (host.session.Host(nullptr, 0) != S_OK)
        return fail(QStringLiteral("no session to host"));
    QByteArray address;
    DWORD port = 0;
    host.session.GetLocalAddress(address, port);
    for (int i = 1; i < players; ++i)
        m_Seats[static_cast<size_t>(i)].table->session.Connect("127.0.0.1", port);
    // Seated: every table counts every player.
    for (int k = 0;; ++k) {
        if (k == 2000)
            return fail(QStringLiteral("the players were never seated"));
        if (!Drain())
            return fail(QStringLiteral("a step never ended"));
        bool seated = true;
        for (const Seat& s : m_Seats)
            seated = seated && s.table->flow.Snapshot().players == players;
        if (seated) {
            // The host deals the first game.
            for (Seat& s : m_Seats) {
                s.rules = std::make_unique<RulesWatch>(host.table.m_Players[0].m_PlayerID);
                s.rules->Observe(s.table->table, false, false);
            }
            break;
        }
        if (!m_Net.DeliverNext())
            for (Seat& s : m_Seats)
                s.table->clock.AdvanceToNext();
    }
    for (int k = 0; k < moments; ++k) {
        m_Moment = static_cast<std::uint64_t>(k);
        Moment();
        // Every new game number the host's table shows is a game dealt (a
        // new party starts again from one).
        if (const int game = host.table.m_NumberGame; game != m_LastGame) {
            m_Games += game > m_LastGame ? game - m_LastGame : game;
            m_LastGame = game;
        }
        if (!Drain())
            return fail(QStringLiteral("a step never ended"));
        if (const QString broken = Check(Quiet()); !broken.isEmpty())
            return fail(broken);
        if (const QString broken = Watch(); !broken.isEmpty())
            return fail(broken);
    }
    return {};
}


std::int64_t TableSim::VirtualMs() const {
    std::int64_t ms = 0;
    for (const Seat& s : m_Seats)
        ms = std::max(ms, s.table->clock.NowMs());
    return ms;
}
