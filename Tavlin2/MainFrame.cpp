#include "MainFrame.h"
#include "ResourceIds.h"

#include "AboutDlg.h"
#include "Adjustment.h"
#include "BeginHelpDlg.h"
#include "CompSettings.h"
#include "FramePlacement.h"
#include "HelpWnd.h"
#include "MainMenu.h"
#include "MyLabel.h"
#include "NameDlg.h"
#include "Resources.h"
#include "ShellStart.h"
#include "Star.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFile>
#include <QTimer>

namespace {
constexpr UINT kProgramIcon = pubres::IDI_PROGRAM;
}

CMainFrame::CMainFrame() {
    setWindowTitle(QStringLiteral("Карточная игра Занта"));
    setWindowIcon(LoadIconResource(GetModuleResources("pub"), kProgramIcon));
    setMinimumSize(CFramePlacement::ClientSize(QSize(kMinWidth, kMinHeight)));

    m_pView = new CPlayWithComputer(this);
    setCentralWidget(m_pView);
    m_pView->m_SetTitle = [this](const QString& title) { setWindowTitle(title); };
    m_pView->m_ShowFirstHelp = [this] {
        CBeginHelpDlg rules(this);
        rules.DoModal();
    };
    m_pView->m_ShowNames = [this] { ShowNames(); };
    m_pView->m_GameKindChanged = [this](bool game31) {
        m_pAdjustment->m_PagePublicSetting.EnableGame31(game31);
    };

    m_pMenu = new CMainMenu(
        this, [this](UINT id) { OnCommand(id); },
        [this](UINT id, QAction* item) { OnUpdateCommand(id, item); });
    setMenuBar(m_pMenu);

    m_pAdjustment = new CAdjustment(m_pView);
    m_pAdjustment->SetActivePage(&m_pAdjustment->m_PageView);
    m_pAdjustment->hide();
    m_pAdjustment->FollowFrame(this);

    ReadSettings();

    CFramePlacement placement;
    placement.Read();
    placement.Restore(this);

    // Nothing is dealt until the user starts a party.
    CPublic& t = m_pView->m_Public;
    t.ShowActiveButton(QStringLiteral("Новая партия!"), true);
    for (int k = 1; k <= 4; ++k)
        t.m_VictoryTable.DistrPlaceVictory(t.m_Players[k - 1].m_LabelName.GetCaption(), k,
                                           t.m_Players[k - 1].m_Victory, t.m_NumberPlayers);
    m_pView->setFocus();
}

CMainFrame::~CMainFrame() {
    WriteSettings();
    delete m_pAdjustment;
}

void CMainFrame::ReadSettings() {
    // Without a settings key the defaults are applied all the same: the
    // party is reset from them like from any stored settings.
    CCompSettings s;
    s.Read();
    CPlayWithComputer& v = *m_pView;
    CPublic& t = v.m_Public;
    v.m_FirstHelp = s.m_FirstHelp;
    t.m_NumberPlayers = s.m_NumberPlayers;
    v.m_GameRate = s.m_GameRate;
    auto& page = m_pAdjustment->m_PagePublicSetting;
    page.SetGameRate(s.m_GameRate);
    t.m_ShowTabloVictory = s.m_ShowTabloVictory;
    page.SetCheck(IDC_CHECK_TABLO_VICTORY, s.m_ShowTabloVictory);
    t.m_VictoryTable.ShowWindow(s.m_ShowTabloVictory ? SW_SHOW : SW_HIDE);
    t.m_Pack.ShowAinmationCards(s.m_ShowAnimation);
    page.SetCheck(IDC_CHECK_ANIMATION, s.m_ShowAnimation);
    t.m_Sound = s.m_Sound;
    page.SetCheck(IDC_CHECK_SOUND, s.m_Sound);
    v.m_GameForStars = s.m_GameForStars;
    v.SetGameForStars(s.m_GameForStars);
    page.SetCheck(IDC_CHECK_STARS, s.m_GameForStars);
    v.SetGameKind(s.m_Game31);
    shellstart::ApplyLook(t, m_pAdjustment->m_PageView, s.m_ShirtNumber, s.m_TableNumber,
                          s.m_TableImageFile, s.m_BGNumber);
    for (int k = 0; k < 3; ++k)
        t.m_Players[k + 1].SetName(s.m_NameComp[k]);
    v.m_NoShowNameWnd = s.m_NoShowNameWnd;
    t.SetCoordinateCardsPlayers(v.width(), v.height());
}

