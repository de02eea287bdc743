#pragma once
// The shipped network program as a process of its own, driven through its
// test control on standard input and output: hosting and joining, the
// table's state, legal cards, clicks on cards and the button, dumps.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <random>
#include <vector>

class ProgramPeer {
public:
    // Starts the program with a settings folder of its own; name is the
    // player's name, stored as if chosen before; args go on its command line.
    // holdSeats: the player has chosen that the computer keeps a departed
    // player's seat in the games he creates.
    explicit ProgramPeer(const QString& name, const QStringList& args = {}, bool holdSeats = false);
    ~ProgramPeer();

    // One command, its one answer line; empty when the program does not answer.
    QString Ask(const QString& command, int timeoutMs = 10000);
    bool Running() const { return m_Process.state() == QProcess::Running; }
    // Gone as a crash leaves it: no goodbye to the others.
    void Kill();
    // Starts the program again, with the same settings folder as before.
    bool Restart();
    qint64 Pid() const { return m_Process.processId(); }

    struct State {
        bool canAct = false;
        bool idle = false;
        int sent = 0;
        int got = 0;
        QString message;
    };
    State GetState();

private:
    bool Start();

    QTemporaryDir m_Dir;
    QProcess m_Process;
    QStringList m_Args;
};

// Several programs playing one session.
class ProgramTable {
public:
    // Hosts on a free loopback port and lets joiners in, up to players.
    explicit ProgramTable(int players, unsigned seed = 1, bool holdSeats = false);

    std::vector<std::unique_ptr<ProgramPeer>>& Peers() { return m_Peers; }
    bool Ready() const { return m_Ready; }
    // One more program joins whichever peer hosts now.
    bool Join(ProgramPeer& host);
    // A program of the table joins host again (after a restart).
    bool Rejoin(ProgramPeer& peer, ProgramPeer& host);
    // Every program answers the same player count and nothing is on its way.
    bool WaitSeated(int players, int timeoutMs = 30000);
    // Every table still and every record arrived; someone may act.
    bool WaitSettled(int timeoutMs = 30000);
    QString Disagreement();
    // Every program's player count and state, for a failure's message.
    QString Describe();
    // Plays until a party ends; "" or what went wrong.
    QString PlayParty(int maxActions = 4000);
    // One action by a table that may act; false when none could.
    bool Act();
    void Rebase();
    void Remove(ProgramPeer* peer);
    // Out of the table's waits and back, the program kept.
    std::unique_ptr<ProgramPeer> Take(ProgramPeer* peer);
    void Add(std::unique_ptr<ProgramPeer> peer);

private:
    std::vector<std::unique_ptr<ProgramPeer>> m_Peers;
    std::vector<int> m_SentBase;
    std::vector<int> m_GotBase;
    quint16 m_Port = 0;
    bool m_Ready = false;
    std::mt19937 m_Random;
};
