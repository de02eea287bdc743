#include "ProgramPeer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QThread>

#include <csignal>

namespace {
const char* const kNames[] = {"Анна", "Борис", "Вера", "Глеб"};

// The settings of a player who set his name before and wants no dialog at start.
QByteArray Settings(const QString& name, bool holdSeats) {
    return QStringLiteral("[Software\\Tavlin2.0\\Public]\nUserName=sz:%1\n\n"
                          "[Software\\Tavlin2.0\\Net]\nShowNameWnd=dword:00000000\n"
                          "SoundEffect=dword:00000000\nHoldSeats=dword:0000000%2\n")
        .arg(name)
        .arg(holdSeats ? 1 : 0)
        .toUtf8();
}

quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool PartyOver(const QString& caption, bool dealt) { return dealt && caption == QStringLiteral("caption Новая партия!"); }
} // namespace

ProgramPeer::ProgramPeer(const QString& name, const QStringList& args, bool holdSeats) : m_Args(args) {
    QDir(m_Dir.path()).mkpath(QStringLiteral("config/Tavlin2.0"));
    QFile file(m_Dir.path() + QStringLiteral("/config/Tavlin2.0/registry.ini"));
    if (file.open(QIODevice::WriteOnly))
        file.write(Settings(name, holdSeats));
    file.close();
    Start();
}

bool ProgramPeer::Restart() {
    return !Running() && Start();
}

bool ProgramPeer::Start() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZANTA_TEST_CONTROL"), QStringLiteral("stdio"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_Dir.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_STATE_HOME"), m_Dir.path() + QStringLiteral("/state"));
    m_Process.setProcessEnvironment(env);
    // What the program reports (a sanitizer's finding above all) shows in the test's log.
    m_Process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_Process.start(QStringLiteral(ZANTA_NET_PROGRAM), m_Args);
    return m_Process.waitForStarted(10000) && Ask(QStringLiteral("pace 2")) == QStringLiteral("ok");
}

ProgramPeer::~ProgramPeer() {
    if (!Running())
        return;
    m_Process.write("quit\n");
    if (!m_Process.waitForFinished(10000))
        Kill();
}

void ProgramPeer::Kill() {
    m_Process.kill();
    m_Process.waitForFinished(5000);
}

QString ProgramPeer::Ask(const QString& command, int timeoutMs) {
    if (!Running())
        return {};
    m_Process.write(command.toUtf8() + '\n');
    QDeadlineTimer deadline(timeoutMs);
    while (!m_Process.canReadLine()) {
        if (deadline.hasExpired() || !m_Process.waitForReadyRead(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1))))
            if (deadline.hasExpired() || !Running())
                return {};
    }
    return QString::fromUtf8(m_Process.readLine()).trimmed();
}

ProgramPeer::State ProgramPeer::GetState() {
    // "state canact C idle I sent S got G msg TEXT"
    const QStringList w = Ask(QStringLiteral("state")).split(' ');
    State s;
    if (w.size() < 9 || w[0] != QStringLiteral("state"))
        return s;
    s.canAct = w[2] == QStringLiteral("1");
    s.idle = w[4] == QStringLiteral("1");
    s.sent = w[6].toInt();
    s.got = w[8].toInt();
    s.message = w.mid(10).join(' ');
    return s;
}

ProgramTable::ProgramTable(int players, unsigned seed, bool holdSeats) : m_Random(seed) {
    m_Port = FreePort();
    m_Peers.push_back(std::make_unique<ProgramPeer>(QString::fromUtf8(kNames[0]), QStringList(), holdSeats));
    if (m_Peers[0]->Ask(QStringLiteral("host %1").arg(m_Port)) != QStringLiteral("ok"))
        return;
    for (int i = 1; i < players; ++i)
        if (!Join(*m_Peers[0]))
            return;
    m_Ready = true;
}

bool ProgramTable::Join(ProgramPeer& host) {
    const QString address = host.Ask(QStringLiteral("address"));
    const QString port = address.section(' ', 1, 1);
    const int n = static_cast<int>(m_Peers.size());
    m_Peers.push_back(std::make_unique<ProgramPeer>(QString::fromUtf8(kNames[n % 4])));
    if (m_Peers.back()->Ask(QStringLiteral("join 127.0.0.1 %1").arg(port)) != QStringLiteral("ok"))
        return false;
    return WaitSeated(n + 1);
}

