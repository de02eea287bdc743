#pragma once
// CSimPeerSession: one member of a CSimNetwork. Its events reach the callback
// on the thread that drives the network (DeliverNext), or, for what the
// member's own call causes at once (terminate-session, a cancelled connect,
// the host's own create-player), on the caller's thread before the call
// returns, as the TCP session reports them on its thread.

#include "PeerSession.h"

class CSimNetwork;

class CSimPeerSession : public CPeerSession {
public:
    ~CSimPeerSession() override;

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
    // Reaches the listed members only; the others get it only if this member
    // then crashes (CSimNetwork::Crash), as survivors pass it on.
    void SendToSomeForTest(const QByteArray& record, const std::vector<DPNID>& to) override;

private:
    friend class CSimNetwork;
    CSimPeerSession(CSimNetwork* network, int handle) : m_network(network), m_handle(handle) {}
    CSimNetwork* m_network;
    int m_handle;
};
