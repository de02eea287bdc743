#include "NetPeers.h"

#include "Card.h"
#include "NetCommands.h"

#include <QTest>
#include <QTimer>

namespace {
// Waits without spinning: the windows' own threads need the processor more.
bool WaitFor(const std::function<bool()>& cond, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    // Sleeps until the windows' threads hand the GUI thread work, or a tick
    // passes for what changes without telling it (a strand running dry).
    QTimer tick;
    tick.start(2);
    for (;;) {
        if (cond())
            return true;
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

bool PartyOver(CPublic& t) {
    const QString r = t.m_LabelResult.GetCaption();
    return r == QStringLiteral("Вы выиграли!") || r == QStringLiteral("Вы проиграли!");
}
} // namespace

NetPeers::NetPeers(int players, bool game31, unsigned seed, int animated) : m_Random(seed) {
    CPlayNet* host = NewPeer(animated == 0);
    if (!game31)
        host->SetGameKind(false, false);
    host->m_DirectPlay.m_MaxPlayers = 4;
    if (host->m_DirectPlay.Host(nullptr, 0) != S_OK)
        return;
    QByteArray name;
    DWORD port = 0;
    host->m_DirectPlay.GetLocalAddress(name, port);
    m_Port = static_cast<quint16>(port);
    for (int i = 1; i < players; ++i) {
        NewPeer(animated == i)->m_DirectPlay.Connect("127.0.0.1", m_Port);
        WaitSeated(i + 1);
    }
}

NetPeers::~NetPeers() {
    for (auto& p : m_Peers)
        p->StopPlay();
    m_Peers.clear();
}

CPlayNet* NetPeers::NewPeer(bool animated) {
    auto peer = std::make_unique<CPlayNet>();
    peer->m_DirectPlay.m_BindAddress = QHostAddress::LocalHost;
    peer->m_Notice = [this](const QString& text, const QString&) {
        std::lock_guard lock(m_NoticeMutex);
        m_Notices << text;
    };
    peer->m_Public.m_Pack.ShowAinmationCards(animated);
    peer->m_PacePercent = 2;
    peer->ChangeName(QStringLiteral("Игрок%1").arg(m_Peers.size() + 1));
    peer->resize(800, 600);
    peer->show();
    m_Peers.push_back(std::move(peer));
    return m_Peers.back().get();
}

void NetPeers::Rebase() {
    // Whatever was sent before the tables stood still has arrived by now.
    WaitFor([] { return false; }, 300);
    for (auto& p : m_Peers) {
        m_SentBase[p.get()] = p->RecordsSent();
        m_ReceivedBase[p.get()] = p->RecordsReceived();
    }
}

bool NetPeers::Join(int timeoutMs) {
    Connect();
    return WaitSeated(Count(), timeoutMs);
}

CPlayNet& NetPeers::Connect() {
    // The host may have changed since the session began.
    for (auto& q : m_Peers)
        if (q->m_DirectPlay.m_SessionState == 1) {
            QByteArray name;
            DWORD port = 0;
            if (q->m_DirectPlay.GetLocalAddress(name, port) == S_OK)
                m_Port = static_cast<quint16>(port);
        }
    CPlayNet* p = NewPeer();
    m_Late.insert(p);
    p->m_DirectPlay.Connect("127.0.0.1", m_Port);
    return *p;
}

bool NetPeers::WaitSeated(int players, int timeoutMs) {
    const bool seated = WaitFor(
        [&] {
            for (auto& q : m_Peers)
                if (q->NumberPlayers() < players || !q->IsIdle())
                    return false;
            return true;
        },
        timeoutMs);
    Rebase();
    return seated;
}

void NetPeers::SetStars(int stars) {
    for (auto& p : m_Peers)
        p->m_NumberStars = stars;
}

void NetPeers::SetLockAddPlayers(bool on) {
    for (auto& p : m_Peers)
        p->m_LockAddPlayers = on;
}

void NetPeers::Inject(int i, const QByteArray& bytes) {
    Peer(i).m_DirectPlay.SendTo(bytes.constData(), static_cast<DWORD>(bytes.size()));
    // The session keeps a sender's order: the windows have it once they
    // have what was sent after it.
    Rebase();
}

bool NetPeers::WaitIdle(int timeoutMs) {
    return WaitFor(
        [&] {
            for (auto& p : m_Peers)
                if (!p->IsIdle())
                    return false;
            return true;
        },
        timeoutMs);
}

void NetPeers::Drop(int i) {
    const DPNID gone = m_Peers[static_cast<size_t>(i)]->m_DirectPlay.m_LocalPlayer;
    m_Peers[static_cast<size_t>(i)]->StopPlay();
    m_Late.erase(m_Peers[static_cast<size_t>(i)].get());
    m_Peers.erase(m_Peers.begin() + i);
    // The others learn of it in their own time (his seat gone, or held for
    // him); count afresh once they have.
    // The seats belong to the game's strand: read between its steps.
    const auto held = [gone](CPlayNet& q) {
        const QStringList seats = q.DumpTable().split(QLatin1Char('\n'));
        return std::any_of(seats.begin(), seats.end(), [gone](const QString& line) {
            return line.startsWith(QStringLiteral("seat %1 ").arg(gone)) && line.endsWith(QStringLiteral(" held 1"));
        });
    };
    WaitFor(
        [&] {
            for (auto& q : m_Peers)
                if ((q->NumberPlayers() != Count() && !held(*q)) || !q->IsIdle())
                    return false;
            return true;
        },
        20000);
    Rebase();
}

void NetPeers::Leave(int i) {
    Peer(i).RestartPeer();
    Drop(i);
}

void NetPeers::ClickCard(CPlayNet& /*peer*/, CCard* card) {
    QTest::mouseClick(card, Qt::LeftButton, {}, QPoint(30, 40));
}

bool NetPeers::WaitSettled(int timeoutMs) {
    return WaitFor(
        [&] {
            bool someone = false;
            for (auto& p : m_Peers) {
                if (!p->IsIdle() || p->WaitsForPeers() || p->HasArmedStep())
                    return false;
                someone = someone || p->CanAct();
            }
            return someone && Delivered();
        },
        timeoutMs);
}

bool NetPeers::Delivered() {
    // A record of a window that has left may still come in after the count
    // began.
    long sent = 0, received = 0;
    for (auto& p : m_Peers) {
        sent += p->RecordsSent() - m_SentBase[p.get()];
        received += p->RecordsReceived() - m_ReceivedBase[p.get()];
    }
    return received >= sent * (Count() - 1);
}

QString NetPeers::Disagreement() {
    if (Count() < 2)
        return {};
    // A table that joined during a party knows neither the game's number
    // nor whose turn it is until it sees them: everything else must agree,
    // and once they are the same they stay so.
    for (int i = 0; i < Count(); ++i)
        if (Peer(i).DumpTable().section('\n', 0, 0) ==
            Peer(i == 0 ? 1 : 0).DumpTable().section('\n', 0, 0))
            m_Late.erase(&Peer(i));
    const bool late = !m_Late.empty();
    const auto dump = [&](int i) {
        const QString d = Peer(i).DumpTable();
        return late ? d.section('\n', 1) : d;
    };
    const QString first = dump(0);
    for (int i = 1; i < Count(); ++i) {
        const QString other = dump(i);
        if (other == first)
            continue;
        const QStringList a = first.split('\n'), b = other.split('\n');
        for (int k = 0; k < std::max(a.size(), b.size()); ++k)
            if (a.value(k) != b.value(k))
                return QStringLiteral("peer 0 and %1 differ: '%2' / '%3'")
                    .arg(i)
                    .arg(a.value(k), b.value(k));
    }
    return {};
}

std::vector<CCard*> NetPeers::PlayableCards(CPublic& t) {
    // Leading, any card; after one's own lead, more of the suits on the table.
    const bool leading = t.GetNumberCardsOnTable() == t.GetNumberCardsPlayerOnTable(1);
    std::vector<CCard*> legal;
    for (CCard* c : t.m_Pack.m_Cards)
        if (c->m_Place == e_Hand && c->m_Player == 1 && (!leading || t.IsMastOnTable(c->m_Mast)))
            legal.push_back(c);
    return legal;
}

bool NetPeers::Act() {
    for (int i = 0; i < Count(); ++i) {
        CPlayNet* p = m_Peers[static_cast<size_t>(i)].get();
        m_LastActor = i;
        m_LastWasCard = false;
        if (!p->CanAct())
            continue;
        const QString caption = p->ButtonCaption();
        CPublic& t = p->m_Public;
        std::vector<CCard*> hand;
        for (CCard* c : t.m_Pack.m_Cards)
            if (c->m_Place == e_Hand && c->m_Player == 1)
                hand.push_back(c);
        const bool myTurn = t.m_CurrentPlayer == 1 && !t.m_MoveBlocked;
        if (!caption.isEmpty() &&
            (caption != ButtonText::Further || !myTurn || m_Random() % 2 == 0 || hand.empty())) {
            p->PressButton();
            return true;
        }
        if (!myTurn || hand.empty())
            continue;
        const std::vector<CCard*> legal = PlayableCards(t);
        if (legal.empty())
            continue;
        m_LastWasCard = true;
        ClickCard(*p, legal[m_Random() % legal.size()]);
        return true;
    }
    m_LastActor = -1;
    return false;
}

QString NetPeers::PlayParty(int maxActions) {
    return PlayUntil(
        [this] {
            for (auto& p : m_Peers)
                if (!PartyOver(p->m_Public))
                    return false;
            return true;
        },
        maxActions);
}

namespace {
QString Armed(const CPlayNet& p) {
    QStringList ids;
    for (UINT id : p.ArmedTimers())
        ids << QString::number(id);
    return ids.join(' ');
}
} // namespace

QString NetPeers::Stuck(int n) {
    QString state;
    for (auto& p : m_Peers)
        state +=
            QStringLiteral("[sent %6 got %7 players %1 idle %2 waits %3 button '%4' msg '%5'] ")
                .arg(p->NumberPlayers())
                .arg(p->IsIdle())
                .arg(p->WaitsForPeers())
                .arg(p->ButtonCaption(), p->m_Public.m_LabelMessage.GetCaption())
                .arg(p->RecordsSent() - m_SentBase[p.get()])
                .arg(p->RecordsReceived() - m_ReceivedBase[p.get()]) +
            p->DumpTable().section('\n', 0, 0) +
            QStringLiteral(" cur %1 blocked %2 armed [%3] game %4 deal %5 take %6 ")
                .arg(p->m_Public.m_CurrentPlayer)
                .arg(p->m_Public.m_MoveBlocked)
                .arg(Armed(*p))
                .arg(p->Snapshot().gameRuns)
                .arg(p->Snapshot().dealPending)
                .arg(p->Snapshot().takePending);
    // Where every card lies on each table, for what the first lines leave out.
    for (auto& p : m_Peers)
        state += QStringLiteral("\n--- %1:\n").arg(p->m_Public.m_Players[0].m_LabelName.GetCaption()) + p->DumpTable();
    return QStringLiteral("no table can act after %1 actions: %2").arg(n).arg(state);
}

QString NetPeers::PlayUntil(const std::function<bool()>& done, int maxActions) {
    for (int n = 0; n < maxActions; ++n) {
        if (!WaitSettled()) {
            // A party's end leaves the tables still with nobody to act.
            if (WaitIdle() && done())
                return {};
            return Stuck(n);
        }
        if (const QString d = Disagreement(); !d.isEmpty())
            return QStringLiteral("after %1 actions: %2").arg(n).arg(d);
        if (n > 0 && done()) {
            if (qEnvironmentVariableIsSet("ZANTA_NETGAME_TRACE"))
                qInfo() << "done after" << n << "actions";
            return {};
        }
        if (!Act())
            return QStringLiteral("nobody acted");
    }
    return QStringLiteral("party not over after %1 actions").arg(maxActions);
}
