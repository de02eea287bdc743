#include "Pack.h"

#include "GuiThread.h"
#include "MessageBox.h"
#include "MyLabel.h"
#include "Random.h"
#include "Registry.h"
#include "ResourceIds.h"
#include "Resources.h"
#include "Sound.h"
#include "Star.h"
#include "Time.h"
#include "Util.h"

#include <QRect>

#include <cmath>

std::atomic<std::uint32_t> CPack::m_Shuffle{0};

namespace {
const char kShuffleValue[] = "Shuffle";
const char kCardLibrary[] = "DeckArt.dll";

std::atomic<bool> g_shuffleWritten{false};

// The ×1.33 step of the seed, computed as the old code did: single-precision
// constant, double-precision product, truncated. A stored seed can be any
// 32-bit value, whose product no 32-bit integer holds: compare before
// converting.
std::uint32_t NextSeed(std::uint32_t seed) {
    const double product = static_cast<double>(seed) * static_cast<double>(1.33f);
    if (product >= 0x7FFF + 1.0)
        return 57;
    return static_cast<std::uint32_t>(product);
}

// Loads the card-picture library and makes it the current resource module
// for as long as the object lives.
class CardLibrary {
public:
    CardLibrary() : m_previous(AfxGetResourceHandle()), m_module(LoadLibrary(kCardLibrary)) {
        if (m_module)
            AfxSetResourceHandle(m_module);
    }
    ~CardLibrary() {
        AfxSetResourceHandle(m_previous);
        if (m_module)
            FreeLibrary(m_module);
    }
    CardLibrary(const CardLibrary&) = delete;
    CardLibrary& operator=(const CardLibrary&) = delete;
    bool IsLoaded() const { return m_module != nullptr; }

private:
    HINSTANCE m_previous;
    HMODULE m_module;
};

// Points of the face numbers 1..9 (six .. ace).
constexpr int kScores[9] = {0, 0, 0, 0, 10, 2, 3, 4, 11};
} // namespace

CPack::CPack()
    : m_PackX(10), m_PackY(10), m_KozirState(0), m_NumberCards(36), m_Shirt(37) {
    ReadShuffleFromReg();
}

CPack::~CPack() {
    DestroyCards();
    WriteShuffleToReg();
}

CPack::CPack(const CPack& other)
    : m_PackX(other.m_PackX), m_PackY(other.m_PackY), m_KozirState(other.m_KozirState),
      m_Cards(other.m_Cards), m_NumberCards(other.m_NumberCards), m_Shirt(other.m_Shirt),
      m_KozirMast(other.m_KozirMast.load()) {}

CPack& CPack::operator=(const CPack& other) {
    m_PackX = other.m_PackX;
    m_PackY = other.m_PackY;
    m_KozirState = other.m_KozirState;
    m_Cards = other.m_Cards;
    m_NumberCards = other.m_NumberCards;
    m_Shirt = other.m_Shirt;
    m_KozirMast = other.m_KozirMast.load();
    return *this;
}

void CPack::DestroyCards() {
    for (CCard* card : m_Cards)
        delete card;
    m_Cards.clear();
}

bool CPack::InitPack36(CWnd* parent) {
    CardLibrary library; // a missing library leaves the cards without pictures
    for (int j = 1; j <= m_NumberCards; ++j) {
        auto* card = new CCard;
        card->CreateCard(QRect(0, 0, CCard::kWidth, CCard::kHeight), parent,
                         static_cast<UINT>(j), static_cast<UINT>(m_Shirt));
        const int face = 1 + (j - 1) % 9;
        card->m_Place = e_Pack;
        card->m_Value = face;
        card->m_Mast = 1 + (j - 1) / 9;
        card->m_Scores = kScores[face - 1];
        m_Cards.push_back(card);
    }
    return true;
}

void CPack::SetValueZanta() {
    for (CCard* card : m_Cards) {
        switch (card->m_Scores) {
        case 2: card->m_Value = 5; break;
        case 3: card->m_Value = 6; break;
        case 4: card->m_Value = 7; break;
        case 10: card->m_Value = 8; break;
        default: break;
        }
    }
}

