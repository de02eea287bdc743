#pragma once
// The peer-to-peer session, standing where the platform's session service
// stood: a full mesh of up to a few peers, reliable broadcast in causal
// order, agreement on what a departed peer sent, host migration.
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
    // Of a received record: its number among its sender's records, and how
    // many of each other member's records the sender had delivered when it
    // sent it (those come before it everywhere).
    std::uint32_t seq = 0;
    std::vector<std::pair<DPNID, std::uint32_t>> after;
};

struct PeerInfo {
    QString name;
    DWORD flags = 0;
};

// One member's view of a peer session. The TCP one (CTcpPeerSession) is
// what the program uses; the simulated one (CSimPeerSession, session/sim/)
// runs several tables in one process without sockets, its deliveries driven
// by the simulation. Both keep the same guarantees and the same order of events.
class CPeerSession {
public:
    using Callback = std::function<void(const PeerEvent&)>;
    // Makes a session that reports to the callback; lets a user be given the
    // kind of session it runs over.
    using Factory = std::function<std::unique_ptr<CPeerSession>(Callback)>;

    CPeerSession() = default;
    virtual ~CPeerSession() = default;
    CPeerSession(const CPeerSession&) = delete;
    CPeerSession& operator=(const CPeerSession&) = delete;

    // Listens on port (0: any free one) and becomes the session's host.
    // DPNERR_INVALIDDEVICEADDRESS when the port cannot be had.
    virtual HRESULT Host(std::uint16_t port, int maxPlayers,
                         const QHostAddress& bind = QHostAddress::Any) = 0;
    // DPNSUCCESS_PENDING; the outcome comes as a ConnectComplete event.
    virtual HRESULT Connect(const QString& hostName, std::uint16_t port) = 0;
    // Reliable, causally ordered, never echoed; false without a session or
    // when the record is larger than the wire allows.
    virtual bool SendToAll(const QByteArray& record) = 0;
    // Leaves in order; a pending connect completes with DPNERR_USERCANCEL.
    // Not to be called from the callback.
    virtual void Close() = 0;

    virtual void SetName(const QString& name) = 0;
    virtual void SetMaxPlayers(int count) = 0;
    virtual int MaxPlayers() const = 0;
    // Declares a member departed that holds up every other table: taken from
    // the host, and from the host's successor about the host; false otherwise.
    virtual bool Expel(DPNID player) = 0;
    virtual std::optional<PeerInfo> GetPeerInfo(DPNID player) const = 0;
    virtual std::optional<std::pair<QString, std::uint16_t>> GetPeerAddress(DPNID player) const = 0;
    // The address and port this peer listens on.
    virtual std::vector<std::pair<QString, std::uint16_t>> GetLocalHostAddresses() const = 0;
    virtual DPNID LocalPlayer() const = 0;
    virtual DPNID HostPlayer() const = 0;
    virtual std::vector<DPNID> Players() const = 0;

    // For fault tests: sends a record to the listed peers only, waits until
    // it left this process, and returns; the caller then dies.
    virtual void SendToSomeForTest(const QByteArray& record, const std::vector<DPNID>& to) = 0;
};
