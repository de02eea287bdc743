#include "NetMainFrame.h"
#include "ResourceIds.h"

#include "AboutDlg.h"
#include "FramePlacement.h"
#include "GuiThread.h"
#include "HelpWnd.h"
#include "MyLabel.h"
#include "NameDlg.h"
#include "NetAdjustment.h"
#include "NetCommands.h"
#include "NetMenu.h"
#include "NetSetting.h"
#include "NetSettings.h"
#include "SeatToken.h"
#include "Resources.h"
#include "ShellStart.h"
#include "Star.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QTimer>

#include <utility>

using namespace netcmd;

namespace {
constexpr UINT kProgramIcon = pubres::IDI_PROGRAM;

bool IsGameCommand(UINT id) {
    return id == ID_NEW_PARTY || id == ID_NEXT_GAME || id == ID_GAME31 || id == ID_GAME12;
}
} // namespace

CNetMainFrame::CNetMainFrame() : m_pCloseTimer(new QTimer(this)), m_pIdleRetry(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Сетевая карточная игра Занта"));
    setWindowIcon(LoadIconResource(GetModuleResources("pub"), kProgramIcon));
    setMinimumSize(CFramePlacement::ClientSize(QSize(kMinWidth, kMinHeight)));

    m_pView = new CPlayNet(this);
    setCentralWidget(m_pView);

    m_pMenu = new CNetMenu(
        this, [this](UINT id) { OnCommand(id); },
        [this](UINT id, QAction* item) { OnUpdateCommand(id, item); });
    setMenuBar(m_pMenu);

    m_pAdjustment = new CNetAdjustment(m_pView);
    m_pAdjustment->SetActivePage(&m_pAdjustment->m_PageView);
    m_pAdjustment->hide();
    m_pAdjustment->FollowFrame(this);

    // The game window's hooks may come from its strand; the windows change here.
    CNetPagePublicSetting* page = &m_pAdjustment->m_PagePublicSetting;
    m_pView->m_SetTitle = [this](const QString& title) {
        OnGuiThread([this, title] { setWindowTitle(title); });
    };
    m_pView->m_SetCheck = [page](UINT control, bool on) {
        OnGuiThread([page, control, on] { page->SetCheck(static_cast<int>(control), on); });
    };
    m_pView->m_EnableSharedChecks = [page](bool enable) {
        OnGuiThread([page, enable] { page->EnableSharedChecks(enable); });
    };
    CNetAdjustment* sheet = m_pAdjustment;
    m_pView->m_ShowSettings = [sheet](bool show) {
        OnGuiThread([sheet, show] { show ? sheet->Open() : sheet->hide(); });
    };

    ReadSettings();

    CFramePlacement placement;
    placement.Read();
    placement.Restore(this);

    m_pCloseTimer->setSingleShot(true);
    m_pCloseTimer->setInterval(kCloseTimeoutMs);
    connect(m_pCloseTimer, &QTimer::timeout, this, [this] {
        // Time is up: the next close request closes at once.
        m_CloseForced = true;
        QTimer::singleShot(0, this, [this] { close(); });
    });
    m_pIdleRetry->setSingleShot(true);
    m_pIdleRetry->setInterval(kIdleRetryMs);
    connect(m_pIdleRetry, &QTimer::timeout, this, &CNetMainFrame::OnIdle);
    // Idle processing: each time the queue is empty. It wakes nobody while
    // nothing is pending.
    if (auto* dispatcher = QAbstractEventDispatcher::instance(thread())) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            const bool pending = m_CloseRequested || m_pView->m_BreakRequested.load();
            if (pending && !m_Closing && !m_pIdleRetry->isActive())
                m_pIdleRetry->start(0);
        });
    }
    m_pView->setFocus();
}

CNetMainFrame::~CNetMainFrame() {
    m_pView->StopPlay();
    m_pView->m_SetTitle = nullptr;
    m_pView->m_SetCheck = nullptr;
    m_pView->m_EnableSharedChecks = nullptr;
    m_pView->m_ShowSettings = nullptr;
    WriteSettings();
    delete m_pAdjustment;
}

void CNetMainFrame::OnGuiThread(const std::function<void()>& fn) {
    platform::RunOnGuiThread(fn);
}