void CPack::SetValueKvelt() {
    for (CCard* card : m_Cards) {
        switch (card->m_Scores) {
        case 10: card->m_Value = 5; break;
        case 2: card->m_Value = 6; break;
        case 3: card->m_Value = 7; break;
        case 4: card->m_Value = 8; break;
        default: break;
        }
    }
}

CCard* CPack::GetCard(const int& index) {
    if (index < 0 || index >= static_cast<int>(m_Cards.size()))
        return nullptr;
    return m_Cards[static_cast<size_t>(index)];
}

int CPack::GetNumberCardsInPack() { return static_cast<int>(m_Cards.size()); }

CCard* CPack::TakeCard(int* index) {
    for (size_t i = 0; i < m_Cards.size(); ++i) {
        if (m_Cards[i] && m_Cards[i]->m_Place == e_Pack) {
            if (index)
                *index = static_cast<int>(i);
            return m_Cards[i];
        }
    }
    if (index)
        *index = -1;
    return nullptr;
}

bool CPack::IsPackEnd() {
    for (CCard* card : m_Cards)
        if (card && card->m_Place == e_Pack)
            return false;
    return true;
}

bool CPack::IsPackFull() {
    for (CCard* card : m_Cards)
        if (card && card->m_Place != e_Pack)
            return false;
    return true;
}

void CPack::CardsToPack(bool showKozir) {
    for (size_t i = 0; i < m_Cards.size(); ++i) {
        CCard* card = m_Cards[i];
        if (!card)
            break;
        card->m_Place = e_Pack;
        card->m_Beaten = false;
        card->m_Player = 0;
        card->m_Moving = 0;
        card->CardClose(true);
        // Each card goes under the ones before it: card 0 ends on top.
        const int shift = static_cast<int>(static_cast<double>(i) * 0.2);
        card->SetCardPos(m_PackX + shift, m_PackY - shift);
        card->Restack(HWND_BOTTOM);
        card->ShowCard(true);
    }
    m_KozirState = showKozir ? 1 : 0;
    CStar::m_staticBreak = false;
    CMyLabel::m_staticBreak = false;
    CCard::m_staticAnimCards = true;
}

void CPack::SetPackPos(const int& x, const int& y) {
    m_PackX = x;
    m_PackY = y;
    for (int i = static_cast<int>(m_Cards.size()) - 1; i >= 0; --i) {
        CCard* card = m_Cards[static_cast<size_t>(i)];
        if (card && card->m_Place == e_Pack)
            card->SetCardPos(x + i / 5, y - i / 5);
    }
    if (m_KozirState == 2 && !m_Cards.empty() && m_Cards.back()->m_Place == e_Pack) {
        CCard* kozir = m_Cards.back();
        const QPoint pos = kozir->GetCardPos();
        kozir->SetCardPos(pos.x() - 50, pos.y());
    }
}

void CPack::OpenAllCards(bool open) {
    for (CCard* card : m_Cards) {
        card->m_bAlwaysOpen = open;
        card->Invalidate(TRUE);
    }
}

void CPack::ShowAinmationCards(bool on) {
    for (CCard* card : m_Cards)
        card->m_bAnimation = on;
}

bool CPack::IsShowAinmationCards() {
    for (CCard* card : m_Cards)
        if (!card->m_bAnimation)
            return false;
    return true;
}

void CPack::ResetKozir() {
    for (CCard* card : m_Cards)
        if (card->m_Value > 9)
            card->m_Value -= 9;
    m_KozirMast = 0;
}

void CPack::SetKozir(const int& mast) {
    ResetKozir();
    bool marked = false;
    for (CCard* card : m_Cards) {
        if (card->m_Mast == mast) {
            card->m_Value += 9;
            marked = true;
        }
    }
    m_KozirMast = marked ? mast : 0;
}

