#pragma once
// CDirectPlay: the game's one peer session. Hosts or joins, sends the game's
// records to every other player, and turns the session's events into window
// messages for the game window. Everything the game once kept in process
// globals for the session (the maximum-players byte, the two locks, the log,
// the records waiting for the window) lives here, one set per session.

#include "NetLog.h"
#include "NetRecords.h"
#include "PeerSession.h"
#include "WinTypes.h"

#include <QPointer>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class CWnd;

constexpr UINT WM_DP_INDICATE_CONNECT = WM_USER + 51;
constexpr UINT WM_DP_CONNECT_COMPLETE = WM_USER + 52;
constexpr UINT WM_DP_RECEIVE = WM_USER + 54;
constexpr UINT WM_DP_HOST_MIGRATE = WM_USER + 55;
constexpr UINT WM_DP_CREATE_PLAYER = WM_USER + 56;
constexpr UINT WM_DP_DESTROY_PLAYER = WM_USER + 57;
constexpr UINT WM_DP_PEER_INFO = WM_USER + 58;

// What one posted message stands for; the window takes it by the ticket in lParam.
struct CNetPost {
    UINT message = 0;
    LPARAM ticket = 0;
    DPNID player = 0;      // the player of the event; the sender of a record
    HRESULT result = S_OK; // of a connect
    QByteArray record;     // a copy of the received record, cut to its kind's size
    std::uint32_t seq = 0; // the record's number among its sender's
    // How many of each other member's records its sender had delivered.
    std::vector<std::pair<DPNID, std::uint32_t>> after;
    char departedName[netrec::kNameBytes] = {};
};

class CDirectPlay {
public:
    using enum NetMessageId;

    explicit CDirectPlay(CWnd* gameWnd = nullptr);
    ~CDirectPlay();
    CDirectPlay(const CDirectPlay&) = delete;
    CDirectPlay& operator=(const CDirectPlay&) = delete;

    // The window messages go to; null while it is being destroyed.
    void SetGameWindow(CWnd* wnd);
    // The kind of session to run over (TCP unless set); replaces the
    // current session, so it is set before hosting or connecting.
    void SetSessionFactory(CPeerSession::Factory factory);
    // Where the session's events go before the window's messages: called on
    // the session's thread, one event after another in the order they came
    // (the record cut to its kind's size); an event it does not take (false)
    // goes to the window. Empty for the window alone.
    void SetEventSink(std::function<bool(const CNetPost& post)> sink);

    HRESULT Restart(const char* seatOneName);
    HRESULT SetName(const char* name);
    HRESULT Host(const char* sessionName, DWORD port);
    HRESULT Connect(const char* hostName, DWORD port);
    HRESULT SendTo(const void* record, DWORD length);
    // The name cut to the seat record's 11 Windows-1251 bytes.
    HRESULT GetPeerInfo(DPNID player, PeerInfo& info) const;
    // Declares a player departed who holds up every other table (the host,
    // or the host's successor about the host); false when not entitled.
    bool Expel(DPNID player);
    HRESULT GetMaxPlayers(signed char& count) const;
    HRESULT SetMaxPlayers(int count);
    HRESULT GetPeerAddress(DPNID player, QByteArray& hostName, DWORD& port) const;
    HRESULT GetLocalAddress(QByteArray& hostName, DWORD& port) const;
    // The session's host as the session knows it now; 0 without a session.
    DPNID HostPlayer() const;
    // The last seat order sent or received: where the dialogs look for the host.
    netrec::PlayerOrderRecord SeatOrder() const;
    // A player's new name in that seat order, where his departure is looked up.
    void RenameSeat(DPNID player, const QString& name);

    // The window's half of a posted message: its own copy, taken once.
    std::optional<CNetPost> TakePost(LPARAM ticket);

    // What the user is told of a connect that ended with result; empty for S_OK.
    static QString ConnectResultText(HRESULT result);

    // The session's events, as the session thread reports them.
    void MessageHandler(const PeerEvent& e);

    // Written by the session thread, read by the window thread.
    std::atomic<DPNID> m_LocalPlayer{0};
    std::atomic<DPNID> m_LastPlayer{0};
    std::atomic<DPNID> m_HostPlayer{0};
    std::atomic<int> m_CountPlayers{0};
    std::atomic<int> m_SessionState{0}; // 0 none, 1 host, 2 connected client
    // The game window's connection status (0 none, 1 connecting, 2 connected),
    // host-left and departure flags, kept with the session until the window has them.
    std::atomic<int> m_ConnectionStatus{0};
    std::atomic<bool> m_bHostLeft{false};
    std::atomic<bool> m_bDeparture{false};
    // The session's maximum players: 4 at start, 2..4 as the create dialog sets.
    std::atomic<signed char> m_MaxPlayers{4};

    mutable std::mutex m_ReceiveLock;
    std::mutex m_GameLock; // the game's workers and window thread; never held with the other
    CNetLog m_Log;

    // Shown when hosting finds its port taken; replaced by tests.
    std::function<void(const QString& text, const QString& caption)> m_Warn;
    // Where a hosted session listens; tests keep it on the loopback.
    QHostAddress m_BindAddress = QHostAddress::Any;

private:
    LPARAM Post(UINT message, WPARAM wParam, CNetPost post);
    void NewSession();

    CPeerSession::Factory m_Factory;
    std::unique_ptr<CPeerSession> m_pDP;
    std::mutex m_WndMutex;
    CWnd* m_pGameWnd = nullptr;
    std::function<bool(const CNetPost& post)> m_EventSink; // guarded by m_WndMutex
    std::mutex m_PostMutex;
    std::deque<CNetPost> m_Posts;
    LPARAM m_NextTicket = 1;
    netrec::PlayerOrderRecord m_Order; // the last seat order sent or received
};
