// The network table's flow: the party's kind and the shared settings.

#include "NetTableFlow.h"
#include "PlayNetSteps.h"

#include "NetCommands.h"

using namespace netcmd;
using namespace playnet;

void CNetTableFlow::SetGameKind(bool game31, bool send) {
    const DPNID by = LocalId();
    Step(kErrResetParty, [this, game31, send, by] {
        ApplyGameKind(game31, by);
        if (send)
            SendSettingsNow(true);
    });
}

void CNetTableFlow::SetGameForStars(bool on, bool send) {
    m_GameForStars = on;
    m_NumberStars = on ? kStarsGame : kStarsNoGame;
    Step(nullptr, [this, send] {
        // At a table alone; with others the stars change with the next
        // party, which begins with its dealer's stars game on every table
        // (reset here, they would be reset at other moves elsewhere).
        if (m_Public.m_Game31 && m_Seats.Count() <= 1)
            m_Public.ResetStars(m_NumberStars);
        if (send)
            SendSettingsNow();
    });
}

void CNetTableFlow::TakeStars(int stars) {
    m_NumberStars = stars;
    m_GameForStars = stars != kStarsNoGame;
    m_View.ShowCheck(IDC_GAME_FOR_STARS, m_GameForStars);
}

void CNetTableFlow::SetTableOption(UINT control, bool on) {
    switch (control) {
    case IDC_LOCK_ADD_PLAYERS:
        m_LockAddPlayers = on;
        break;
    case IDC_HOLD_SEATS:
        m_HoldSeats = on;
        break;
    case IDC_SOUND:
        Step(nullptr, [this, on] { m_Public.m_Sound = on; });
        break;
    case IDC_CLOSED_CARD_RESET:
        Step(nullptr, [this, on] { m_Public.m_ClosedCardReset = on; });
        break;
    case IDC_AUTOMATIC_GAME:
        Step(nullptr, [this, on] { m_Public.m_AutomaticGame = on; });
        break;
    default:
        break;
    }
}

void CNetTableFlow::SendSettings() {
    Step(nullptr, [this] { SendSettingsNow(); });
}

void CNetTableFlow::SendSettingsNow(bool switchesKind) {
    // A table still joining keeps its settings to itself: the host's come
    // with its seat and replace them, and the others take settings only
    // from the party's players.
    if (!m_Seated && !IsHost())
        return;
    netrec::SettingRecord r;
    r.closedCardReset = m_Public.m_ClosedCardReset;
    r.automaticGame = m_Public.m_AutomaticGame;
    r.lockAddPlayers = m_LockAddPlayers;
    r.game31 = m_Public.m_Game31;
    r.gameForStars = m_GameForStars;
    r.kind = switchesKind ? netrec::SettingRecord::SwitchesKind : netrec::SettingRecord::KeepsKind;
    // Only the host's word on held seats counts.
    if (IsHost())
        r.holdSeats = m_HoldSeats ? netrec::SettingRecord::SeatsHeld : netrec::SettingRecord::SeatsFreed;
    Send(netrec::Build(r));
}

void CNetTableFlow::ApplySettings(DPNID sender, const netrec::SettingRecord& r) {
    CPublic& t = m_Public;
    t.m_ClosedCardReset = r.closedCardReset != 0;
    t.m_AutomaticGame = r.automaticGame != 0;
    m_LockAddPlayers = r.lockAddPlayers != 0;
    m_View.ShowCheck(IDC_CLOSED_CARD_RESET, t.m_ClosedCardReset);
    m_View.ShowCheck(IDC_AUTOMATIC_GAME, t.m_AutomaticGame);
    m_View.ShowCheck(IDC_LOCK_ADD_PLAYERS, m_LockAddPlayers);
    if (r.holdSeats != netrec::SettingRecord::HoldNotSaid && sender == m_DirectPlay.HostPlayer()) {
        m_HoldSeats = r.holdSeats == netrec::SettingRecord::SeatsHeld;
        m_View.ShowCheck(IDC_HOLD_SEATS, m_HoldSeats);
    }
    // Both ways: a table that kept its own would begin its next party with
    // other stars than the rest. Before the kind: a party the switch
    // begins has the stars of whoever switched.
    if ((r.gameForStars != 0) != m_GameForStars)
        TakeStars(r.gameForStars != 0 ? kStarsGame : kStarsNoGame);
    // A table just seated takes the kind of the party it joined as it is
    // from the settings the host sent after the seat order; resetting would
    // wipe the scores the order has just brought. A switch is a switch all
    // the same: the host that seated it may have left before its settings
    // came, and its successor's first word is the switch.
    const bool joined = sender == m_DirectPlay.HostPlayer() && std::exchange(m_JustSeated, false) &&
                        r.kind != netrec::SettingRecord::SwitchesKind;
    const bool switches = joined || r.kind != netrec::SettingRecord::KeepsKind;
    if ((r.game31 != 0) != t.m_Game31 && switches)
        ApplyGameKind(r.game31 != 0, sender, joined);
}

void CNetTableFlow::ApplyGameKind(bool game31, DPNID by, bool keepParty) {
    CPublic& t = m_Public;
    const bool changed = t.m_Game31 != game31;
    t.m_Game31 = game31;
    if (keepParty) {
        for (auto& seat : t.m_Players)
            seat.m_Tablo.SwapView(game31);
    } else if (changed || !m_KindShown) {
        StopGame();
        // A deal on its way is of the party this one replaces.
        m_GameStopped = true;
        ResetParty();
        for (auto& seat : t.m_Players)
            seat.m_Tablo.SwapView(game31);
        // Whoever changed the kind deals the new party: a seated player,
        // and the host when the word came from nobody at this table.
        const DPNID dealer = LocalSeatOf(by) != 0 ? by : m_DirectPlay.HostPlayer();
        if (m_Seats.Count() >= 2 && LocalSeatOf(dealer) != 0) {
            m_NextDealerId = dealer;
            m_NextIsNewParty = true;
            AnnounceDealer();
        }
    }
    m_KindShown = true;
    if (!keepParty)
        t.ResetStars(game31 ? m_NumberStars.load() : 0);
    const QString title = QStringLiteral("Сетевая карточная игра Занта") +
                          (game31 ? QStringLiteral(" - до 31 очка") : QStringLiteral(" - до 12 баллов"));
    m_View.ShowTitle(title);
    m_View.EnableSharedChecks(game31);
}