void CMainFrame::WriteSettings() {
    CCompSettings s;
    CPlayWithComputer& v = *m_pView;
    CPublic& t = v.m_Public;
    s.m_FirstHelp = v.m_FirstHelp;
    s.m_NumberPlayers = t.m_NumberPlayers;
    s.m_GameRate = v.m_GameRate;
    s.m_ShowTabloVictory = t.m_ShowTabloVictory;
    s.m_ShowAnimation = t.m_Pack.IsShowAinmationCards();
    s.m_Sound = t.m_Sound;
    s.m_GameForStars = v.m_GameForStars;
    s.m_Game31 = t.m_Game31;
    s.m_ShirtNumber = t.m_Pack.GetShirt();
    s.m_TableNumber = t.GetNumberTable();
    s.m_BGNumber = t.GetNumberBG();
    for (int k = 0; k < 3; ++k)
        s.m_NameComp[k] = t.m_Players[k + 1].m_LabelName.GetCaption();
    s.m_TableImageFile = t.m_TableImageFile;
    s.m_NoShowNameWnd = v.m_NoShowNameWnd;
    s.Write();
}

void CMainFrame::OnCommand(UINT id) {
    if (m_pView->OnCommand(id))
        return;
    switch (id) {
    case ID_SETTINGS:
        m_pAdjustment->Open();
        break;
    case ID_EXIT:
        // Through the same safe path as the close box, without saving the place.
        RequestClose(false);
        break;
    case ID_HELP_CONTENTS:
    case ID_HELP:
        CHelpWnd::ShowHelp(this, QUrl(QStringLiteral("qrc:/Tavlin2/help/index.html")),
                           QStringLiteral("Справка - Карточная игра Занта"));
        break;
    case ID_APP_ABOUT: {
        // The icon's static is 1086, the version line 1087, then 1088..1092.
        CAboutDlg about(this, 1086, 1087,
                        {QStringLiteral("Tavlin Version 2.01"),
                         QStringLiteral("Карточная игра Занта"),
                         QStringLiteral("Программа: команда Tavlin"),
                         QStringLiteral("Рисунки карт и столов: команда Tavlin"),
                         QStringLiteral("Версия для Linux, на Qt 6"),
                         QStringLiteral("Правила: меню \"Справка\" или F1")});
        about.DoModal();
        break;
    }
    default:
        break;
    }
}

void CMainFrame::OnUpdateCommand(UINT id, QAction* item) {
    item->setEnabled(m_pView->IsCommandEnabled(id));
    if (item->isCheckable())
        item->setChecked(m_pView->IsCommandChecked(id));
}

void CMainFrame::ShowNames() {
    CPublic& t = m_pView->m_Public;
    CNameDlg dlg(this);
    t.InitNameDlg(dlg.m_ListNames);
    dlg.m_strName2 = t.m_Players[1].m_LabelName.GetCaption();
    dlg.m_strName3 = t.m_Players[2].m_LabelName.GetCaption();
    dlg.m_strName4 = t.m_Players[3].m_LabelName.GetCaption();
    dlg.m_NumberPlayers = static_cast<std::uint8_t>(t.m_NumberPlayers);
    if (dlg.DoModal() != IDOK)
        return;
    t.SetUserName(dlg.m_ListNames);
    t.m_Players[1].SetName(dlg.m_strName2);
    t.m_Players[2].SetName(dlg.m_strName3);
    t.m_Players[3].SetName(dlg.m_strName4);
    for (int k = 1; k <= 4; ++k)
        t.m_VictoryTable.DistrPlaceVictory(t.m_Players[k - 1].m_LabelName.GetCaption(), k,
                                           t.m_Players[k - 1].m_Victory, t.m_NumberPlayers);
    m_pView->Invalidate(TRUE);
}

void CMainFrame::RequestClose(bool savePlacement) {
    if (m_Closing)
        return;
    if (savePlacement) {
        CFramePlacement placement;
        placement.Take(this);
        placement.Write();
    }
    CCard::m_staticAnimCards = false;
    CStar::m_staticBreak = true;
    CMyLabel::m_staticBreak = true;
    m_CloseRequested = true;
    m_pView->RunWhenIdle([this] {
        m_Closing = true;
        m_pAdjustment->Retire();
        m_pView->StopPlay();
        // Not from inside the close box's own close, which would refuse it.
        QTimer::singleShot(0, this, [this] { close(); });
    });
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_Closing) {
        m_pAdjustment->hide();
        event->accept();
        return;
    }
    // The window goes once nothing on the table moves any more.
    event->ignore();
    RequestClose(true);
}

void CMainFrame::contextMenuEvent(QContextMenuEvent* event) {
    m_pMenu->TrackPopupMenu(event->globalPos());
}
