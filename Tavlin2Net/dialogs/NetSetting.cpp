#include "NetSetting.h"

#include "ConnectGameDlg.h"
#include "CreateGameDlg.h"
#include "DirectPlay.h"
#include "DlgUtil.h"
#include "ResourceIds.h"
#include "Resources.h"

#include "Cp1251.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

const QString kCaption = QStringLiteral("Выбор режима работы");
const QString kUnknown = QStringLiteral("не определен");
const QString kCreate = QStringLiteral("Создать игру");
const QString kConnect = QStringLiteral("Подключиться к игре");
const QString kLeave = QStringLiteral("Выход из игры");
const QString kStopSearch = QStringLiteral("Остановить поиск!");

// The fields that make way for the progress bar while the dialog waits.
constexpr int kStatusFields[] = {1067, 1068, 1069, 1074, 1030, 1031, 1032, 1075};

} // namespace

CNetSetting::CNetSetting(CDirectPlay& dp, std::function<QString()> seatOneName,
                         std::function<bool()> restartPeer, QWidget* parent)
    : CDialog(parent), m_dp(dp), m_SeatOneName(std::move(seatOneName)),
      m_RestartPeer(std::move(restartPeer)) {
    setWindowTitle(kCaption);
    setFixedSize(MapDialogRect(QRect(0, 0, 250, 173)).size());

    auto button = [this](int id, const QString& text, QRect r) {
        netdlg::WithId(AddButton(id, text, r), id);
    };
    auto label = [this](int id, const QString& text, QRect r) {
        return netdlg::WithId(AddStatic(id, text, r), id);
    };

    button(IDC_BUTTON_CREATE, kCreate, QRect(7, 7, 115, 15));
    button(IDC_BUTTON_CONNECT, kConnect, QRect(128, 7, 115, 15));
    label(IDC_STATIC_HELP, QString(), QRect(7, 28, 236, 34))->setWordWrap(true);

    auto* group =
        netdlg::WithId(new QGroupBox(QStringLiteral("Статус игрока"), this), IDC_STATIC_STATUS);
    group->setGeometry(MapDialogRect(QRect(7, 66, 236, 78)));
    group->lower(); // under the fields it frames, which are the dialog's own

    const std::pair<int, QString> captions[] = {
        {IDC_CAPTION_NAME, QStringLiteral("Имя")},
        {IDC_CAPTION_IP, QStringLiteral("IP адрес сервера ")},
        {IDC_CAPTION_PORT, QStringLiteral("Номер порта")},
        {IDC_CAPTION_MAX, QStringLiteral("Max количество игроков")},
    };
    const std::pair<int, QString> values[] = {
        {IDC_STATIC_NAME, QStringLiteral("Имя")},
        {IDC_STATIC_IP, QStringLiteral("IP адрес")},
        {IDC_STATIC_PORT, QString()},
        {IDC_STATIC_MAX, QString()},
    };
    for (int row = 0; row < 4; ++row) {
        const int y = 82 + 14 * row;
        label(captions[row].first, captions[row].second, QRect(15, y, 100, 9));
        label(values[row].first, values[row].second, QRect(120, y, 115, 9));
    }

    label(IDC_STATIC_SEARCH, QStringLiteral("Поиск игры"), QRect(15, 90, 220, 9))->hide();
    m_pProgress = netdlg::WithId(new QProgressBar(this), IDC_PROGRESS);
    m_pProgress->setGeometry(MapDialogRect(QRect(15, 104, 220, 12)));
    m_pProgress->setTextVisible(false);
    m_pProgress->hide();

    button(IDOK, QStringLiteral("ОК"), QRect(100, 152, 50, 14));

    m_pTimerWait = new QTimer(this);
    m_pTimerWait->setSingleShot(true);
    m_pTimerWait->setInterval(100);
    connect(m_pTimerWait, &QTimer::timeout, this, [this] { OnTimer(TIMER_WAIT); });
    m_pTimerStatus = new QTimer(this);
    m_pTimerStatus->setInterval(100);
    connect(m_pTimerStatus, &QTimer::timeout, this, [this] { OnTimer(TIMER_STATUS); });
    m_pTimerStep = new QTimer(this);
    m_pTimerStep->setInterval(kStepMs);
    connect(m_pTimerStep, &QTimer::timeout, this, [this] { WaitStep(); });
}

CNetSetting::~CNetSetting() = default;

QWidget* CNetSetting::GetControl(int id) const {
    return netdlg::FindControl(this, id);
}

bool CNetSetting::IsWaiting() const {
    return m_pTimerStep->isActive();
}

