#include "ComputerPlayer.h"
#include "ResourceIds.h"

#include "Public.h"

#include <algorithm>
#include <array>

namespace {
constexpr int kHand = 3;

bool IsTrump(const CCard* card) { return card->m_Value > 9; }

// Stable sorts keep deck order among equal keys, as the deck walks do.
void SortByValue(CCard** cards, int n, bool ascending) {
    std::stable_sort(cards, cards + n, [ascending](const CCard* a, const CCard* b) {
        return ascending ? a->m_Value < b->m_Value : a->m_Value > b->m_Value;
    });
}
} // namespace

CComputerPlayer::CComputerPlayer(CPublic& table, RandomSource random)
    : m_Table(table), m_Random(std::move(random)) {}

int CComputerPlayer::CollectHand(const int& seat, CCard** hand) {
    int n = 0;
    CPack& pack = m_Table.m_Pack;
    for (int i = 0; i < pack.GetNumberCardsInPack(); ++i) {
        CCard* card = pack.GetCard(i);
        if (!card || card->m_Place != e_Hand || card->m_Player != seat)
            continue;
        if (n == kHand) {
            // A fourth card in a hand means the flow dealt wrongly.
            m_Table.MyMessageBox(QStringLiteral("count > 3!!!"), QString(), 0x14, pubres::IDI_PROGRAM,
                                 pubres::IDI_PROGRAM);
            break;
        }
        hand[n++] = card;
    }
    return n;
}

int CComputerPlayer::ActiveSeats() const {
    int active = 0;
    const int seats = std::clamp(m_Table.m_NumberPlayers, 0, CPublic::kMaxPlayers);
    for (int p = 0; p < seats; ++p)
        if (!m_Table.m_Players[p].m_Out)
            ++active;
    return active;
}

std::vector<CCard*> CComputerPlayer::ChooseLead(const int& seat) {
    CCard* hand[kHand] = {};
    const int n = CollectHand(seat, hand);
    if (n == 0)
        return {};

    if (m_Table.GetNumberKozirPlayer(seat) == 3 || m_Table.GetNumberCardsEqualMast(seat, nullptr) == 3)
        return {hand, hand + n};

    const int r = m_Random() % 10;
    int suit = 0;
    const int sameSuit = m_Table.GetNumberCardsEqualMast(seat, &suit);
    if (r == 0 && sameSuit == 2) {
        CCard* pair[kHand] = {};
        int k = 0;
        for (int i = 0; i < n; ++i)
            if (hand[i]->m_Mast == suit && !IsTrump(hand[i]))
                pair[k++] = hand[i];
        SortByValue(pair, k, true);
        return {pair, pair + k};
    }

    SortByValue(hand, n, true);
    return {hand[0]};
}

bool CComputerPlayer::ComputerLead(const int& seat) {
    const std::vector<CCard*> lead = ChooseLead(seat);
    for (CCard* card : lead)
        m_Table.MoveCard_GO(seat, card, true);
    return !lead.empty();
}

int CComputerPlayer::SortHandForBeat(const int& seat, CCard** hand, bool byValue) {
    const int n = CollectHand(seat, hand);
    if (byValue) {
        SortByValue(hand, n, false);
        return n;
    }
    std::stable_sort(hand, hand + n, [](const CCard* a, const CCard* b) {
        if (IsTrump(a) != IsTrump(b))
            return !IsTrump(a); // plain cards first
        if (a->m_Scores != b->m_Scores)
            return a->m_Scores > b->m_Scores;
        return a->m_Value < b->m_Value;
    });
    return n;
}

bool CComputerPlayer::MatchBeats(CCard* const* tableList, CCard* const* handList, int pairs[3][2]) {
    for (int k = 0; k < kHand; ++k)
        pairs[k][0] = pairs[k][1] = -1;
    std::array<bool, kHand> paired{};
    int k = 0;
    for (int h = 0; h < kHand; ++h) {
        const CCard* beater = handList[h];
        if (!beater)
            continue;
        for (int t = 0; t < kHand; ++t) {
            const CCard* target = tableList[t];
            if (!target || paired[static_cast<size_t>(t)] || target->m_Value >= beater->m_Value)
                continue;
            if (!IsTrump(beater) && target->m_Mast != beater->m_Mast)
                continue;
            paired[static_cast<size_t>(t)] = true;
            pairs[k][0] = h;
            pairs[k][1] = t;
            ++k;
            break;
        }
    }
    return k >= m_Table.GetNumberCardsGoing();
}

std::optional<std::vector<std::pair<CCard*, CCard*>>> CComputerPlayer::ChooseBeats(const int& seat) {
    CCard* tableList[kHand] = {};
    m_Table.SortCardsTable(tableList, seat);
    // SortCardsTable marks no end: keep only the cards it actually listed.
    int targets = 0;
    while (targets < kHand && tableList[targets])
        ++targets;

    const int going = m_Table.GetNumberCardsGoing();
    const int layers = going > 0 ? m_Table.GetNumberCardsOnTable() / going : 0;
    const bool answersLast = layers == ActiveSeats() - 1;

    CCard* handList[kHand] = {};
    SortHandForBeat(seat, handList, !answersLast);

    int pairs[kHand][2];
    if (!MatchBeats(tableList, handList, pairs))
        return std::nullopt;

    // With two trumps, keep them for later rather than trump a single led
    // card that no plain card can take, while nobody is near 31 points.
    if (m_Table.GetNumberKozirPlayer(seat) == 2 && going == 1 && tableList[0]) {
        for (CCard* card : handList) {
            if (!card || IsTrump(card) || m_Table.CompareCards(card, tableList[0]))
                continue;
            if (m_Table.GetMaxScores() + 3 * m_Table.m_NumberPlayers + card->m_Scores < 31)
                return std::nullopt;
        }
    }

    std::vector<std::pair<CCard*, CCard*>> beats;
    for (const auto& pair : pairs)
        if (pair[0] >= 0 && pair[1] >= 0)
            beats.emplace_back(handList[pair[0]], tableList[pair[1]]);
    return beats;
}

bool CComputerPlayer::ComputerBeat(const int& seat) {
    const auto beats = ChooseBeats(seat);
    if (!beats)
        return false;
    for (const auto& [card, target] : *beats)
        m_Table.BitaCard(card, target);
    return true;
}

std::vector<CCard*> CComputerPlayer::ChooseThrow(const int& seat) {
    CCard* hand[kHand] = {};
    const int n = CollectHand(seat, hand);
    const bool spareThePoints = m_Table.m_Players[0].m_Tablo.GetScoresValue() > 15;
    if (spareThePoints) {
        std::stable_sort(hand, hand + n, [](const CCard* a, const CCard* b) {
            if (a->m_Scores != b->m_Scores)
                return a->m_Scores < b->m_Scores;
            return a->m_Value < b->m_Value;
        });
    } else {
        SortByValue(hand, n, true);
    }
    const int count = std::min(n, m_Table.GetNumberCardsGoing());
    return {hand, hand + count};
}

void CComputerPlayer::ComputerThrow(const int& seat) {
    for (CCard* card : ChooseThrow(seat))
        m_Table.ResetCard(card);
}
