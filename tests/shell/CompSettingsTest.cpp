#include "CompSettings.h"
#include "Cp1251.h"
#include "Registry.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace {

void setRaw(const char* name, DWORD type, const QByteArray& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, CCompSettings::kKey, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(key, name, type, reinterpret_cast<const BYTE*>(data.constData()),
                            static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void setDword(const char* name, quint32 value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    setRaw(name, REG_DWORD, bytes);
}

CCompSettings read() {
    CCompSettings s;
    EXPECT_TRUE(s.Read());
    return s;
}

void expectDefaults(const CCompSettings& s) {
    EXPECT_TRUE(s.m_FirstHelp && s.m_ShowTabloVictory && s.m_ShowAnimation && s.m_Sound &&
                s.m_GameForStars && s.m_Game31);
    EXPECT_EQ(s.m_NumberPlayers, 2);
    EXPECT_EQ(s.m_GameRate, 500);
    EXPECT_EQ(s.m_ShirtNumber, 37);
    EXPECT_EQ(s.m_TableNumber, 1);
    EXPECT_EQ(s.m_BGNumber, 0);
    EXPECT_EQ(s.m_NameComp[0], QStringLiteral("Евлампий"));
    EXPECT_EQ(s.m_NameComp[1], QStringLiteral("Кирилл"));
    EXPECT_EQ(s.m_NameComp[2], QStringLiteral("Кузьма"));
    EXPECT_EQ(s.m_TableImageFile, QStringLiteral("image.jpg"));
}

} // namespace

TEST(ShellCompSettings, FirstStartReadsTheDefaultsAndCreatesTheKey) {
    CCompSettings s;
    s.m_GameRate = 750; // the view's value before reading
    s.m_FirstHelp = false;
    ASSERT_TRUE(s.Read());
    expectDefaults(s);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, CCompSettings::kKey, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST(ShellCompSettings, EverySettingSurvivesWriteAndRead) {
    CCompSettings w;
    w.m_FirstHelp = w.m_ShowTabloVictory = w.m_ShowAnimation = w.m_Sound = false;
    w.m_GameForStars = w.m_Game31 = false;
    w.m_NumberPlayers = 4;
    w.m_GameRate = 0;
    w.m_ShirtNumber = 43;
    w.m_TableNumber = 7;
    w.m_BGNumber = 6;
    w.m_NameComp[0] = QStringLiteral("Александрина"); // 12 bytes: cut to what reads back
    w.m_NameComp[1] = QStringLiteral("Аполлинарий");  // 11: fits exactly
    w.m_NameComp[2] = QStringLiteral("Ёжик");
    w.m_TableImageFile = QStringLiteral("/home/пользователь/стол.jpg");
    ASSERT_TRUE(w.Write());

    const CCompSettings r = read();
    EXPECT_FALSE(r.m_FirstHelp || r.m_ShowTabloVictory || r.m_ShowAnimation || r.m_Sound ||
                 r.m_GameForStars || r.m_Game31);
    EXPECT_EQ(r.m_NumberPlayers, 4);
    EXPECT_EQ(r.m_GameRate, 0);
    EXPECT_EQ(r.m_ShirtNumber, 43);
    EXPECT_EQ(r.m_TableNumber, 7);
    EXPECT_EQ(r.m_BGNumber, 6);
    EXPECT_EQ(r.m_NameComp[0], QStringLiteral("Александрин"));
    EXPECT_EQ(r.m_NameComp[1], w.m_NameComp[1]);
    EXPECT_EQ(r.m_NameComp[2], w.m_NameComp[2]);
    EXPECT_EQ(r.m_TableImageFile, w.m_TableImageFile);
}

TEST(ShellCompSettings, PlayersOutsideTwoToFourStartWithTwo) {
    for (quint32 stored : {5u, 1u, 0u, 0xFFFFFFFFu}) {
        setDword("Players quantity", stored);
        EXPECT_EQ(read().m_NumberPlayers, 2) << stored;
    }
    setDword("Players quantity", 3);
    EXPECT_EQ(read().m_NumberPlayers, 3);
}

TEST(ShellCompSettings, DamagedValuesTakeTheirDefaults) {
    setRaw("Players quantity", REG_BINARY, QByteArray(2, '\3'));
    setRaw("Game Rate", REG_SZ, QByteArray("900", 4));
    setRaw("ShowAnimation", REG_BINARY, QByteArray(4, '\0'));
    setDword("Shirt Number", 36); // a card face, not a back
    setDword("Table Number", 8);
    setDword("Background Number", 7);
    setRaw("NameComp1", REG_SZ, Cp1251FromUnicode(QStringLiteral("Александрина")) + '\0');
    setRaw("NameComp2", REG_SZ, QByteArray(1, '\0'));
    setDword("TableImage", 0);
    expectDefaults(read());

    // A rate the trackbar cannot show would slow the game to a crawl.
    setDword("Game Rate", 100000);
    EXPECT_EQ(read().m_GameRate, 500);
    // Only 1 is true, except for the sound, which only 0 switches off.
    setDword("FirstHelp", 2);
    setDword("GameForStars", 0xFFFFFFFFu);
    setDword("SoundEffect", 2);
    const CCompSettings odd = read();
    EXPECT_FALSE(odd.m_FirstHelp);
    EXPECT_FALSE(odd.m_GameForStars);
    EXPECT_TRUE(odd.m_Sound);
}

TEST(ShellCompSettings, TheUsersPictureIsShownOnlyWhileItsFileOpens) {
    CCompSettings s;
    s.m_TableNumber = 7;
    s.m_TableImageFile = QStringLiteral("стол.bmp"); // in the test's own folder
    EXPECT_EQ(s.EffectiveTable(), 1);
    QFile file(s.m_TableImageFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(s.EffectiveTable(), 7);
    s.m_TableNumber = 3;
    EXPECT_EQ(s.EffectiveTable(), 3);
}

TEST(ShellCompSettings, AKeyThatCannotBeMadeChangesNothing) {
    QFile blocker(QStringLiteral("blocker")); // no settings folder under a plain file
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(QFileInfo(blocker).absoluteFilePath()));
    CCompSettings s;
    s.m_GameRate = 750;
    s.m_FirstHelp = false;
    EXPECT_FALSE(s.Read());
    EXPECT_EQ(s.m_GameRate, 750);
    EXPECT_FALSE(s.m_FirstHelp);
    EXPECT_FALSE(s.Write());
}