BOOL CNetSetting::OnInitDialog() {
    CDialog::OnInitDialog();
    setWindowIcon(LoadIconResource(GetModuleResources("pub"), pubres::IDI_PROGRAM));
    SetText(IDC_STATIC_HELP,
            QStringLiteral("\"Создать игру\" - к созданной вами игре могут подключиться до 3-х "
                           "игроков.\n\"Подключиться к игре\" - вы можете подключиться к уже "
                           "действующей игре. "));
    switch (m_dp.m_SessionState.load()) {
    case 1:
        ShowHostStatus();
        break;
    case 2:
        ShowClientStatus();
        break;
    default:
        SetText(IDC_STATIC_IP, kUnknown);
        SetText(IDC_STATIC_PORT, kUnknown);
        break;
    }
    m_pProgress->setRange(0, kWaitSteps);
    SetText(IDC_STATIC_NAME, m_SeatOneName ? m_SeatOneName() : QString());
    ReadMaxPlayers();
    return TRUE;
}

void CNetSetting::showEvent(QShowEvent* event) {
    CDialog::showEvent(event);
    m_bClose = false; // shown again after closing: a wait may run once more
    if (m_bStatusError)
        return;
    m_pTimerStatus->start();
    if (m_dp.m_ConnectionStatus == 1)
        m_pTimerWait->start();
}

void CNetSetting::hideEvent(QHideEvent* event) {
    m_pTimerWait->stop();
    m_pTimerStatus->stop();
    m_pTimerStep->stop();
    CDialog::hideEvent(event);
}

void CNetSetting::closeEvent(QCloseEvent* event) {
    m_bClose = true;
    CDialog::closeEvent(event); // goes on to OnCancel
}

void CNetSetting::OnTimer(int id) {
    if (m_bStatusError)
        return;
    if (id == TIMER_WAIT) {
        if (m_dp.m_ConnectionStatus == 1 && !IsWaiting())
            BeginWait(false);
    } else if (id == TIMER_STATUS && m_dp.m_SessionState == 1) {
        ShowHostStatus();
    }
}

void CNetSetting::OnCommand(int id) {
    switch (id) {
    case IDC_BUTTON_CREATE:
        OnButtonCreate();
        break;
    case IDC_BUTTON_CONNECT:
        OnButtonConnect();
        break;
    default:
        CDialog::OnCommand(id);
        break;
    }
}

void CNetSetting::OnCancel() {
    m_bStop = true;
    // Nobody would be left to see a connect through: it ends here.
    if (m_dp.m_ConnectionStatus == 1) {
        m_pTimerStep->stop();
        m_pTimerWait->stop();
        Restart();
    }
    CDialog::OnCancel();
}

void CNetSetting::OnButtonCreate() {
    if (m_dp.m_SessionState == 1) {
        if (Restart())
            ResetDialog();
        return;
    }
    CCreateGameDlg dlg(m_dp.m_MaxPlayers, this);
    dlg.m_HoldSeats = m_HoldSeats && m_HoldSeats();
    if (dlg.DoModal() != IDOK)
        return;
    if (m_ChooseHoldSeats)
        m_ChooseHoldSeats(dlg.m_HoldSeats);
    Create(dlg.m_MaxPlayers, dlg.m_Port);
}

void CNetSetting::Create(int maxPlayers, unsigned port) {
    m_dp.m_MaxPlayers = static_cast<signed char>(maxPlayers);
    SetText(IDC_STATIC_MAX, QString::number(maxPlayers));
    Enable(IDC_BUTTON_CONNECT, false);
    // A port in use has been reported by the session already.
    if (m_dp.Host(nullptr, port) == S_OK)
        ShowHostStatus();
    else
        Enable(IDC_BUTTON_CONNECT, true);
}

void CNetSetting::OnButtonConnect() {
    switch (m_dp.m_ConnectionStatus.load()) {
    case 2:
        if (Restart()) {
            ResetDialog();
            m_bStop = true;
            m_bClose = false;
        }
        break;
    case 1:
        // "Остановить поиск!": the pending connect goes with the old peer.
        m_pTimerStep->stop();
        m_pTimerWait->stop();
        Restart();
        ShowWaitDisplay(false);
        m_bStop = true;
        ResetDialog();
        break;
    default: {
        CConnectGameDlg dlg(this);
        if (dlg.DoModal() != IDOK)
            return;
        Connect(dlg.m_strServer, dlg.m_Port);
        break;
    }
    }
}

void CNetSetting::Connect(const QString& server, unsigned port) {
    // A fresh peer for every connect: nothing of an earlier attempt lingers.
    if (m_RestartPeer && !m_RestartPeer()) {
        ResetDialog();
        return;
    }
    m_TypedServer = server;
    m_TypedPort = port;
    const QByteArray address = Cp1251FromUnicode(server);
    if (m_dp.Connect(address.constData(), port) == DPNSUCCESS_PENDING)
        BeginWait(true);
    else
        ResetDialog();
}

bool CNetSetting::Restart() {
    return m_RestartPeer && m_RestartPeer();
}

void CNetSetting::ResetDialog() {
    setWindowTitle(kCaption);
    Enable(IDC_BUTTON_CONNECT, true);
    SetText(IDC_BUTTON_CONNECT, kConnect);
    SetText(IDC_STATIC_STATUS, QStringLiteral("Статус игрока"));
    SetText(IDC_BUTTON_CREATE, kCreate);
    Enable(IDC_BUTTON_CREATE, true);
    SetText(IDC_STATIC_IP, kUnknown);
    SetText(IDC_STATIC_PORT, kUnknown);
}

