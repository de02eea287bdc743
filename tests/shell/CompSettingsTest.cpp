#include "CompSettings.h"
#include "Cp1251.h"
#include "SettingsFile.h"

#include <gtest/gtest.h>

#include <QFile>

using testsettings::Dword;

namespace {

void set(const char* name, DWORD type, const QByteArray& data) {
    ASSERT_EQ(testsettings::Set(CCompSettings::kKey, name, type, data), ERROR_SUCCESS);
}

CCompSettings read() {
    CCompSettings s;
    EXPECT_TRUE(s.Read());
    return s;
}

// What a first start shows: two seats, 500 ms, a 31-point party for stars.
void expectDefaults(const CCompSettings& s) {
    EXPECT_TRUE(s.m_FirstHelp && s.m_ShowTabloVictory && s.m_ShowAnimation && s.m_Sound &&
                s.m_GameForStars && s.m_Game31 && !s.m_NoShowNameWnd);
    EXPECT_EQ(
        std::tuple(s.m_NumberPlayers, s.m_GameRate, s.m_ShirtNumber, s.m_TableNumber, s.m_BGNumber),
        std::tuple(2, 500, 37, 1, 0));
    EXPECT_EQ(QStringList({s.m_NameComp[0], s.m_NameComp[1], s.m_NameComp[2], s.m_TableImageFile}),
              QStringList({"Евлампий", "Кирилл", "Кузьма", "image.jpg"}));
}

} // namespace

TEST(ShellCompSettings, FirstStartAndAnUnusableFolderBothGiveEveryDefault) {
    expectDefaults(read());
    testsettings::BlockTheFolder();
    CCompSettings s;
    s.m_GameRate = 750; // values the object held before reading
    s.m_NameComp[0].clear();
    s.m_Sound = false;
    EXPECT_FALSE(s.Read());
    expectDefaults(s);
    EXPECT_FALSE(s.Write());
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
    w.m_TableImageFile = QStringLiteral("/home/пользователь/") + QString(200, u'д') + ".jpg";
    ASSERT_TRUE(w.Write());

    const CCompSettings r = read();
    EXPECT_FALSE(r.m_FirstHelp || r.m_ShowTabloVictory || r.m_ShowAnimation || r.m_Sound ||
                 r.m_GameForStars || r.m_Game31);
    EXPECT_EQ(
        std::tuple(r.m_NumberPlayers, r.m_GameRate, r.m_ShirtNumber, r.m_TableNumber, r.m_BGNumber),
        std::tuple(4, 0, 43, 7, 6));
    EXPECT_EQ(r.m_NameComp[0], QStringLiteral("Александрин"));
    EXPECT_EQ(r.m_NameComp[1], w.m_NameComp[1]);
    EXPECT_EQ(r.m_NameComp[2], w.m_NameComp[2]);
    EXPECT_EQ(r.m_TableImageFile, w.m_TableImageFile); // a path is never cut

    // Any letters the file system names a picture with come back as they were;
    // a path stored in the old code page still reads.
    w.m_TableImageFile = QStringLiteral("/home/zoë/café Ελλάδα 画.jpg");
    ASSERT_TRUE(w.Write());
    EXPECT_EQ(read().m_TableImageFile, w.m_TableImageFile);
    set("TableImage", REG_SZ,
        Cp1251FromUnicode(QStringLiteral("/home/пользователь/стол.jpg")) + '\0');
    EXPECT_EQ(read().m_TableImageFile, QStringLiteral("/home/пользователь/стол.jpg"));
}

TEST(ShellCompSettings, DamagedValuesTakeTheirDefaults) {
    for (quint32 players : {5u, 1u, 0xFFFFFFFFu}) {
        set("Players quantity", REG_DWORD, Dword(players));
        EXPECT_EQ(read().m_NumberPlayers, 2) << players;
    }
    set("Players quantity", REG_BINARY, QByteArray(2, '\3'));
    set("Game Rate", REG_DWORD, Dword(100000)); // the trackbar cannot show it
    set("ShowAnimation", REG_BINARY, QByteArray(4, '\0'));
    set("Shirt Number", REG_DWORD, Dword(36)); // a card face, not a back
    set("Table Number", REG_DWORD, Dword(8));
    set("Background Number", REG_DWORD, Dword(7));
    set("NameComp1", REG_SZ, Cp1251FromUnicode(QStringLiteral("Александрина")) + '\0');
    set("NameComp2", REG_SZ, QByteArray(1, '\0'));
    set("TableImage", REG_DWORD, Dword(0));
    set("NoShowNameWnd", REG_DWORD, Dword(1)); // never read
    expectDefaults(read());

    // Only 1 is true, except for the sound, which only 0 switches off.
    set("FirstHelp", REG_DWORD, Dword(2));
    set("SoundEffect", REG_DWORD, Dword(2));
    const CCompSettings odd = read();
    EXPECT_FALSE(odd.m_FirstHelp);
    EXPECT_TRUE(odd.m_Sound);
}

TEST(ShellCompSettings, TheUsersPictureIsShownOnlyWhileItsFileOpens) {
    CCompSettings s;
    s.m_TableNumber = 7;
    s.m_TableImageFile = QStringLiteral("стол.bmp"); // in the test's own folder
    EXPECT_EQ(s.EffectiveTable(), 1);
    QFile(s.m_TableImageFile).open(QIODevice::WriteOnly);
    EXPECT_EQ(s.EffectiveTable(), 7);
}