void CNetMainFrame::ReadSettings() {
    CNetSettings s;
    s.Read(); // without a key the defaults are applied all the same
    CPlayNet& v = *m_pView;
    CPublic& t = v.m_Public;
    CNetPagePublicSetting& page = m_pAdjustment->m_PagePublicSetting;
    auto flag = [&](UINT control, bool on) { page.SetCheck(static_cast<int>(control), on); };

    t.m_ShowTabloVictory = true;
    t.m_VictoryTable.ShowWindow(SW_SHOW);

    t.m_AutomaticGame = s.m_AutomaticGame;
    flag(IDC_AUTOMATIC_GAME, s.m_AutomaticGame);
    t.m_ClosedCardReset = s.m_ClosedCardReset;
    flag(IDC_CLOSED_CARD_RESET, s.m_ClosedCardReset);
    v.m_LockAddPlayers = s.m_LockAddPlayers;
    flag(IDC_LOCK_ADD_PLAYERS, s.m_LockAddPlayers);
    v.m_HoldSeats = s.m_HoldSeats;
    flag(IDC_HOLD_SEATS, s.m_HoldSeats);
    v.SetSeatToken(seattoken::Load(), [](const QByteArray& token) { seattoken::Store(token); });
    v.m_ShowNameWnd = s.m_ShowNameWnd;
    flag(IDC_SHOW_NAME_WND, s.m_ShowNameWnd);
    t.m_ShowTabloVictory = s.m_ShowTabloVictory;
    flag(IDC_TABLO_VICTORY, s.m_ShowTabloVictory);
    t.m_VictoryTable.ShowWindow(s.m_ShowTabloVictory ? SW_SHOW : SW_HIDE);
    v.ShowTelegraph(s.m_ShowTelegraph);
    flag(IDC_SHOW_TELEGRAPH, s.m_ShowTelegraph);
    t.m_Pack.ShowAinmationCards(s.m_ShowAnimation);
    flag(IDC_ANIMATION, s.m_ShowAnimation);
    shellstart::ApplyLook(t, m_pAdjustment->m_PageView, s.m_ShirtNumber, s.m_TableNumber,
                          s.m_TableImageFile, s.m_BGNumber);
    t.m_Sound = s.m_Sound;
    flag(IDC_SOUND, s.m_Sound);
    // Last, once nothing else here touches the table: both go on through
    // the game window's strand.
    v.m_GameForStars = s.m_GameForStars;
    v.SetGameForStars(s.m_GameForStars, false);
    flag(IDC_GAME_FOR_STARS, s.m_GameForStars);
    v.SetGameKind(s.m_Game31, false);
}

void CNetMainFrame::WriteSettings() {
    CNetSettings s;
    CPlayNet& v = *m_pView;
    CPublic& t = v.m_Public;
    s.m_AutomaticGame = t.m_AutomaticGame;
    s.m_ClosedCardReset = t.m_ClosedCardReset;
    s.m_LockAddPlayers = v.m_LockAddPlayers;
    s.m_HoldSeats = v.m_HoldSeats;
    s.m_ShowNameWnd = v.m_ShowNameWnd;
    s.m_ShowTabloVictory = t.m_ShowTabloVictory;
    s.m_ShowTelegraph = v.m_ShowTelegraph;
    s.m_ShowAnimation = t.m_Pack.IsShowAinmationCards();
    s.m_GameForStars = v.m_GameForStars;
    s.m_Game31 = t.m_Game31;
    s.m_ShirtNumber = t.m_Pack.GetShirt();
    s.m_TableNumber = t.GetNumberTable();
    s.m_BGNumber = t.GetNumberBG();
    s.m_TableImageFile = t.m_TableImageFile;
    s.m_Sound = t.m_Sound;
    s.Write();
}

void CNetMainFrame::OnCommand(UINT id) {
    if (m_pView->OnCommand(id))
        return;
    switch (id) {
    case ID_CHANGE_NAMES:
        ShowNames();
        break;
    case ID_SETTINGS:
        m_pAdjustment->Open();
        break;
    case ID_NETWORK:
        ShowNetSetting();
        break;
    case ID_APP_EXIT:
        close(); // as the close box
        break;
    case ID_HELP_CONTENTS:
    case ID_HELP:
        CHelpWnd::ShowHelp(this, QUrl(QStringLiteral("qrc:/Tavlin2Net/help/index.html")),
                           QStringLiteral("Справка - Сетевая карточная игра Занта"));
        break;
    case ID_APP_ABOUT: {
        // The version line is 1084, the makers 1085..1087.
        CAboutDlg about(this, IDC_STATIC, 1084,
                        {QStringLiteral("TavlinNet Version 1.0"),
                         QStringLiteral("Сетевая карточная игра Занта"),
                         QStringLiteral("Программа и рисунки: команда Tavlin"),
                         QStringLiteral("Версия для Linux, на Qt 6")});
        about.DoModal();
        break;
    }
    default:
        break;
    }
}

