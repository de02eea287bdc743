#include "DirectPlay.h"

#include "Cp1251.h"
#include "NetDebug.h"
#include "TcpPeerSession.h"
#include "Wnd.h"

#include <QMessageBox>
#include <algorithm>
#include <cstring>

namespace {

const char* TraceLine(int id) {
    static const char* const lines[16] = {
        nullptr,
        "case CDirectPlay::e_PlayerOrder:\r\n",
        "case CDirectPlay::e_NewParty:\r\n",
        "case CDirectPlay::e_NextGame\r\n",
        "case CDirectPlay::e_GoCard:\r\n",
        "case CDirectPlay::e_NextPlayerGo:\r\n",
        "case CDirectPlay::e_BitaCards:\r\n",
        "case CDirectPlay::e_ResetCards:\r\n",
        "case CDirectPlay::e_TakeCards:\r\n",
        "case CDirectPlay::e_ContinueGame:\r\n",
        "case CDirectPlay::e_Zanta:\r\n",
        "case CDirectPlay::e_EndDistr:\r\n",
        "case CDirectPlay::e_Chat:\r\n",
        "case CDirectPlay::e_SettingGame:\r\n",
        "case CDirectPlay::e_DestroyPlayer:\r\n",
        "case CDirectPlay::e_EndTake:\r\n",
    };
    return id >= 1 && id <= 15 ? lines[id] : nullptr;
}

} // namespace

CDirectPlay::CDirectPlay(CWnd* gameWnd) : m_pGameWnd(gameWnd) {
    // Called on the window's own thread. The box does not hold up its
    // caller: the host command answers at once, whoever closes the box.
    m_Warn = [this](const QString& text, const QString& caption) {
        CWnd* wnd = nullptr;
        {
            std::lock_guard lock(m_WndMutex);
            wnd = m_pGameWnd;
        }
        auto* box = new QMessageBox(QMessageBox::Warning, caption, text, QMessageBox::Ok, wnd);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    };
    NewSession();
}

CDirectPlay::~CDirectPlay() {
    SetGameWindow(nullptr);
    if (m_pDP)
        m_pDP->Close();
    m_pDP.reset();
}

void CDirectPlay::NewSession() {
    auto callback = [this](const PeerEvent& e) { MessageHandler(e); };
    m_pDP =
        m_Factory ? m_Factory(std::move(callback)) : CTcpPeerSession::Create(std::move(callback));
}

void CDirectPlay::SetSessionFactory(CPeerSession::Factory factory) {
    if (m_pDP)
        m_pDP->Close();
    m_pDP.reset();
    m_Factory = std::move(factory);
    NewSession();
}

void CDirectPlay::SetGameWindow(CWnd* wnd) {
    std::lock_guard lock(m_WndMutex);
    m_pGameWnd = wnd;
}

void CDirectPlay::SetEventSink(std::function<bool(const CNetPost& post)> sink) {
    std::lock_guard lock(m_WndMutex);
    m_EventSink = std::move(sink);
}

HRESULT CDirectPlay::Restart(const char* seatOneName) {
    if (m_pDP)
        m_pDP->Close();
    m_SessionState = 0;
    m_ConnectionStatus = 0;
    m_bHostLeft = false;
    m_bDeparture = false;
    m_CountPlayers = 0;
    m_pDP.reset();
    NewSession();
    {
        std::lock_guard lock(m_PostMutex);
        m_Posts.clear(); // the old session's events are of no use to the next one
    }
    return SetName(seatOneName);
}

HRESULT CDirectPlay::SetName(const char* name) {
    if (!m_pDP)
        return E_NOTIMPL;
    RenameSeat(m_LocalPlayer, Cp1251ToUnicode(name ? name : "", -1));
    m_pDP->SetName(Cp1251ToUnicode(name ? name : "", -1).left(128));
    return S_OK;
}

HRESULT CDirectPlay::Host(const char* /*sessionName*/, DWORD port) {
    if (!m_pDP)
        return E_NOTIMPL;
    m_SessionState = 1;
    const HRESULT hr =
        m_pDP->Host(static_cast<std::uint16_t>(port), m_MaxPlayers.load(), m_BindAddress);
    if (hr != S_OK) {
        m_SessionState = 0;
        if (hr == DPNERR_INVALIDDEVICEADDRESS && m_Warn)
            m_Warn(QStringLiteral("Возможно этот порт используется. Измените значение порта!"),
                   QStringLiteral("Внимание!"));
    }
    return hr;
}

HRESULT CDirectPlay::Connect(const char* hostName, DWORD port) {
    if (!m_pDP)
        return E_NOTIMPL;
    const HRESULT hr = m_pDP->Connect(Cp1251ToUnicode(hostName ? hostName : "", -1),
                                      static_cast<std::uint16_t>(port));
    if (hr == DPNSUCCESS_PENDING)
        m_ConnectionStatus = 1;
    return hr;
}

