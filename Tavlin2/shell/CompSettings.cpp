#include "CompSettings.h"

namespace {

using namespace settingstable;
using S = CCompSettings;

// In reading order; writeOrder is the place of each value when writing.
const Entry<S> kEntries[] = {
    Flag<S>(
        "FirstHelp", [](S& s) -> bool& { return s.m_FirstHelp; }, true, 15),
    Number<S>(
        "Players quantity", [](S& s) -> int& { return s.m_NumberPlayers; }, 2, 2, 4, 1),
    Number<S>(
        "Game Rate", [](S& s) -> int& { return s.m_GameRate; }, 500, 0, S::kMaxGameRate, 2),
    Flag<S>(
        "ShowTabloVictory", [](S& s) -> bool& { return s.m_ShowTabloVictory; }, true, 13),
    Flag<S>(
        "ShowAnimation", [](S& s) -> bool& { return s.m_ShowAnimation; }, true, 7),
    Flag<S>(
        "SoundEffect", [](S& s) -> bool& { return s.m_Sound; }, true, 16, Kind::SoundFlag),
    Flag<S>(
        "GameForStars", [](S& s) -> bool& { return s.m_GameForStars; }, true, 14),
    Flag<S>(
        "Game31", [](S& s) -> bool& { return s.m_Game31; }, true, 12),
    Number<S>(
        "Shirt Number", [](S& s) -> int& { return s.m_ShirtNumber; }, kFirstShirt, kFirstShirt,
        kLastShirt, 3),
    Number<S>(
        "Table Number", [](S& s) -> int& { return s.m_TableNumber; }, 1, 0, kLastTable, 4),
    Number<S>(
        "Background Number", [](S& s) -> int& { return s.m_BGNumber; }, 0, 0, kLastBG, 5),
    Text<S>(
        "NameComp1", [](S& s) -> QString& { return s.m_NameComp[0]; }, u"Евлампий", Kind::Text,
        kNameBytes, 8),
    Text<S>(
        "NameComp2", [](S& s) -> QString& { return s.m_NameComp[1]; }, u"Кирилл", Kind::Text,
        kNameBytes, 9),
    Text<S>(
        "NameComp3", [](S& s) -> QString& { return s.m_NameComp[2]; }, u"Кузьма", Kind::Text,
        kNameBytes, 10),
    Text<S>(
        "TableImage", [](S& s) -> QString& { return s.m_TableImageFile; }, u"image.jpg", Kind::Path,
        kPathBytes, 11),
    Flag<S>(
        "NoShowNameWnd", [](S& s) -> bool& { return s.m_NoShowNameWnd; }, false, 6, Kind::Flag,
        false),
};

} // namespace

CCompSettings::CCompSettings() {
    SetDefaults(*this, kEntries);
}

bool CCompSettings::Read() {
    return settingstable::Read(*this, kEntries, kKey);
}

bool CCompSettings::Write() const {
    return settingstable::Write(*this, kEntries, kKey);
}

int CCompSettings::EffectiveTable() const {
    return settingstable::EffectiveTable(m_TableNumber, m_TableImageFile);
}