bool CNetMainFrame::IsCommandEnabled(UINT id) const {
    return IsGameCommand(id) ? m_pView->IsCommandEnabled(id) : true;
}

void CNetMainFrame::OnUpdateCommand(UINT id, QAction* item) {
    item->setEnabled(IsCommandEnabled(id));
    if (item->isCheckable())
        item->setChecked(m_pView->IsCommandChecked(id));
}

void CNetMainFrame::ShowNames() {
    CPublic& t = m_pView->m_Public;
    CNameDlg dlg(this, CNameDlg::UserOnly);
    t.InitNameDlg(dlg.m_ListNames);
    if (dlg.DoModal() != IDOK)
        return;
    // The remembered names are the table's; it is touched here only while
    // still (the seat's name goes its own way, through the game window).
    if (m_pView->IsIdle())
        t.SetUserName(dlg.m_ListNames);
    m_pView->ChangeName(dlg.m_ListNames[0]);
}

void CNetMainFrame::ShowNetSetting(const std::function<void(CNetSetting&)>& firstStep) {
    CPlayNet* view = m_pView;
    CNetSetting dlg(
        view->m_DirectPlay, [view] { return view->m_Public.m_Players[0].Name(); },
        [view] { return view->RestartPeer(); }, this);
    CNetPagePublicSetting& page = m_pAdjustment->m_PagePublicSetting;
    dlg.m_HoldSeats = [view] { return view->m_HoldSeats.load(); };
    dlg.m_ChooseHoldSeats = [view, &page](bool on) {
        view->m_HoldSeats = on;
        page.SetCheck(static_cast<int>(IDC_HOLD_SEATS), on);
    };
    if (firstStep)
        QTimer::singleShot(0, &dlg, [&dlg, firstStep] { firstStep(dlg); });
    dlg.DoModal();
}

void CNetMainFrame::OpenNetwork(std::function<void(CNetSetting&)> firstStep) {
    if (m_FirstShow) {
        m_StartStep = std::move(firstStep);
        return;
    }
    QTimer::singleShot(0, this, [this, firstStep] { ShowNetSetting(firstStep); });
}

void CNetMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_FirstShow)
        return;
    m_FirstShow = false;
    // The player is asked his name once the window stands, then a game asked
    // for on the command line opens.
    if (!m_pView->m_ShowNameWnd && !m_StartStep)
        return;
    QTimer::singleShot(0, this, [this] {
        if (m_pView->m_ShowNameWnd)
            ShowNames();
        if (auto step = std::exchange(m_StartStep, {}))
            ShowNetSetting(step);
    });
}

void CNetMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_Closing && (m_pView->NumberPlayers() < 2 || m_CloseForced)) {
        // Alone, or tired of waiting: the window goes now, where it stands.
        m_Closing = true;
        m_pCloseTimer->stop();
        m_pIdleRetry->stop();
        m_pView->StopPlay();
    }
    if (m_Closing) {
        m_pAdjustment->Retire();
        event->accept();
        QTimer::singleShot(0, this, [this] { emit Closed(); });
        return;
    }
    event->ignore();
    if (m_CloseRequested)
        return;
    // Leaving a running network game: gone from the screen at once, ended
    // when the table is still and the others no longer wait for us.
    CFramePlacement placement;
    placement.Take(this);
    placement.Write();
    CCard::m_staticAnimCards = false;
    CStar::m_staticBreak = true;
    CMyLabel::m_staticBreak = true;
    m_CloseRequested = true;
    m_pAdjustment->Retire();
    hide();
    m_pCloseTimer->start();
    OnIdle();
}

void CNetMainFrame::OnIdle() {
    if (m_Closing)
        return;
    CPlayNet& v = *m_pView;
    if (m_CloseRequested) {
        if (v.IsIdle() && (!v.WaitsForPeers() || v.NumberPlayers() == 1))
            FinishClose();
        else
            m_pIdleRetry->start(kIdleRetryMs);
        return;
    }
    if (v.m_BreakRequested.load()) {
        if (v.IsIdle()) {
            v.m_BreakRequested = false;
            v.RunBreak();
        } else {
            m_pIdleRetry->start(kIdleRetryMs);
        }
    }
}

void CNetMainFrame::FinishClose() {
    m_Closing = true;
    m_pCloseTimer->stop();
    m_pIdleRetry->stop();
    m_pView->StopPlay();
    // Not from inside a close of its own, which would refuse it.
    QTimer::singleShot(0, this, [this] { close(); });
}

void CNetMainFrame::contextMenuEvent(QContextMenuEvent* event) {
    m_pMenu->TrackPopupMenu(event->globalPos());
}
