// Where everything on the table goes, the deal, and the table and background
// choices.

#include "Public.h"
#include "PublicArt.h"
#include "TableLog.h"

#include "GuiThread.h"
#include "PageView.h"
#include "RegionData.h"
#include "ResourceIds.h"
#include "Resources.h"
#include "Sound.h"
#include "Wnd.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace {
constexpr UINT kSoundDistr = pubres::IDW_DISTR;
constexpr int kHandCards = 3;
constexpr int kLastCard = 35;
// A texture whose picture is missing still paints something steady.
const QColor kMissingTexture(0, 100, 0);

constexpr int kShirtFirst = 37;
constexpr int kShirts = 7;

// The system's (left, top, right, bottom): right and bottom lie just outside.
QRect WinRect(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

template <std::size_t N> int Entry(const int (&positions)[N], int index) {
    return positions[std::clamp(index, 0, static_cast<int>(N) - 1)];
}

int SeatIndex(int player) {
    return std::clamp(player - 1, 0, CPublic::kMaxPlayers - 1);
}

QBrush TextureBrush(UINT bitmap) {
    QPixmap picture;
    platform::RunOnGuiThread(
        [&] { picture = LoadBitmapResource(GetModuleResources("pub"), bitmap); });
    return picture.isNull() ? QBrush(kMissingTexture) : QBrush(picture);
}

// A regular file we may read: a pipe or a folder named by mistake would hang
// or fail the picture loader.
bool CanReadFile(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

enum class SeatPlace { Bottom, Top, Left, Right };

SeatPlace PlaceOfSeat(int seat, int players) {
    if (seat == 1)
        return SeatPlace::Bottom;
    if (players == 2)
        return SeatPlace::Top;
    if (players == 3)
        return seat == 2 ? SeatPlace::Left : SeatPlace::Right;
    return seat == 2 ? SeatPlace::Left : seat == 3 ? SeatPlace::Top : SeatPlace::Right;
}

// A seat's hand (first card's x, step to the next, y), trick pile and score
// board centre. The user's cards lie side by side, the others' overlap.
struct SeatGeometry {
    int handX;
    int handStep;
    int handY;
    QPoint take;
    QPoint board;
};

SeatGeometry GeometryOf(SeatPlace place, int W, int H) {
    switch (place) {
    case SeatPlace::Bottom:
        return {W / 2 - 107, 72, H - 101, {W / 2 + 110, H + 100}, {W / 2, H - 151}};
    case SeatPlace::Top:
        return {W / 2 - 55, 20, 5, {W / 2 + 58, -100}, {W / 2, 103}};
    case SeatPlace::Left:
        return {15, 20, H / 2 - 48, {-100, H / 2 + 88}, {70, H / 2 - 90}};
    case SeatPlace::Right:
        break;
    }
    return {W - 126, 20, H / 2 - 48, {W + 100, H / 2 + 88}, {W - 71, H / 2 - 90}};
}
} // namespace

// ---- Layout ----

void CPublic::OnSize(int cx, int cy) {
    {
        std::lock_guard lock(m_Art->lock);
        m_Art->client = QSize(cx, cy);
    }
    CorrectLocationPack(cx - 76, cy - 101);
    SetCoordinateCardsPlayers(cx, cy);
    if (!m_TableRgn.isEmpty()) {
        const QRect box = m_TableRgn.boundingRect();
        m_TableRgn.translate(cx / 2 - (box.x() + box.width() / 2),
                             cy / 2 - (box.y() + box.height() / 2));
    }
    std::lock_guard lock(m_Art->lock);
    m_KozirIconX = cx - 40;
    m_KozirIconY = cy - 50;
}

CPublic::Layout CPublic::CopyLayout() {
    std::lock_guard lock(m_Art->lock);
    Layout at;
    at.resetX = m_ResetX;
    std::copy(std::begin(m_ResetY), std::end(m_ResetY), at.resetY);
    std::copy(std::begin(m_GoingX), std::end(m_GoingX), at.goingX);
    std::copy(std::begin(m_GoingY), std::end(m_GoingY), at.goingY);
    for (int i = 0; i < kMaxPlayers; ++i) {
        std::copy(std::begin(m_HandX[i]), std::end(m_HandX[i]), at.handX[i]);
        at.handY[i] = m_HandY[i];
        at.takePos[i] = m_TakePos[i];
    }
    return at;
}

void CPublic::SetCoordinateCardsPlayers(const int& cx, const int& cy) {
    const int W = cx;
    const int H = cy;
    const int n = SeatsInGame();
    {
        std::lock_guard lock(m_Art->lock);
        m_TableRect = WinRect(W / 2 - 230, H / 2 - 130, W / 2 + 230, H / 2 + 130);
        const int going[3] = {W / 2 + 119, W / 2 + 47, W / 2 - 25};
        std::copy(std::begin(going), std::end(going), m_GoingX);
        for (int row = 0; row < 4; ++row)
            m_GoingY[row] = H / 2 - 98 + 25 * row;
        for (int i = 0; i < 9; ++i)
            m_ResetY[i] = m_GoingY[0] + 10 * i;
        m_ResetX = m_TableRect.x() + 40;
        m_ButtonRect = WinRect(W / 2 + 112, H - 75, W / 2 + 217, H - 48);

        for (int seat = 1; seat <= std::max(n, 1); ++seat) {
            const SeatGeometry g = GeometryOf(PlaceOfSeat(seat, n), W, H);
            for (int c = 0; c < kHandCards; ++c)
                m_HandX[seat - 1][c] = g.handX + g.handStep * c;
            m_HandY[seat - 1] = g.handY;
            m_TakePos[seat - 1] = g.take;
        }
    }

    PlaceWidgets(W, H);
    {
        std::unique_lock lock(m_Art->lock);
        if (m_Art->MovedElsewhere()) {
            // The cards are the moving worker's now; it lays them out at its end.
            m_Art->placePending = true;
        } else {
            // On the window's thread the moves run at once, so the lock keeps
            // a move from starting halfway; a worker must not hold it while it
            // waits for that thread.
            if (!platform::IsGuiThread())
                lock.unlock();
            PlaceAllCards(CopyLayout());
        }
    }

    for (int i = 0; i < kMaxPlayers; ++i)
        if (i >= n)
            m_Players[i].m_Star.ResetStars(0);
    if (m_pParent)
        m_pParent->Invalidate();
}

void CPublic::PlaceWidgets(int W, int H) {
    const int n = SeatsInGame();
    m_LabelMessage.SetMyLabelPos(W / 2, m_TableRect.y() + 210, 2);
    m_LabelResult.SetMyLabelPos(W / 2, m_TableRect.y() + m_TableRect.height() - 60, 2);
    if (m_VictoryTable.parentWidget())
        m_VictoryTable.SetWindowPos(nullptr, W - 252, 2, 0, 0,
                                    SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // The side seats' names and stars hang above their boards.
    const int sideLabelY = H / 2 - 115;
    for (int seat = 1; seat <= std::max(n, 1); ++seat) {
        CPlayer& player = m_Players[seat - 1];
        const SeatPlace place = PlaceOfSeat(seat, n);
        const QPoint board = GeometryOf(place, W, H).board;
        player.m_Tablo.SetTabloPos(board.x(), board.y(), true, false);
        if (place == SeatPlace::Left || place == SeatPlace::Right) {
            player.m_LabelName.SetMyLabelPos(board.x(), sideLabelY, 2);
            player.m_Star.SetRowPos(
                QPoint(place == SeatPlace::Left ? 8 : W - 133, sideLabelY - 27));
        } else {
            player.m_LabelName.SetMyLabelPos(board.x() + 190, board.y() - 5, 2);
            const QRect label = player.m_LabelName.GetTextRect();
            player.m_Star.SetRowPos(QPoint(W / 2 + 67, label.y() + label.height() - 2));
        }
    }
    for (int i = 0; i < kMaxPlayers; ++i) {
        m_Players[i].m_Tablo.Show(i < n);
        m_Players[i].m_LabelName.Show(i < n);
    }
    m_LabelAnnounce.SetMyLabelPos(135, 20, 2);
}

void CPublic::PlaceAllCards(const Layout& at) {
    PlaceUser(at);
    for (int player = 2; player <= kMaxPlayers; ++player)
        PlacePlayer(at, player);
    PlaceTable(at);
    PlaceTake(at);
}

void CPublic::CorrectLocationPack(const int& x, const int& y) {
    std::unique_lock lock(m_Art->lock);
    if (m_Art->MovedElsewhere()) {
        m_Art->packPending = true;
        m_Art->packPos = QPoint(x, y);
        return;
    }
    if (!platform::IsGuiThread())
        lock.unlock();
    m_Pack.SetPackPos(x, y);
}

void CPublic::CorrectLocationCardsUser() {
    MoveScope scope(*this);
    PlaceUser(CopyLayout());
}

void CPublic::CorrectLocationCardsPlayer(const int& player) {
    MoveScope scope(*this);
    PlacePlayer(CopyLayout(), player);
}

void CPublic::CorrectLocationCardsTable() {
    MoveScope scope(*this);
    PlaceTable(CopyLayout());
}

void CPublic::CorrectLocationCardsTake() {
    MoveScope scope(*this);
    PlaceTake(CopyLayout());
}

void CPublic::PlaceUser(const Layout& at) {
    std::vector<CCard*> hand;
    for (CCard* card : m_Pack.m_Cards)
        if (card && card->m_Place == e_Hand && card->m_Player == 1)
            hand.push_back(card);
    std::stable_sort(hand.begin(), hand.end(),
                     [](const CCard* a, const CCard* b) { return a->m_Value < b->m_Value; });
    // Two cards of one suit lie side by side.
    if (hand.size() == 3 && hand[0]->m_Mast == hand[2]->m_Mast &&
        hand[1]->m_Mast != hand[0]->m_Mast)
        std::swap(hand[0], hand[1]);
    for (std::size_t i = 0; i < hand.size(); ++i)
        hand[i]->SetCardPos(Entry(at.handX[0], static_cast<int>(i)), at.handY[0]);
}

void CPublic::PlacePlayer(const Layout& at, int player) {
    if (player < 1 || player > kMaxPlayers)
        return;
    int position = 0;
    for (CCard* card : m_Pack.m_Cards)
        if (card && card->m_Place == e_Hand && card->m_Player == player)
            card->SetCardPos(Entry(at.handX[player - 1], position++), at.handY[player - 1]);
}

void CPublic::PlaceTable(const Layout& at) {
    for (int n = 0; n < 9; ++n) {
        for (CCard* card : m_Pack.m_Cards) {
            if (card && card->m_Place == e_Reset && card->m_IndexY == n) {
                card->Restack(HWND_TOP);
                card->SetCardPos(at.resetX, at.resetY[n]);
            }
        }
    }
    for (CCard* card : m_Pack.m_Cards)
        if (card && card->m_Place == e_Going)
            card->SetCardPos(Entry(at.goingX, card->m_IndexX), Entry(at.goingY, card->m_IndexY));
}

void CPublic::PlaceTake(const Layout& at) {
    for (CCard* card : m_Pack.m_Cards)
        if (card && card->m_Place == e_Take)
            card->SetCardPos(at.takePos[SeatIndex(card->m_Player)]);
}

// ---- The deal ----

void CPublic::DoDistrCards(int fromCard, int firstPlayer, const int& players) {
    TableArt& art = *m_Art;
    QRect icon;
    {
    MoveScope scope(*this);
    if (m_Sound)
        platform::PlayWaveResource(GetModuleResources("pub"), kSoundDistr, true);

    const int seats = SeatsInGame();
    int p = firstPlayer >= 1 && firstPlayer <= std::max(seats, 1) ? firstPlayer : 1;
    int served = 0;
    // Without seats there is nobody to deal to.
    for (int k = std::max(fromCard, 0); k < kHandCards && seats > 0;) {
        int index = -1;
        CCard* card = nullptr;
        QPoint target;
        {
            std::lock_guard lock(art.lock);
            card = m_Pack.TakeCard(&index);
            if (!card)
                break;
            card->m_Place = e_Hand;
            card->m_Player = p;
            const int i = SeatIndex(p);
            target = QPoint(p == 1 ? m_HandX[0][1] : m_HandX[i][k], m_HandY[i]);
        }
        card->Restack(HWND_TOP);
        card->CardMove(target.x(), target.y(), 0, false);
        if (p == 1) {
            card->CardOpen(true);
            card->m_Moving = 1;
            CorrectLocationCardsUser();
        } else {
            card->m_Moving = 0;
            // The trump card shows its face only in the user's hand.
            if (index == kLastCard)
                card->CardOpen(false);
            CorrectLocationCardsPlayer(p);
        }
        NextPlayer(&p, &served);
        if (served >= players) {
            served = 0;
            ++k;
        }
    }

    platform::StopAllSounds();
    m_Pack.ShowCardKozir();
    CorrectLocationCardsUser();

    }
    {
        std::lock_guard lock(art.lock);
        icon = QRect(m_KozirIconX, m_KozirIconY, 32, 32);
    }
    if (m_pParent)
        m_pParent->InvalidateRect(icon);
}

// ---- Moves of a worker ----

CPublic::MoveScope::MoveScope(CPublic& table) : m_Table(table) {
    TableArt& art = *m_Table.m_Art;
    std::lock_guard lock(art.lock);
    if (art.moving == 0 || art.mover == std::this_thread::get_id()) {
        ++art.moving;
        art.mover = std::this_thread::get_id();
        return;
    }
    // Another thread moves already (never the case in play, where one worker
    // moves at a time): count this one too, so nobody places under either.
    ++art.moving;
}

CPublic::MoveScope::~MoveScope() {
    TableArt& art = *m_Table.m_Art;
    for (;;) {
        std::unique_lock lock(art.lock);
        const bool outermost = art.moving == 1;
        if (!outermost || (!art.placePending && !art.packPending)) {
            --art.moving;
            return;
        }
        // A resize came while we moved and left the cards to us.
        qCDebug(lcTable) << "cards laid out afresh after a resize during a move";
        const bool pack = art.packPending;
        const QPoint packPos = art.packPos;
        art.placePending = false;
        art.packPending = false;
        lock.unlock();
        if (pack)
            m_Table.m_Pack.SetPackPos(packPos.x(), packPos.y());
        m_Table.PlaceAllCards(m_Table.CopyLayout());
    }
}

// ---- Table and background ----

void CPublic::SetTable(const int& number) {
    const int n = static_cast<std::uint8_t>(number);
    if (n >= 3 && n <= 6) {
        m_BrushTable = TextureBrush(pubres::kTableTextures[n - 3]);
    } else if (n == 7 &&
               !(m_TableImage.HasImage() && m_TableImage.m_strFileName == m_TableImageFile)) {
        // ProgView has just decoded the picture it checked; once is enough.
        m_TableImage.LoadFileImage(m_TableImageFile);
    }
    m_NumberTable = static_cast<std::uint8_t>(n);
    if (n == 1 || n == 2) {
        CreateCustomRgn(&m_TableRgn, n == 1 ? pubres::IDR_TABLE_CARDS : pubres::IDR_TABLE_FRAME);
        const QPoint centre = TableCentre();
        const QRect box = m_TableRgn.boundingRect();
        m_TableRgn.translate(centre.x() - (box.x() + box.width() / 2),
                             centre.y() - (box.y() + box.height() / 2));
    } else if (n > 7) {
        // No shape of that number: nothing rather than a stale outline.
        m_TableRgn = QRegion();
    }
    if (m_pParent)
        m_pParent->InvalidateRect(m_TableRect.adjusted(-10, -10, 10, 10));
}

QPoint CPublic::TableCentre() const {
    QSize size;
    {
        std::lock_guard lock(m_Art->lock);
        size = m_Art->client;
    }
    if (!size.isValid() && m_pParent)
        size = m_pParent->GetClientRect().size();
    return QPoint(size.width() / 2, size.height() / 2);
}

void CPublic::SetBG(const char& number) {
    const int n = number;
    if (n >= 0 && n < static_cast<int>(std::size(pubres::kBackgrounds)))
        m_BrushBG = TextureBrush(pubres::kBackgrounds[n]);
    m_NumberBG = static_cast<std::uint8_t>(number);
    if (m_pParent)
        m_pParent->Invalidate();
}

int CPublic::GetNumberTable() {
    return m_NumberTable;
}

int CPublic::GetNumberBG() {
    return m_NumberBG;
}

void CPublic::CreateCustomRgn(QRegion* rgn, unsigned int id) {
    if (rgn)
        *rgn = RegionFromData(LoadRawResource(GetModuleResources("pub"), ResourceType::Binary, id));
}

void CPublic::ProgView(unsigned int control, LPARAM value) {
    // A picture that opens but cannot be shown leaves the table as it was,
    // and the user is told why.
    auto loadPicture = [this](const QString& path) {
        CMyImage picture;
        if (picture.LoadFileImage(path) == S_OK) {
            m_TableImage = picture;
            return true;
        }
        MyMessageBox(QStringLiteral("Не удалось показать картинку %1:\n"
                                    "файл повреждён или слишком велик. Стол остался прежним.")
                         .arg(QFileInfo(path).fileName()),
                     QStringLiteral("Внимание"), 0x34, pubres::IDI_PROGRAM, pubres::IDI_PROGRAM);
        return false;
    };
    switch (control) {
    case CPageView::IDC_LIST_SHIRTS:
        // Only the backs: another number would show a face on every back.
        if (value >= 0 && value < kShirts)
            m_Pack.SetShirt(static_cast<unsigned int>(value + kShirtFirst));
        break;
    case CPageView::IDC_LIST_TABLES: {
        int number = static_cast<std::uint8_t>(value);
        if (number == CPageView::kTableImage && !CanReadFile(m_TableImageFile))
            number = 0;
        else if (number == CPageView::kTableImage && !loadPicture(m_TableImageFile))
            break;
        SetTable(number);
        break;
    }
    case CPageView::IDC_LIST_BG:
        SetBG(static_cast<char>(value));
        break;
    case CPageView::IDC_BUTTON_TABLEIMAGE: {
        const auto* chosen = reinterpret_cast<const QString*>(value);
        const QString path = chosen ? *chosen : QString();
        const bool opens = CanReadFile(path);
        if (opens && !loadPicture(path))
            break;
        m_TableImageFile = path;
        SetTable(opens ? 7 : 1);
        break;
    }
    default:
        Beep(3000, 1000);
        break;
    }
}
