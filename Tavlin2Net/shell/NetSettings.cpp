#include "NetSettings.h"

namespace {

using namespace settingstable;
using S = CNetSettings;

// In reading order; the last number is the place of each value when writing.
const Entry<S> kEntries[] = {
    Flag<S>(
        "Automatic Game", [](S& s) -> bool& { return s.m_AutomaticGame; }, true, 7),
    Flag<S>(
        "Closed CardReset", [](S& s) -> bool& { return s.m_ClosedCardReset; }, true, 8),
    Flag<S>(
        "Lock Add Players", [](S& s) -> bool& { return s.m_LockAddPlayers; }, true, 9),
    Flag<S>(
        "ShowNameWnd", [](S& s) -> bool& { return s.m_ShowNameWnd; }, true, 4),
    Flag<S>(
        "ShowTabloVictory", [](S& s) -> bool& { return s.m_ShowTabloVictory; }, false, 12),
    Flag<S>(
        "ShowTelegraph", [](S& s) -> bool& { return s.m_ShowTelegraph; }, true, 14),
    Flag<S>(
        "ShowAnimation", [](S& s) -> bool& { return s.m_ShowAnimation; }, false, 5),
    Flag<S>(
        "GameForStars", [](S& s) -> bool& { return s.m_GameForStars; }, true, 11),
    Flag<S>(
        "Game31", [](S& s) -> bool& { return s.m_Game31; }, true, 10),
    Number<S>(
        "Shirt Number", [](S& s) -> int& { return s.m_ShirtNumber; }, kFirstShirt, kFirstShirt,
        kLastShirt, 1),
    Number<S>(
        "Table Number", [](S& s) -> int& { return s.m_TableNumber; }, 1, 0, kLastTable, 2),
    Number<S>(
        "Background Number", [](S& s) -> int& { return s.m_BGNumber; }, 0, 0, kLastBG, 3),
    Text<S>(
        "TableImage", [](S& s) -> QString& { return s.m_TableImageFile; }, u"image.jpg", Kind::Path,
        kPathBytes, 6),
    Flag<S>(
        "SoundEffect", [](S& s) -> bool& { return s.m_Sound; }, true, 13),
    Flag<S>(
        "HoldSeats", [](S& s) -> bool& { return s.m_HoldSeats; }, false, 15),
};

} // namespace

CNetSettings::CNetSettings() {
    SetDefaults(*this, kEntries);
}

bool CNetSettings::Read() {
    return settingstable::Read(*this, kEntries, kKey);
}

bool CNetSettings::Write() const {
    return settingstable::Write(*this, kEntries, kKey);
}

int CNetSettings::EffectiveTable() const {
    return settingstable::EffectiveTable(m_TableNumber, m_TableImageFile);
}