int CPack::ShowCardKozir() {
    if (m_KozirState != 1 || m_Cards.empty())
        return 0;
    CCard* kozir = m_Cards.back();
    kozir->CardClose(false);
    const QPoint pos = kozir->GetCardPos();
    kozir->CardMove(pos.x() - 50, pos.y(), 0, false);
    m_KozirState = 2;
    SetKozir(kozir->m_Mast);
    return kozir->m_Mast;
}

void CPack::ShufflePack() {
    ResetKozir();
    const std::uint32_t seed = NextSeed(m_Shuffle.load());
    m_Shuffle = seed;
    platform::Lcg random(seed);
    const int count = static_cast<int>(m_Cards.size());
    if (count == 0)
        return;
    const int passes = random.Next() % 7 + 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (int j = 0; j < count; ++j) {
            const int k = random.Next() % count;
            std::swap(m_Cards[0], m_Cards[static_cast<size_t>(k)]);
        }
    }
}

void CPack::ShufflePack(char* masts, char* values) {
    ShufflePack();
    for (size_t i = 0; i < m_Cards.size(); ++i) {
        masts[i] = static_cast<char>(m_Cards[i]->m_Mast);
        values[i] = static_cast<char>(m_Cards[i]->m_Value & 0xFF);
    }
}

bool CPack::ArrayShuffle(const char* masts, const char* values) {
    ResetKozir();
    std::vector<CCard*> order;
    std::vector<bool> used(m_Cards.size(), false);
    order.reserve(m_Cards.size());
    for (size_t k = 0; k < m_Cards.size(); ++k) {
        bool found = false;
        for (size_t i = 0; i < m_Cards.size(); ++i) {
            if (used[i] || m_Cards[i]->m_Mast != masts[k] || m_Cards[i]->m_Value != values[k])
                continue;
            used[i] = true;
            order.push_back(m_Cards[i]);
            found = true;
            break;
        }
        // An entry that matches no card left (unknown, or a card named twice)
        // cannot come from a deck like ours: keep the current order.
        if (!found)
            return false;
    }
    m_Cards = std::move(order);
    return true;
}

int CPack::IncrementShuffle() {
    const std::uint32_t seed = NextSeed(m_Shuffle.load());
    m_Shuffle = seed;
    return static_cast<int>(seed);
}

void CPack::ReadShuffleFromReg() {
    const CSettingsKey key(CSettingsKey::kPublic);
    if (!key)
        return;
    DWORD stored = 0;
    Util_ReadIntRegKey(key, kShuffleValue, &stored, GetTickCount() % 32767 + 1);
    m_Shuffle = stored;
}

void CPack::WriteShuffleToReg() {
    if (g_shuffleWritten.exchange(true))
        return;
    const CSettingsKey key(CSettingsKey::kPublic);
    if (!key)
        return;
    Util_WriteIntRegKey(key, kShuffleValue, static_cast<DWORD>(IncrementShuffle()));
}

void CPack::SetShirt(const unsigned int& shirt) {
    if (m_Cards.empty())
        return;
    CardLibrary library;
    if (!library.IsLoaded()) {
        Beep(900, 100);
        // The second line tells where the bundle was looked for, so that the
        // user knows where to put it back.
        const QString text = QStringLiteral("Не найдена или повреждена библиотека DeckArt.dll\n"
                                            "Искали в папках: %1")
                                 .arg(platform::LibrarySearchPath().join(QStringLiteral(", ")));
        // A box is a window: from a game worker it opens on the GUI thread.
        platform::RunOnGuiThread([&] {
            const QIcon icon = LoadIconResource(GetModuleResources("pub"), pubres::IDI_PROGRAM);
            CMessageBox::Show(m_Cards.front()->parentWidget(), text, QStringLiteral("Внимание"),
                              0x34, icon, icon);
        });
    }
    m_Shirt = static_cast<int>(shirt);
    for (CCard* card : m_Cards) {
        card->SetBmp(0, shirt);
        card->Invalidate(TRUE);
    }
}

int CPack::GetShirt() { return m_Shirt; }
