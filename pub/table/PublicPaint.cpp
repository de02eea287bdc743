// What the table paints itself: background, table, trump icon, labels, star
// rows and the action button.

#include "Public.h"
#include "PublicArt.h"

#include "ResourceIds.h"
#include "Resources.h"
#include "Wnd.h"

#include <QPaintDevice>
#include <QPainter>

namespace {
constexpr UINT kButtonBitmap = pubres::IDB_BUTTON;
constexpr int kIconSize = 32;
const QColor kYellow(255, 255, 0);
const QColor kWhite(255, 255, 255);
const QColor kShapedTable(255, 255, 100);
constexpr COLORREF kNameNormal = RGB(255, 255, 0);
constexpr COLORREF kNameFlash = RGB(255, 255, 255);

UINT MastIcon(int mast) {
    switch (mast) {
    case 1:
        return pubres::IDI_CLUBS;
    case 2:
        return pubres::IDI_SPADES;
    case 3:
        return pubres::IDI_HEARTS;
    case 4:
        return pubres::IDI_DIAMONDS;
    default:
        return 0;
    }
}

bool IsRectTable(int number) {
    return number >= 3 && number <= 7;
}
} // namespace

// ---- Background ----

void CPublic::DrawBackGround(QPainter* dc) {
    if (!dc || !dc->device())
        return;
    TableArt& art = *m_Art;
    const QRect client =
        m_pParent ? m_pParent->rect() : QRect(0, 0, dc->device()->width(), dc->device()->height());

    // Background and table change only with the choices and the size, so
    // they are drawn once and copied, clipped to what needs painting: cards
    // gliding over the table repaint it on every step.
    TableArt::BackgroundKey key;
    key.size = client.size();
    key.ratio = dc->device()->devicePixelRatioF();
    key.table = m_NumberTable;
    key.bg = m_NumberBG;
    key.brushBG = m_BrushBG;
    key.brushTable = m_BrushTable;
    key.tableRect = m_TableRect;
    key.region = m_TableRgn;
    key.picture = m_TableImage.m_pPicture.get();
    if (art.background.isNull() || !(key == art.backgroundKey)) {
        QPixmap picture(client.size() * key.ratio);
        picture.setDevicePixelRatio(key.ratio);
        QPainter p(&picture);
        RenderBackGround(&p, client);
        art.background = picture;
        art.backgroundKey = key;
    }
    dc->drawPixmap(0, 0, art.background);

    if (ShownKozir()) {
        // A resize on the game's thread moves the icon while the window paints.
        QPoint icon;
        {
            std::lock_guard lock(art.lock);
            icon = QPoint(m_KozirIconX, m_KozirIconY);
        }
        DrawMastIcon(dc, icon);
    }
}

int CPublic::ShownKozir() {
    // The deck keeps the trump suit for painting: the cards belong to whichever
    // game worker moves them now.
    return m_Pack.GetKozirMast();
}

void CPublic::RenderBackGround(QPainter* dc, const QRect& client) {
    const int number = m_NumberTable;
    // A picture table without a picture shows no table at all.
    const bool rectTable = IsRectTable(number) && (number != 7 || m_TableImage.HasImage());
    const bool shaped = number != 0 && !IsRectTable(number);

    // The table is drawn over the background, which covers it exactly.
    dc->fillRect(client.adjusted(0, 0, 1, 1),
                 m_BrushBG.style() == Qt::NoBrush ? QBrush(Qt::black) : m_BrushBG);
    if (rectTable) {
        if (number == 7) {
            dc->setRenderHint(QPainter::SmoothPixmapTransform);
            m_TableImage.DrawImage(dc, m_TableRect);
        } else {
            dc->fillRect(m_TableRect, m_BrushTable);
        }
        dc->setPen(QPen(kYellow, 0));
        dc->setBrush(Qt::NoBrush);
        dc->drawRect(m_TableRect.adjusted(0, 0, -1, -1));
    }
    if (shaped)
        for (const QRect& r : m_TableRgn)
            dc->fillRect(r, kShapedTable);
}

void CPublic::DrawMastIcon(QPainter* dc, QPoint at) {
    if (!dc)
        return;
    const UINT id = MastIcon(ShownKozir());
    if (!id)
        return;
    auto it = m_Art->icons.find(id);
    if (it == m_Art->icons.end()) {
        const QIcon icon = LoadIconResource(GetModuleResources("pub"), id);
        it = m_Art->icons.emplace(id, icon.pixmap(kIconSize, kIconSize)).first;
    }
    if (!it->second.isNull())
        dc->drawPixmap(QRect(at, QSize(kIconSize, kIconSize)), it->second);
}

// ---- Labels, stars and the button ----

void CPublic::OnPaint(QPainter* dc) {
    if (!dc)
        return;
    for (CPlayer& player : m_Players)
        player.SetDC(dc);
    m_LabelMessage.SetDC(dc);
    m_LabelResult.SetDC(dc);
    m_LabelAnnounce.SetDC(dc);

    QString text;
    bool show = false;
    QRect button;
    {
        std::lock_guard lock(m_Art->lock);
        text = m_ButtonText;
        show = m_ShowButton;
        button = m_ButtonRect;
    }
    if (!show)
        return;
    if (!m_Art->buttonLoaded) {
        m_Art->button = LoadBitmapResource(GetModuleResources("pub"), kButtonBitmap);
        m_Art->buttonLoaded = true;
    }
    dc->save();
    // The frame in the device context's own pen and brush: black on white.
    dc->setPen(QPen(Qt::black, 0));
    dc->setBrush(Qt::white);
    dc->drawRoundedRect(button.adjusted(-1, -1, 0, 0), 2, 2);
    if (!m_Art->button.isNull())
        dc->drawPixmap(button, m_Art->button);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(16); // 12 points at 96 dots per inch
    dc->setFont(font);
    dc->setPen(kYellow);
    dc->setBackgroundMode(Qt::TransparentMode);
    dc->drawText(button, Qt::AlignCenter | Qt::TextSingleLine, text);
    dc->restore();
}

void CPublic::ShowActiveButton(const QString& text, bool show) {
    QRect button;
    {
        std::lock_guard lock(m_Art->lock);
        m_ButtonText = text;
        m_ShowButton = show;
        button = m_ButtonRect;
    }
    if (m_pParent)
        m_pParent->InvalidateRect(button.adjusted(-1, -1, 1, 1));
}

void CPublic::FlashPlayer(const int& player) {
    int holder = 0;
    for (const CCard* card : m_Pack.m_Cards) {
        if (card && card->m_Place == e_Going && !card->m_Beaten) {
            holder = card->m_Player;
            break;
        }
    }
    auto label = [this](int seat) -> CMyLabel* {
        return seat >= 1 && seat <= kMaxPlayers ? &m_Players[seat - 1].m_LabelName : nullptr;
    };
    auto flash = [](CMyLabel* name) {
        if (name && name->GetColorText() != kNameFlash) {
            name->SetColorText(kNameFlash);
            name->SetUnderline(true);
        }
    };
    for (int seat = 1; seat <= kMaxPlayers; ++seat) {
        CMyLabel* name = label(seat);
        if (name->GetColorText() == kNameFlash && seat != holder) {
            name->SetColorText(kNameNormal);
            name->SetUnderline(false);
            break;
        }
    }
    if (holder != 0)
        flash(label(holder));
    if (player != 0)
        flash(label(player));
}