bool ProgramTable::Rejoin(ProgramPeer& peer, ProgramPeer& host) {
    const QString port = host.Ask(QStringLiteral("address")).section(' ', 1, 1);
    return peer.Ask(QStringLiteral("join 127.0.0.1 %1").arg(port)) == QStringLiteral("ok");
}

bool ProgramTable::WaitSeated(int players, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        bool all = true;
        for (auto& p : m_Peers)
            all = all && p->Ask(QStringLiteral("players")) == QStringLiteral("players %1").arg(players) &&
                  p->GetState().idle;
        if (all) {
            Rebase();
            return true;
        }
        QThread::msleep(20);
    }
    return false;
}

void ProgramTable::Rebase() {
    // Whatever was on its way has arrived once the tables stood still a moment.
    QThread::msleep(300);
    m_SentBase.clear();
    m_GotBase.clear();
    for (auto& p : m_Peers) {
        const ProgramPeer::State s = p->GetState();
        m_SentBase.push_back(s.sent);
        m_GotBase.push_back(s.got);
    }
}

void ProgramTable::Remove(ProgramPeer* peer) {
    Take(peer);
}

std::unique_ptr<ProgramPeer> ProgramTable::Take(ProgramPeer* peer) {
    for (size_t k = 0; k < m_Peers.size(); ++k)
        if (m_Peers[k].get() == peer) {
            std::unique_ptr<ProgramPeer> taken = std::move(m_Peers[k]);
            m_Peers.erase(m_Peers.begin() + static_cast<long>(k));
            return taken;
        }
    return nullptr;
}

void ProgramTable::Add(std::unique_ptr<ProgramPeer> peer) {
    m_Peers.push_back(std::move(peer));
    Rebase();
}

bool ProgramTable::WaitSettled(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        long sent = 0, got = 0;
        bool idle = true, someone = false;
        for (size_t k = 0; k < m_Peers.size(); ++k) {
            const ProgramPeer::State s = m_Peers[k]->GetState();
            idle = idle && s.idle;
            someone = someone || s.canAct;
            sent += s.sent - m_SentBase.at(k);
            got += s.got - m_GotBase.at(k);
        }
        if (idle && someone && got >= sent * static_cast<long>(m_Peers.size() - 1))
            return true;
        QThread::msleep(5);
    }
    return false;
}

QString ProgramTable::Disagreement() {
    const QString first = m_Peers[0]->Ask(QStringLiteral("dump"));
    for (size_t k = 1; k < m_Peers.size(); ++k) {
        const QString other = m_Peers[k]->Ask(QStringLiteral("dump"));
        if (other != first)
            return QStringLiteral("program 1 and %1 differ:\n%2\n%3").arg(k + 1).arg(first, other);
    }
    return {};
}

bool ProgramTable::Act() {
    for (auto& p : m_Peers) {
        if (!p->GetState().canAct)
            continue;
        const QString caption = p->Ask(QStringLiteral("caption")).mid(8);
        const QStringList legal = p->Ask(QStringLiteral("legal")).split(' ', Qt::SkipEmptyParts).mid(1);
        if (!caption.isEmpty() && (legal.isEmpty() || m_Random() % 2 == 0))
            return p->Ask(QStringLiteral("button")) == QStringLiteral("ok");
        if (legal.isEmpty())
            continue;
        const QString card = legal[static_cast<int>(m_Random() % static_cast<unsigned>(legal.size()))];
        return p->Ask(QStringLiteral("card ") + card) == QStringLiteral("ok");
    }
    return false;
}

QString ProgramTable::PlayParty(int maxActions) {
    bool dealt = false;
    for (int n = 0; n < maxActions; ++n) {
        if (!WaitSettled())
            return QStringLiteral("the tables did not settle after %1 actions").arg(n);
        if (const QString d = Disagreement(); !d.isEmpty())
            return QStringLiteral("after %1 actions: %2").arg(n).arg(d);
        for (auto& p : m_Peers)
            if (PartyOver(p->Ask(QStringLiteral("caption")), dealt))
                return {};
        for (auto& p : m_Peers)
            dealt = dealt || p->Ask(QStringLiteral("dump")).startsWith(QStringLiteral("dump game 1 "));
        if (!Act())
            return QStringLiteral("nobody could act after %1 actions").arg(n);
    }
    return QStringLiteral("no party end in %1 actions").arg(maxActions);
}

QString ProgramTable::Describe() {
    QString text;
    for (auto& p : m_Peers)
        text += p->Ask(QStringLiteral("players")) + QStringLiteral(" / ") + p->Ask(QStringLiteral("state")) + '\n';
    return text;
}