HRESULT CDirectPlay::SendTo(const void* record, DWORD length) {
    if (!m_pDP || record == nullptr || length == 0)
        return E_POINTER;
    const QByteArray bytes(static_cast<const char*>(record), static_cast<qsizetype>(length));
    if (const auto order = netrec::ReadPlayerOrder(bytes)) {
        std::lock_guard lock(m_ReceiveLock);
        m_Order = *order;
    }
    return m_pDP->SendToAll(bytes) ? S_OK : DPNERR_NOCONNECTION;
}

HRESULT CDirectPlay::GetPeerInfo(DPNID player, PeerInfo& info) const {
    if (!m_pDP)
        return E_NOTIMPL;
    const auto found = m_pDP->GetPeerInfo(player);
    if (!found)
        return DPNERR_INVALIDPLAYER;
    info = *found;
    // Every table shows a name as the seat record carries it: a joiner's
    // own program cuts it so, and the host does the same for one that did not.
    info.name = Cp1251ToUnicode(Cp1251Field(info.name, netrec::kNameBytes));
    return S_OK;
}

bool CDirectPlay::Expel(DPNID player) {
    if (!m_pDP || !m_pDP->Expel(player))
        return false;
    m_Log.Append(QStringLiteral("Player %1 holds up the game: declared departed\r\n")
                     .arg(player)
                     .toLatin1()
                     .constData());
    return true;
}

HRESULT CDirectPlay::GetMaxPlayers(signed char& count) const {
    if (!m_pDP)
        return E_NOTIMPL;
    count = static_cast<signed char>(m_pDP->MaxPlayers());
    return S_OK;
}

HRESULT CDirectPlay::SetMaxPlayers(int count) {
    if (!m_pDP)
        return E_NOTIMPL;
    m_pDP->SetMaxPlayers(count);
    return S_OK;
}

HRESULT CDirectPlay::GetPeerAddress(DPNID player, QByteArray& hostName, DWORD& port) const {
    if (!m_pDP)
        return E_NOTIMPL;
    const auto address = m_pDP->GetPeerAddress(player);
    if (!address)
        return DPNERR_INVALIDPLAYER;
    hostName = Cp1251FromUnicode(address->first);
    port = address->second;
    return S_OK;
}

HRESULT CDirectPlay::GetLocalAddress(QByteArray& hostName, DWORD& port) const {
    if (!m_pDP)
        return E_NOTIMPL;
    const auto addresses = m_pDP->GetLocalHostAddresses();
    if (addresses.empty())
        return DPNERR_NOCONNECTION;
    hostName = Cp1251FromUnicode(addresses.front().first);
    port = addresses.front().second;
    return S_OK;
}

DPNID CDirectPlay::HostPlayer() const { return m_pDP ? m_pDP->HostPlayer() : 0; }

netrec::PlayerOrderRecord CDirectPlay::SeatOrder() const {
    std::lock_guard lock(m_ReceiveLock);
    return m_Order;
}

void CDirectPlay::RenameSeat(DPNID player, const QString& name) {
    if (player == 0)
        return;
    std::lock_guard lock(m_ReceiveLock);
    for (auto& seat : m_Order.seats)
        if (seat.player == player)
            seat.name = Cp1251Field(name, netrec::kNameBytes);
}

LPARAM CDirectPlay::Post(UINT message, WPARAM wParam, CNetPost post) {
    std::lock_guard wndLock(m_WndMutex);
    post.message = message;
    if (m_EventSink && m_EventSink(post))
        return 0;
    if (m_pGameWnd == nullptr)
        return 0; // the window is closing: nothing to tell it
    LPARAM ticket = 0;
    {
        std::lock_guard lock(m_PostMutex);
        ticket = m_NextTicket++;
        post.message = message;
        post.ticket = ticket;
        m_Posts.push_back(std::move(post));
    }
    m_pGameWnd->PostMessage(message, wParam, ticket);
    return ticket;
}

std::optional<CNetPost> CDirectPlay::TakePost(LPARAM ticket) {
    std::lock_guard lock(m_PostMutex);
    // Posts are handled in the order they were made; older ones left behind are dropped.
    while (!m_Posts.empty() && m_Posts.front().ticket < ticket)
        m_Posts.pop_front();
    if (m_Posts.empty() || m_Posts.front().ticket != ticket)
        return std::nullopt;
    CNetPost post = std::move(m_Posts.front());
    m_Posts.pop_front();
    return post;
}

