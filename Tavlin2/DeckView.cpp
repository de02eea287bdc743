#include "DeckView.h"

#include "Cp1251.h"
#include "GuiThread.h"
#include "MyLabel.h"
#include "Star.h"

#include <QKeyEvent>
#include <QPainter>

namespace {
const QString kNames[CPublic::kMaxPlayers] = {QString(), QStringLiteral("Пётр"),
                                              QStringLiteral("Анна"), QStringLiteral("Фёдор")};
constexpr int kTables = 8;
constexpr int kBackgrounds = 7;
constexpr int kShirts = 7;
} // namespace

CDeckView::CDeckView(QWidget* parent) : CWnd(parent), m_Public(this) {
    setFocusPolicy(Qt::StrongFocus);
    m_Public.SetParent(this);
    m_Public.m_Pack.InitPack36(this);
    m_Public.m_Pack.SetValueZanta();
    m_Public.m_Pack.ShowAinmationCards(true);
    m_Public.SetTable(1);
    m_Public.SetBG(1);
    ArrangeSeats(3);
    SetTimer(kDealTimer, 300);
}

CDeckView::~CDeckView() {
    // The deal jumps to its end; its window calls need this thread meanwhile.
    CCard::m_staticAnimCards = false;
    while (m_Dealing)
        platform::DrainGuiQueue();
    JoinDealer();
}

void CDeckView::JoinDealer() {
    if (m_Dealer.joinable())
        m_Dealer.join();
}

bool CDeckView::IsBusy() const {
    return m_Dealing || CCard::m_staticProccessMovecard != 0 ||
           CMyLabel::m_staticCountThreads != 0 || CStar::m_staticCountThreads != 0;
}

void CDeckView::SetPlayers(int players) {
    if (IsBusy())
        return;
    ArrangeSeats(players);
    Deal();
}

void CDeckView::ArrangeSeats(int players) {
    m_Public.m_NumberPlayers = players;
    for (int seat = 2; seat <= CPublic::kMaxPlayers; ++seat)
        m_Public.m_Players[seat - 1].SetName(kNames[seat - 1]);
    m_Public.ResetStars(5);
    for (int seat = 1; seat <= players; ++seat) {
        CPlayer& player = m_Public.m_Players[seat - 1];
        player.m_Victory = players - seat;
        m_Public.m_VictoryTable.DistrPlaceVictory(player.m_LabelName.GetCaption(), seat,
                                                  player.m_Victory, players);
    }
    m_Public.SetCoordinateCardsPlayers(width(), height());
}

void CDeckView::ChooseAppearance(UINT control, int index) {
    SendMessage(WM_PAGE_VIEW, control, index);
}

void CDeckView::ChooseTablePicture(const QString& path) {
    const QByteArray bytes = Cp1251FromUnicode(path);
    SendMessage(WM_PAGE_VIEW, CPageView::IDC_BUTTON_TABLEIMAGE,
                reinterpret_cast<LPARAM>(bytes.constData()));
}

void CDeckView::Deal() {
    if (IsBusy())
        return;
    JoinDealer();
    CPack& pack = m_Public.m_Pack;
    pack.CardsToPack(true);
    pack.ShufflePack();
    m_Public.CorrectLocationPack(width() - 76, height() - 101);
    m_Public.ShowActiveButton(QString(), false);
    m_Dealing = true;
    const int players = m_Public.m_NumberPlayers;
    // On a worker, as a game step: the window paints while the cards glide.
    m_Dealer = std::thread([this, players] {
        m_Public.DoDistrCards(0, 1, players);
        m_Public.ShowActiveButton(QStringLiteral("Новая партия!"), true);
        m_Dealing = false;
    });
}

LRESULT CDeckView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAGE_VIEW) {
        if (!IsBusy())
            m_Public.ProgView(static_cast<unsigned int>(wParam), lParam);
        return 0;
    }
    if (message == WM_CARD_LBUTTONDOWN)
        return 0;
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CDeckView::OnEraseBkgnd(QPainter& dc) {
    m_Public.DrawBackGround(&dc);
    return TRUE;
}

void CDeckView::OnPaint(QPainter& dc) {
    m_Public.OnPaint(&dc);
}

void CDeckView::OnSize(UINT, int cx, int cy) {
    m_Public.OnSize(cx, cy);
}

void CDeckView::OnTimer(UINT id) {
    if (id == kDealTimer)
        Deal();
}

void CDeckView::keyPressEvent(QKeyEvent* event) {
    const bool back = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_2:
    case Qt::Key_3:
    case Qt::Key_4:
        SetPlayers(event->key() - Qt::Key_0);
        break;
    case Qt::Key_T:
        ChooseAppearance(CPageView::IDC_LIST_TABLES,
                         (m_Public.GetNumberTable() + (back ? kTables - 1 : 1)) % kTables);
        break;
    case Qt::Key_B:
        ChooseAppearance(CPageView::IDC_LIST_BG, (m_Public.GetNumberBG() + 1) % kBackgrounds);
        break;
    case Qt::Key_S:
        m_Shirt = (m_Shirt + 1) % kShirts;
        ChooseAppearance(CPageView::IDC_LIST_SHIRTS, m_Shirt);
        break;
    case Qt::Key_D:
    case Qt::Key_F2:
        Deal();
        break;
    default:
        CWnd::keyPressEvent(event);
        break;
    }
}