void CNetSetting::ShowHostStatus() {
    setWindowTitle(QStringLiteral("Игра работает!"));
    Enable(IDC_BUTTON_CONNECT, false);
    SetText(IDC_STATIC_STATUS, QStringLiteral("Статус игрока - сервер"));
    SetText(IDC_BUTTON_CREATE, kLeave);
    Enable(IDC_BUTTON_CREATE, true);
    QByteArray host;
    DWORD port = 0;
    if (m_dp.GetLocalAddress(host, port) == S_OK) {
        SetText(IDC_STATIC_IP, Cp1251ToUnicode(host));
        SetText(IDC_STATIC_PORT, QString::number(port));
    }
}

void CNetSetting::ShowClientStatus() {
    signed char max = 0;
    if (m_dp.GetMaxPlayers(max) != S_OK) {
        // No peer to ask: the status cannot be kept up, so the timers stop.
        m_bStatusError = true;
        m_pTimerWait->stop();
        m_pTimerStatus->stop();
        return;
    }
    m_dp.m_MaxPlayers = max;
    SetText(IDC_STATIC_MAX, QString::number(max));

    // The host is the first seat whose player carries the host flag.
    const netrec::PlayerOrderRecord order = m_dp.SeatOrder();
    const int seats = std::clamp<int>(max, 0, netrec::kSeats);
    for (int s = 0; s < seats; ++s) {
        PeerInfo info;
        const DPNID player = order.seats[s].player;
        if (player == 0 || m_dp.GetPeerInfo(player, info) != S_OK || !(info.flags & DPNPLAYER_HOST))
            continue;
        QByteArray host;
        DWORD port = 0;
        if (m_dp.GetPeerAddress(player, host, port) == S_OK) {
            SetText(IDC_STATIC_IP, Cp1251ToUnicode(host));
            SetText(IDC_STATIC_PORT, QString::number(port));
        }
        break;
    }
    setWindowTitle(QStringLiteral("Вы в игре!"));
    Enable(IDC_BUTTON_CREATE, false);
    SetText(IDC_STATIC_STATUS, QStringLiteral("Статус игрока - клиент"));
    SetText(IDC_BUTTON_CONNECT, kLeave);
}

void CNetSetting::ShowJoined() {
    SetText(IDC_STATIC_IP, m_TypedServer);
    SetText(IDC_STATIC_PORT, QString::number(m_TypedPort));
    setWindowTitle(QStringLiteral("Вы в игре!"));
    Enable(IDC_BUTTON_CREATE, false);
    SetText(IDC_STATIC_STATUS, QStringLiteral("Статус игрока - клиент"));
    SetText(IDC_BUTTON_CONNECT, kLeave);
}

void CNetSetting::ReadMaxPlayers() {
    signed char max = 0;
    if (m_dp.GetMaxPlayers(max) == S_OK)
        m_dp.m_MaxPlayers = max;
    SetText(IDC_STATIC_MAX, QString::number(m_dp.m_MaxPlayers.load()));
}

void CNetSetting::BeginWait(bool typed) {
    m_bTyped = typed;
    m_bStop = false;
    ShowWaitDisplay(true);
    Enable(IDC_BUTTON_CREATE, false);
    SetText(IDC_BUTTON_CONNECT, kStopSearch);
    m_WaitRound = 0;
    m_WaitStep = 0;
    m_pProgress->setValue(0);
    m_pTimerStep->start();
}

void CNetSetting::WaitStep() {
    // Joined, or the connect has failed (the game window has told why).
    if (m_bStop || m_bClose || m_dp.m_ConnectionStatus != 1) {
        EndWait();
        return;
    }
    m_pProgress->setValue(m_WaitStep);
    if (++m_WaitStep < kWaitSteps)
        return;
    m_WaitStep = 0;
    if (++m_WaitRound == kWaitRounds)
        EndWait();
}

void CNetSetting::EndWait() {
    m_pTimerStep->stop();
    ShowWaitDisplay(false);
    switch (m_dp.m_ConnectionStatus.load()) {
    case 2:
        ShowClientStatus();
        if (m_bTyped)
            ShowJoined();
        break;
    case 1:
        // Out of patience, but the connect is still pending: the user may
        // only stop it, so "Остановить поиск!" stays.
        break;
    default:
        ResetDialog();
        break;
    }
}

void CNetSetting::ShowWaitDisplay(bool waiting) {
    for (int id : kStatusFields)
        GetControl(id)->setVisible(!waiting);
    GetControl(IDC_STATIC_SEARCH)->setVisible(waiting);
    m_pProgress->setVisible(waiting);
}

void CNetSetting::SetText(int id, const QString& text) {
    QWidget* control = GetControl(id);
    if (auto* l = qobject_cast<QLabel*>(control))
        l->setText(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(control))
        b->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(control))
        g->setTitle(text);
}

void CNetSetting::Enable(int id, bool enable) {
    if (QWidget* control = GetControl(id))
        control->setEnabled(enable);
}
