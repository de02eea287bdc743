#pragma once
// The peer session over TCP: a full mesh of connections, on a thread of its
// own; events reach the callback on that thread. See PROTOCOL.md.

#include "PeerSession.h"

class SessionCore;

class CTcpPeerSession : public CPeerSession {
public:
    // The callback runs on the session's thread, one event at a time.
    explicit CTcpPeerSession(Callback callback);
    ~CTcpPeerSession() override;

    // A factory of TCP sessions, for users that may be given another kind.
    static std::unique_ptr<CPeerSession> Create(Callback callback);

    HRESULT Host(std::uint16_t port, int maxPlayers,
                 const QHostAddress& bind = QHostAddress::Any) override;
    HRESULT Connect(const QString& hostName, std::uint16_t port) override;
    bool SendToAll(const QByteArray& record) override;
    void Close() override;
    void SetName(const QString& name) override;
    void SetMaxPlayers(int count) override;
    int MaxPlayers() const override;
    bool Expel(DPNID player) override;
    std::optional<PeerInfo> GetPeerInfo(DPNID player) const override;
    std::optional<std::pair<QString, std::uint16_t>> GetPeerAddress(DPNID player) const override;
    std::vector<std::pair<QString, std::uint16_t>> GetLocalHostAddresses() const override;
    DPNID LocalPlayer() const override;
    DPNID HostPlayer() const override;
    std::vector<DPNID> Players() const override;
    void SendToSomeForTest(const QByteArray& record, const std::vector<DPNID>& to) override;

private:
    std::unique_ptr<SessionCore> m_core;
};
