#include "CompSettings.h"

#include "Cp1251.h"
#include "Util.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QFile>

#include <iterator>

namespace {

enum class Kind {
    Flag,      // only 1 is true, as everywhere in the registry
    SoundFlag, // sound is on unless it was switched off: only 0 is false
    Number,    // a value outside low..high reads as the default
    Text,      // cut to the buffer it is read back into
    Path,      // never cut: cut short it would name another file
};

template <class T> using Field = T& (*)(CCompSettings&);

struct Entry {
    const char* name;
    Kind kind;
    Field<bool> flag;
    Field<int> number;
    Field<QString> text;
    int def; // flags and numbers
    const char16_t* defText;
    int low, high; // numbers
    DWORD cch;     // texts and paths: the buffer read into
    bool read;     // "NoShowNameWnd" is only written
    int writeOrder;
};

using S = CCompSettings;

constexpr Entry Flag(const char* name, Field<bool> f, bool def, int writeOrder,
                     Kind kind = Kind::Flag, bool read = true) {
    return {name, kind, f, nullptr, nullptr, def ? 1 : 0, nullptr, 0, 0, 0, read, writeOrder};
}
constexpr Entry Number(const char* name, Field<int> f, int def, int low, int high, int writeOrder) {
    return {name, Kind::Number, nullptr, f, nullptr, def, nullptr, low, high, 0, true, writeOrder};
}
constexpr Entry Text(const char* name, Field<QString> f, const char16_t* def, Kind kind, DWORD cch,
                     int writeOrder) {
    return {name, kind, nullptr, nullptr, f, 0, def, 0, 0, cch, true, writeOrder};
}

// In reading order; writeOrder is the place of each value when writing.
const Entry kEntries[] = {
    Flag(
        "FirstHelp", [](S& s) -> bool& { return s.m_FirstHelp; }, true, 15),
    Number(
        "Players quantity", [](S& s) -> int& { return s.m_NumberPlayers; }, 2, 2, 4, 1),
    Number(
        "Game Rate", [](S& s) -> int& { return s.m_GameRate; }, 500, 0, S::kMaxGameRate, 2),
    Flag(
        "ShowTabloVictory", [](S& s) -> bool& { return s.m_ShowTabloVictory; }, true, 13),
    Flag(
        "ShowAnimation", [](S& s) -> bool& { return s.m_ShowAnimation; }, true, 7),
    Flag(
        "SoundEffect", [](S& s) -> bool& { return s.m_Sound; }, true, 16, Kind::SoundFlag),
    Flag(
        "GameForStars", [](S& s) -> bool& { return s.m_GameForStars; }, true, 14),
    Flag(
        "Game31", [](S& s) -> bool& { return s.m_Game31; }, true, 12),
    Number(
        "Shirt Number", [](S& s) -> int& { return s.m_ShirtNumber; }, S::kFirstShirt,
        S::kFirstShirt, S::kLastShirt, 3),
    Number(
        "Table Number", [](S& s) -> int& { return s.m_TableNumber; }, 1, 0, S::kLastTable, 4),
    Number(
        "Background Number", [](S& s) -> int& { return s.m_BGNumber; }, 0, 0, S::kLastBG, 5),
    Text(
        "NameComp1", [](S& s) -> QString& { return s.m_NameComp[0]; }, u"Евлампий", Kind::Text,
        S::kNameBytes, 8),
    Text(
        "NameComp2", [](S& s) -> QString& { return s.m_NameComp[1]; }, u"Кирилл", Kind::Text,
        S::kNameBytes, 9),
    Text(
        "NameComp3", [](S& s) -> QString& { return s.m_NameComp[2]; }, u"Кузьма", Kind::Text,
        S::kNameBytes, 10),
    Text(
        "TableImage", [](S& s) -> QString& { return s.m_TableImageFile; }, u"image.jpg", Kind::Path,
        S::kPathBytes, 11),
    Flag(
        "NoShowNameWnd", [](S& s) -> bool& { return s.m_NoShowNameWnd; }, false, 6, Kind::Flag,
        false),
};

void SetDefault(S& s, const Entry& e) {
    if (e.flag)
        e.flag(s) = e.def != 0;
    else if (e.number)
        e.number(s) = e.def;
    else
        e.text(s) = QString::fromUtf16(e.defText);
}

// A path is kept as UTF-8 bytes; one stored in the old code page (any
// Cyrillic path, which is never valid UTF-8) still reads as it was.
QString PathFromBytes(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? Cp1251ToUnicode(bytes.constData(), -1) : text;
}

void ReadEntry(HKEY key, S& s, const Entry& e) {
    switch (e.kind) {
    case Kind::Flag:
    case Kind::SoundFlag: {
        int value = 0;
        Util_ReadBoolRegKey(key, e.name, &value, e.def);
        e.flag(s) = e.kind == Kind::Flag ? BOOLTobool(value) : value != 0;
        break;
    }
    case Kind::Number: {
        DWORD value = 0;
        Util_ReadIntRegKey(key, e.name, &value, static_cast<DWORD>(e.def));
        const auto signedValue = static_cast<LONG>(value);
        e.number(s) = signedValue >= e.low && signedValue <= e.high ? signedValue : e.def;
        break;
    }
    case Kind::Text: {
        QByteArray buffer(static_cast<qsizetype>(e.cch), '\0');
        const QByteArray def = Cp1251FromUnicode(QString::fromUtf16(e.defText));
        Util_ReadStringRegKeyCch(key, e.name, buffer.data(), e.cch, def.constData());
        e.text(s) = Cp1251ToUnicode(buffer.constData(), -1);
        break;
    }
    case Kind::Path: {
        // Room for the longest path in UTF-8, four bytes a letter.
        const DWORD cch = e.cch * 4;
        QByteArray buffer(static_cast<qsizetype>(cch), '\0');
        const QByteArray def = QString::fromUtf16(e.defText).toUtf8();
        Util_ReadStringRegKeyCch(key, e.name, buffer.data(), cch, def.constData());
        e.text(s) = PathFromBytes(QByteArray(buffer.constData()));
        break;
    }
    }
}

void WriteEntry(HKEY key, S& s, const Entry& e) {
    switch (e.kind) {
    case Kind::Flag:
    case Kind::SoundFlag:
        Util_WriteBoolRegKey(key, e.name, boolToBOOL(e.flag(s)));
        break;
    case Kind::Number:
        Util_WriteIntRegKey(key, e.name, static_cast<DWORD>(e.number(s)));
        break;
    case Kind::Text:
        Util_WriteStringRegKey(key, e.name, Cp1251Field(e.text(s), e.cch).constData());
        break;
    case Kind::Path:
        // As the file system names it, whatever its letters; never cut.
        Util_WriteStringRegKey(key, e.name, e.text(s).toUtf8().constData());
        break;
    }
}

} // namespace

CCompSettings::CCompSettings() {
    SetDefaults();
}

void CCompSettings::SetDefaults() {
    for (const Entry& e : kEntries)
        SetDefault(*this, e);
}

bool CCompSettings::Read() {
    SetDefaults();
    const CSettingsKey key(kKey);
    if (!key)
        return false;
    for (const Entry& e : kEntries) {
        if (e.read)
            ReadEntry(key, *this, e);
    }
    return true;
}

bool CCompSettings::Write() const {
    const CSettingsKey key(kKey);
    if (!key)
        return false;
    // Only read here: the table's fields give access for writing and reading alike.
    auto& self = const_cast<CCompSettings&>(*this);
    for (int order = 1; order <= static_cast<int>(std::size(kEntries)); ++order) {
        for (const Entry& e : kEntries) {
            if (e.writeOrder == order)
                WriteEntry(key, self, e);
        }
    }
    return true;
}

int CCompSettings::EffectiveTable() const {
    if (m_TableNumber != kTableImage)
        return m_TableNumber;
    QFile file(m_TableImageFile);
    return file.open(QIODevice::ReadOnly) ? kTableImage : 1;
}
