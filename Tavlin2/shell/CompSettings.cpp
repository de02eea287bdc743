#include "CompSettings.h"

#include "Cp1251.h"
#include "Registry.h"
#include "Util.h"

#include <QByteArray>
#include <QFile>

namespace {

// Only 1 counts as true, as everywhere in the registry.
bool ReadBool(HKEY key, const char* name, bool def) {
    int value = 0;
    Util_ReadBoolRegKey(key, name, &value, boolToBOOL(def));
    return BOOLTobool(value);
}

int ReadInt(HKEY key, const char* name, int def, int low, int high) {
    DWORD value = 0;
    Util_ReadIntRegKey(key, name, &value, static_cast<DWORD>(def));
    const auto signedValue = static_cast<LONG>(value);
    return signedValue >= low && signedValue <= high ? static_cast<int>(signedValue) : def;
}

QString ReadString(HKEY key, const char* name, DWORD cch, const QString& def) {
    QByteArray buffer(static_cast<qsizetype>(cch), '\0');
    const QByteArray defBytes = Cp1251FromUnicode(def);
    Util_ReadStringRegKeyCch(key, name, buffer.data(), cch, defBytes.constData());
    return Cp1251ToUnicode(buffer.constData(), -1);
}

// A longer name would not fit the buffer it is read back into.
void WriteString(HKEY key, const char* name, const QString& value, DWORD cch) {
    QByteArray bytes = Cp1251FromUnicode(value);
    const int nul = static_cast<int>(bytes.indexOf('\0'));
    if (nul >= 0)
        bytes.truncate(nul);
    if (cch != 0 && bytes.size() > static_cast<qsizetype>(cch - 1))
        bytes.truncate(static_cast<qsizetype>(cch - 1));
    Util_WriteStringRegKey(key, name, bytes.constData());
}

HKEY OpenKey() {
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, CCompSettings::kKey, KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS)
        return nullptr;
    return key;
}

} // namespace

bool CCompSettings::Read() {
    HKEY key = OpenKey();
    if (!key)
        return false;
    m_FirstHelp = ReadBool(key, "FirstHelp", true);
    m_NumberPlayers = ReadInt(key, "Players quantity", 2, 2, 4);
    m_GameRate = ReadInt(key, "Game Rate", 500, 0, kMaxGameRate);
    m_ShowTabloVictory = ReadBool(key, "ShowTabloVictory", true);
    m_ShowAnimation = ReadBool(key, "ShowAnimation", true);
    {
        // Sound is on unless it was switched off.
        int value = 0;
        Util_ReadBoolRegKey(key, "SoundEffect", &value, 1);
        m_Sound = value != 0;
    }
    m_GameForStars = ReadBool(key, "GameForStars", true);
    m_Game31 = ReadBool(key, "Game31", true);
    m_ShirtNumber = ReadInt(key, "Shirt Number", kFirstShirt, kFirstShirt, kLastShirt);
    m_TableNumber = ReadInt(key, "Table Number", 1, 0, kLastTable);
    m_BGNumber = ReadInt(key, "Background Number", 0, 0, kLastBG);
    m_NameComp[0] = ReadString(key, "NameComp1", kNameBytes, QStringLiteral("Евлампий"));
    m_NameComp[1] = ReadString(key, "NameComp2", kNameBytes, QStringLiteral("Кирилл"));
    m_NameComp[2] = ReadString(key, "NameComp3", kNameBytes, QStringLiteral("Кузьма"));
    m_TableImageFile = ReadString(key, "TableImage", kPathBytes, QStringLiteral("image.jpg"));
    RegCloseKey(key);
    return true;
}

bool CCompSettings::Write() const {
    HKEY key = OpenKey();
    if (!key)
        return false;
    Util_WriteIntRegKey(key, "Players quantity", static_cast<DWORD>(m_NumberPlayers));
    Util_WriteIntRegKey(key, "Game Rate", static_cast<DWORD>(m_GameRate));
    Util_WriteIntRegKey(key, "Shirt Number", static_cast<DWORD>(m_ShirtNumber));
    Util_WriteIntRegKey(key, "Table Number", static_cast<DWORD>(m_TableNumber));
    Util_WriteIntRegKey(key, "Background Number", static_cast<DWORD>(m_BGNumber));
    Util_WriteBoolRegKey(key, "NoShowNameWnd", boolToBOOL(m_NoShowNameWnd));
    Util_WriteBoolRegKey(key, "ShowAnimation", boolToBOOL(m_ShowAnimation));
    WriteString(key, "NameComp1", m_NameComp[0], kNameBytes);
    WriteString(key, "NameComp2", m_NameComp[1], kNameBytes);
    WriteString(key, "NameComp3", m_NameComp[2], kNameBytes);
    // A path is never cut: cut short it would name another file.
    WriteString(key, "TableImage", m_TableImageFile, 0);
    Util_WriteBoolRegKey(key, "Game31", boolToBOOL(m_Game31));
    Util_WriteBoolRegKey(key, "ShowTabloVictory", boolToBOOL(m_ShowTabloVictory));
    Util_WriteBoolRegKey(key, "GameForStars", boolToBOOL(m_GameForStars));
    Util_WriteBoolRegKey(key, "FirstHelp", boolToBOOL(m_FirstHelp));
    Util_WriteBoolRegKey(key, "SoundEffect", boolToBOOL(m_Sound));
    RegCloseKey(key);
    return true;
}

int CCompSettings::EffectiveTable() const {
    if (m_TableNumber != kTableImage)
        return m_TableNumber;
    QFile file(m_TableImageFile);
    return file.open(QIODevice::ReadOnly) ? kTableImage : 1;
}
