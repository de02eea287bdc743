#pragma once
// A peer-to-peer session over TCP, standing where the platform's session
// service stood: a full mesh of up to a few peers, reliable broadcast in
// causal order, agreement on what a departed peer sent, host migration.
// Runs on a thread of its own; events reach the callback on that thread.
// See PROTOCOL.md beside this file.

#include "WinError.h"

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

using DPNID = std::uint32_t;


// Player flags of the peer information.
constexpr DWORD DPNPLAYER_LOCAL = 0x0002;
constexpr DWORD DPNPLAYER_HOST = 0x0004;

struct PeerEvent {
    enum Type {
        ConnectComplete,
        CreatePlayer,
        DestroyPlayer,
        HostMigrate,
        IndicateConnect,
        PeerInfo,
        Receive,
        TerminateSession,
        // Something a peer sent was refused (data: a line of text for the log).
        Warning,
    };
    Type type = Receive;
    DPNID player = 0;      // the player concerned; the sender of a record; the new host
    HRESULT result = S_OK; // of a connect
    QByteArray data;       // a received record
};

struct PeerInfo {
    QString name;
    DWORD flags = 0;
};

class SessionCore;

class CPeerSession {
public:
    using Callback = std::function<void(const PeerEvent&)>;

    // The callback runs on the session's thread, one event at a time.
    explicit CPeerSession(Callback callback);
    ~CPeerSession();
    CPeerSession(const CPeerSession&) = delete;
    CPeerSession& operator=(const CPeerSession&) = delete;

    // Listens on port (0: any free one) and becomes the session's host.
    // DPNERR_INVALIDDEVICEADDRESS when the port cannot be had.
    HRESULT Host(std::uint16_t port, int maxPlayers, const QHostAddress& bind = QHostAddress::Any);
    // DPNSUCCESS_PENDING; the outcome comes as a ConnectComplete event.
    HRESULT Connect(const QString& hostName, std::uint16_t port);
    // Reliable, causally ordered, never echoed; false without a session or
    // when the record is larger than the wire allows.
    bool SendToAll(const QByteArray& record);
    // Leaves in order; a pending connect completes with DPNERR_USERCANCEL.
    // Not to be called from the callback.
    void Close();

    void SetName(const QString& name);
    void SetMaxPlayers(int count);
    int MaxPlayers() const;
    // Declares a member departed that holds up every other table: taken from
    // the host, and from the host's successor about the host; false otherwise.
    bool Expel(DPNID player);
    std::optional<PeerInfo> GetPeerInfo(DPNID player) const;
    std::optional<std::pair<QString, std::uint16_t>> GetPeerAddress(DPNID player) const;
    // The address and port this peer listens on.
    std::vector<std::pair<QString, std::uint16_t>> GetLocalHostAddresses() const;
    DPNID LocalPlayer() const;
    DPNID HostPlayer() const;
    std::vector<DPNID> Players() const;

    // For fault tests: sends a record to the listed peers only, waits until
    // it left this process, and returns; the caller then dies.
    void SendToSomeForTest(const QByteArray& record, const std::vector<DPNID>& to);

private:
    std::unique_ptr<SessionCore> m_core;
};