QString CDirectPlay::ConnectResultText(HRESULT result) {
    switch (result) {
    case S_OK:
        return {};
    case DPNERR_NOCONNECTION:
        return QStringLiteral("Нет подключения!");
    case DPNERR_ABORTED:
        return QStringLiteral("Отмена подключения!");
    case DPNERR_NORESPONSE:
        return QStringLiteral("Нет ответа на запрос!");
    case DPNERR_SESSIONFULL:
        return QStringLiteral("В игре уже максимальное количество игроков!");
    case DPNERR_USERCANCEL:
        return QStringLiteral("Вы отменили подключение!");
    case DPNERR_INVALIDDEVICEADDRESS:
        return QStringLiteral("DPNERR_INVALIDDEVICEADDRESS");
    case DPNERR_INVALIDHOSTADDRESS:
        return QStringLiteral("DPNERR_INVALIDHOSTADDRESS");
    case DPNERR_ALREADYINITIALIZED:
        return QStringLiteral("DPNERR_ALREADYINITIALIZED");
    case DPNERR_NOTHOST:
        return QStringLiteral("DPNERR_NOTHOST");
    default:
        return QString::number(static_cast<quint32>(result), 16);
    }
}

void CDirectPlay::MessageHandler(const PeerEvent& e) {
    CNetPost post;
    post.player = e.player;
    switch (e.type) {
    case PeerEvent::ConnectComplete: {
        std::lock_guard lock(m_ReceiveLock);
        m_Log.Append("case  DPN_MSGID_CONNECT_COMPLETE:\r\n");
        if (e.result == S_OK)
            m_SessionState = 2;
        post.result = e.result;
        Post(WM_DP_CONNECT_COMPLETE, static_cast<WPARAM>(static_cast<DWORD>(e.result)),
             std::move(post));
        break;
    }
    case PeerEvent::CreatePlayer: {
        std::lock_guard lock(m_ReceiveLock);
        m_Log.Append("case DPN_MSGID_CREATE_PLAYER:\r\n");
        if (m_CountPlayers == 0)
            m_LocalPlayer = e.player;
        else if (m_SessionState == 1)
            m_LastPlayer = e.player;
        ++m_CountPlayers;
        Post(WM_DP_CREATE_PLAYER, 0, std::move(post));
        break;
    }
    case PeerEvent::DestroyPlayer: {
        std::lock_guard lock(m_ReceiveLock);
        m_Log.Append("case DPN_MSGID_DESTROY_PLAYER:\r\n");
        m_LastPlayer = e.player;
        const int seats = std::clamp<int>(m_MaxPlayers.load(), 0, netrec::kSeats);
        for (int s = 0; s < seats; ++s) {
            if (m_Order.seats[s].player != e.player || e.player == 0)
                continue;
            const QByteArray& name = m_Order.seats[s].name;
            std::memcpy(post.departedName, name.constData(),
                        std::min<size_t>(name.size(), netrec::kNameBytes - 1));
            if (s == 0)
                m_bHostLeft = true;
            break;
        }
        --m_CountPlayers;
        Post(WM_DP_DESTROY_PLAYER, 0, std::move(post));
        break;
    }
    case PeerEvent::HostMigrate: {
        std::lock_guard lock(m_ReceiveLock);
        m_Log.Append("case DPN_MSGID_HOST_MIGRATE:\r\n");
        if (e.player == m_LocalPlayer) {
            m_SessionState = 1;
            m_ConnectionStatus = 0;
        }
        m_HostPlayer = e.player;
        Post(WM_DP_HOST_MIGRATE, 0, std::move(post));
        break;
    }
    case PeerEvent::IndicateConnect:
        m_Log.Append("case DPN_MSGID_INDICATE_CONNECT:\r\n");
        Post(WM_DP_INDICATE_CONNECT, 0, std::move(post));
        break;
    case PeerEvent::PeerInfo:
        m_Log.Append("case DPN_MSGID_PEER_INFO:\r\n");
        m_LastPlayer = e.player;
        Post(WM_DP_PEER_INFO, 0, std::move(post));
        break;
    case PeerEvent::Receive: {
        std::lock_guard lock(m_ReceiveLock);
        const auto record = netrec::Checked(e.data);
        if (!record) {
            qCWarning(lcNet) << "dropped a record from" << e.player << "of" << e.data.size()
                             << "bytes:" << e.data.left(16).toHex();
            break;
        }
        const int id = static_cast<BYTE>((*record)[0]);
        m_Log.Append(TraceLine(id));
        if (id == e_PlayerOrder || id == e_DestroyPlayer)
            m_Order = *netrec::ReadPlayerOrder(*record);
        post.record = *record;
        post.seq = e.seq;
        post.after = e.after;
        // wParam as the sign-extended byte, as the window expects it.
        Post(WM_DP_RECEIVE, static_cast<WPARAM>(static_cast<signed char>(id)), std::move(post));
        break;
    }
    case PeerEvent::Warning:
        m_Log.AppendRefusal((e.data + "\r\n").constData());
        break;
    case PeerEvent::TerminateSession: {
        std::lock_guard lock(m_ReceiveLock);
        m_SessionState = 0;
        break;
    }
    }
}
