#pragma once
// Several game windows of the network program in one process, each with its
// own peer session on the loopback, played the way their users would play:
// clicks on each window's own cards and button, legal cards chosen from
// each window's own table.

#include "DealSeed.h"
#include "PlayNet.h"
#include "TestUtil.h"

#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <vector>

class NetPeers {
public:
    // A host and joiners, seated; animations off except on the window
    // numbered animated.
    explicit NetPeers(int players, bool game31 = true, unsigned seed = 1, int animated = -1);
    ~NetPeers();

    int Count() const { return static_cast<int>(m_Peers.size()); }
    CPlayNet& Peer(int i) { return *m_Peers[static_cast<size_t>(i)]; }
    CPublic& Table(int i) { return Peer(i).m_Public; }
    quint16 Port() const { return m_Port; }

    // A new window that joins the host; false when it was not seated in time.
    bool Join(int timeoutMs = 20000);
    // A new window that asks to join and is not waited for.
    CPlayNet& Connect();
    // Waits until every window has seats for all and stands still, then
    // counts the records afresh.
    bool WaitSeated(int players, int timeoutMs = 20000);
    // The same on every window: a party's stars, "Lock Add Players".
    void SetStars(int stars);
    void SetLockAddPlayers(bool on);
    // Bytes from window i to all the others, as a faulty or hostile peer
    // would send them; returns once they have arrived.
    void Inject(int i, const QByteArray& bytes);
    // Closes a window's session as a crash would leave it: gone, no goodbye.
    void Drop(int i);
    // Leaves in order ("Выход из игры").
    void Leave(int i);
    // Counts the records from here on, after a short wait for those under
    // way; a member outside these windows sent some.
    void Rebase();

    // Every window still, and every barrier passed.
    bool WaitSettled(int timeoutMs = 20000);
    // Nothing on its way between the windows.
    bool Delivered();
    // The tables in the session's terms; empty when all agree, otherwise
    // the first difference.
    QString Disagreement();
    // What each window shows and waits for, to explain a failure.
    QString State() { return Stuck(-1); }
    // One action by whichever window may act: a card, "Далее", "Взятка" or
    // a deal. False when nobody can act.
    bool Act();
    // The cards in the local player's hand he may play now (his turn taken
    // for granted).
    static std::vector<CCard*> PlayableCards(CPublic& t);
    // The window that acted last, and whether it played a card.
    int LastActor() const { return m_LastActor; }
    bool LastWasCard() const { return m_LastWasCard; }
    // Plays until a party ends on every table (or maxActions); returns what
    // went wrong, empty when nothing did. Compares the tables whenever they
    // are settled.
    QString PlayParty(int maxActions = 3000);
    // Plays until done() holds at a still moment (checked before each
    // action); returns what went wrong, empty when nothing did.
    QString PlayUntil(const std::function<bool()>& done, int maxActions = 3000);
    // What a window's labels say.
    QString Message(int i) { return Table(i).m_LabelMessage.GetCaption(); }
    QString Name(int i) { return Table(i).m_Players[0].m_LabelName.GetCaption(); }
    // Every window still, for a moment at least.
    bool WaitIdle(int timeoutMs = 20000);
    // Notices the windows showed.
    QStringList Notices() {
        std::lock_guard lock(m_NoticeMutex);
        return m_Notices;
    }

private:
    CPlayNet* NewPeer(bool animated = false);
    QString Stuck(int actions);
    void ClickCard(CPlayNet& peer, CCard* card);

    testutil::PauseCounter m_NoPauses;
    std::vector<std::unique_ptr<CPlayNet>> m_Peers;
    quint16 m_Port = 0;
    std::map<const CPlayNet*, int> m_SentBase;
    std::map<const CPlayNet*, int> m_ReceivedBase;
    std::mt19937 m_Random;
    int m_LastActor = -1;
    bool m_LastWasCard = false;
    // Windows that joined during a party and have not yet caught up with
    // its game number and turn.
    std::set<const CPlayNet*> m_Late;
    std::mutex m_NoticeMutex;
    QStringList m_Notices;
};
