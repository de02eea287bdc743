#include "SimPeerSession.h"

#include "SessionWire.h"
#include "SimNetwork.h"

#include <QtEndian>

CSimPeerSession::~CSimPeerSession() {
    m_network->Unregister(m_handle);
}

HRESULT CSimPeerSession::Host(std::uint16_t port, int maxPlayers, const QHostAddress&) {
    std::vector<CSimNetwork::Pending> events;
    HRESULT result = S_OK;
    {
        std::lock_guard lock(m_network->m_mutex);
        result = m_network->DoHost(m_handle, port, maxPlayers);
        if (result == S_OK)
            m_network->Emit(events, m_handle, PeerEvent::CreatePlayer,
                            m_network->Find(m_handle)->local);
    }
    m_network->Run(events);
    return result;
}

HRESULT CSimPeerSession::Connect(const QString& hostName, std::uint16_t port) {
    std::lock_guard lock(m_network->m_mutex);
    m_network->DoConnect(m_handle, hostName, port);
    return DPNSUCCESS_PENDING;
}

bool CSimPeerSession::SendToAll(const QByteArray& record) {
    std::lock_guard lock(m_network->m_mutex);
    return m_network->DoSend(m_handle, CSimNetwork::Kind::User, record, 0, nullptr) != nullptr;
}

void CSimPeerSession::SendToSomeForTest(const QByteArray& record, const std::vector<DPNID>& to) {
    std::lock_guard lock(m_network->m_mutex);
    m_network->DoSend(m_handle, CSimNetwork::Kind::User, record, 0, &to);
}

void CSimPeerSession::Close() {
    std::vector<CSimNetwork::Pending> events;
    {
        std::lock_guard lock(m_network->m_mutex);
        m_network->DoClose(m_handle, events);
    }
    m_network->Run(events);
}

void CSimPeerSession::SetName(const QString& name) {
    std::lock_guard lock(m_network->m_mutex);
    auto& m = *m_network->Find(m_handle);
    if (m.state == CSimNetwork::State::Dead)
        return;
    m.name = name.toUtf8().left(sessionwire::kMaxNameBytes);
    if (m.state != CSimNetwork::State::InSession)
        return;
    m.members[m.local] = m.name;
    m_network->DoSend(m_handle, CSimNetwork::Kind::NameChanged, m.name, 0, nullptr);
}

void CSimPeerSession::SetMaxPlayers(int count) {
    std::lock_guard lock(m_network->m_mutex);
    auto& m = *m_network->Find(m_handle);
    if (m.state == CSimNetwork::State::Dead)
        return;
    m.maxPlayers = std::clamp(count, 1, sessionwire::kMaxMembers - 1);
    QByteArray payload(4, '\0');
    qToLittleEndian(static_cast<std::uint32_t>(m.maxPlayers), payload.data());
    m_network->DoSend(m_handle, CSimNetwork::Kind::MaxPlayers, payload, 0, nullptr);
}

int CSimPeerSession::MaxPlayers() const {
    std::lock_guard lock(m_network->m_mutex);
    return m_network->Find(m_handle)->maxPlayers;
}

bool CSimPeerSession::Expel(DPNID player) {
    std::lock_guard lock(m_network->m_mutex);
    return m_network->DoExpel(m_handle, player);
}

std::optional<PeerInfo> CSimPeerSession::GetPeerInfo(DPNID player) const {
    std::lock_guard lock(m_network->m_mutex);
    const auto& m = *m_network->Find(m_handle);
    const auto it = m.members.find(player);
    if (it == m.members.end())
        return std::nullopt;
    PeerInfo info;
    info.name = QString::fromUtf8(it->second);
    info.flags =
        (player == m.local ? DPNPLAYER_LOCAL : 0) | (player == m.host ? DPNPLAYER_HOST : 0);
    return info;
}

std::optional<std::pair<QString, std::uint16_t>>
CSimPeerSession::GetPeerAddress(DPNID player) const {
    std::lock_guard lock(m_network->m_mutex);
    const auto& m = *m_network->Find(m_handle);
    const auto it = m.ports.find(player);
    if (it == m.ports.end())
        return std::nullopt;
    return std::make_pair(QStringLiteral("127.0.0.1"), it->second);
}

std::vector<std::pair<QString, std::uint16_t>> CSimPeerSession::GetLocalHostAddresses() const {
    std::lock_guard lock(m_network->m_mutex);
    const auto& m = *m_network->Find(m_handle);
    if (m.state != CSimNetwork::State::InSession)
        return {};
    return {{QStringLiteral("127.0.0.1"), m.port}};
}

DPNID CSimPeerSession::LocalPlayer() const {
    std::lock_guard lock(m_network->m_mutex);
    const auto& m = *m_network->Find(m_handle);
    return m.state == CSimNetwork::State::InSession ? m.local : 0;
}

DPNID CSimPeerSession::HostPlayer() const {
    std::lock_guard lock(m_network->m_mutex);
    const auto& m = *m_network->Find(m_handle);
    return m.state == CSimNetwork::State::InSession ? m.host : 0;
}

std::vector<DPNID> CSimPeerSession::Players() const {
    std::lock_guard lock(m_network->m_mutex);
    std::vector<DPNID> ids;
    for (const auto& [id, name] : m_network->Find(m_handle)->members)
        ids.push_back(id);
    return ids;
}
