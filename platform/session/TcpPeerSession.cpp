#include "TcpPeerSession.h"

#include "SessionCore.h"

#include <QNetworkInterface>
#include <QTcpServer>

CTcpPeerSession::CTcpPeerSession(Callback callback)
    : m_core(std::make_unique<SessionCore>(std::move(callback))) {}

CTcpPeerSession::~CTcpPeerSession() = default;

std::unique_ptr<CPeerSession> CTcpPeerSession::Create(Callback callback) {
    return std::make_unique<CTcpPeerSession>(std::move(callback));
}

HRESULT CTcpPeerSession::Host(std::uint16_t port, int maxPlayers, const QHostAddress& bind) {
    HRESULT result = E_FAIL;
    m_core->RunSync([&] { result = m_core->Host(port, maxPlayers, bind); });
    return result;
}

HRESULT CTcpPeerSession::Connect(const QString& hostName, std::uint16_t port) {
    m_core->RunAsync([this, hostName, port] { m_core->Connect(hostName, port); });
    return DPNSUCCESS_PENDING;
}

bool CTcpPeerSession::SendToAll(const QByteArray& record) {
    if (record.size() > sessionwire::kMaxPayload)
        return false;
    if (!m_core->m_inSession.load())
        return false;
    m_core->RunAsync([this, record] { m_core->Send(record, nullptr); });
    return true;
}

void CTcpPeerSession::SendToSomeForTest(const QByteArray& record, const std::vector<DPNID>& to) {
    m_core->RunSync([&] { m_core->Send(record, &to); });
}

void CTcpPeerSession::Close() {
    m_core->RunSync([this] { m_core->Close(); });
}

void CTcpPeerSession::SetName(const QString& name) {
    m_core->RunSync([&] { m_core->SetName(name); });
}

void CTcpPeerSession::SetMaxPlayers(int count) {
    m_core->RunSync([&] { m_core->SetMaxPlayers(count); });
}

bool CTcpPeerSession::Expel(DPNID player) {
    bool done = false;
    m_core->RunSync([&] { done = m_core->Expel(player); });
    return done;
}

int CTcpPeerSession::MaxPlayers() const {
    int n = 0;
    m_core->RunSync([&] { n = m_core->m_maxPlayers; });
    return n;
}

std::optional<PeerInfo> CTcpPeerSession::GetPeerInfo(DPNID player) const {
    std::optional<PeerInfo> info;
    m_core->RunSync([&] {
        const auto it = m_core->m_members.find(player);
        if (it == m_core->m_members.end() || it->second.removed)
            return;
        PeerInfo p;
        p.name = QString::fromUtf8(it->second.name);
        p.flags = (player == m_core->m_local ? DPNPLAYER_LOCAL : 0) |
                  (player == m_core->m_host ? DPNPLAYER_HOST : 0);
        info = p;
    });
    return info;
}

std::optional<std::pair<QString, std::uint16_t>>
CTcpPeerSession::GetPeerAddress(DPNID player) const {
    std::optional<std::pair<QString, std::uint16_t>> out;
    m_core->RunSync([&] {
        const auto it = m_core->m_members.find(player);
        if (it != m_core->m_members.end() && !it->second.removed)
            out = std::make_pair(QString::fromLatin1(it->second.address), it->second.port);
    });
    return out;
}

std::vector<std::pair<QString, std::uint16_t>> CTcpPeerSession::GetLocalHostAddresses() const {
    std::vector<std::pair<QString, std::uint16_t>> out;
    m_core->RunSync([&] {
        if (!m_core->m_server || !m_core->m_server->isListening())
            return;
        const QHostAddress bound = m_core->m_server->serverAddress();
        const std::uint16_t port = m_core->m_server->serverPort();
        if (bound != QHostAddress::Any && bound != QHostAddress::AnyIPv4 &&
            bound != QHostAddress::AnyIPv6) {
            out.emplace_back(bound.toString(), port);
            return;
        }
        // Every address of this machine, the loopback last.
        for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
                out.emplace_back(a.toString(), port);
        }
        out.emplace_back(QStringLiteral("127.0.0.1"), port);
    });
    return out;
}

DPNID CTcpPeerSession::LocalPlayer() const {
    DPNID id = 0;
    m_core->RunSync([&] { id = m_core->m_local; });
    return id;
}

DPNID CTcpPeerSession::HostPlayer() const {
    DPNID id = 0;
    m_core->RunSync([&] { id = m_core->m_host; });
    return id;
}

std::vector<DPNID> CTcpPeerSession::Players() const {
    std::vector<DPNID> ids;
    m_core->RunSync([&] {
        for (const auto& [id, m] : m_core->m_members) {
            if (!m.removed)
                ids.push_back(id);
        }
    });
    return ids;
}
