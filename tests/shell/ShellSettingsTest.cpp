// What the single-player program keeps between runs: its own settings and the
// window's place.

#include "CompSettings.h"
#include "Cp1251.h"
#include "FramePlacement.h"
#include "SettingsFile.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QWidget>

using testsettings::Dword;

namespace {

void set(const char* key, const char* name, DWORD type, const QByteArray& data) {
    ASSERT_EQ(testsettings::Set(key, name, type, data), ERROR_SUCCESS);
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

const QRect kDefault(100, 100, 690, 550);

// Stores these edges, the others missing, and reads them as at start.
QRect readEdges(std::initializer_list<std::pair<const char*, LONG>> edges) {
    testsettings::WriteFile("[Software\\Tavlin2.0\\Public]\n");
    for (const auto& [name, value] : edges)
        set("Public", name, REG_DWORD, Dword(static_cast<quint32>(value)));
    CFramePlacement placement;
    EXPECT_TRUE(placement.Read());
    return placement.m_rcNormalPosition;
}

} // namespace

TEST(ShellSettings, FirstStartGivesEveryDefaultAndSoDoDamagedValues) {
    expectDefaults(read());
    const std::tuple<const char*, DWORD, QByteArray> damaged[] = {
        {"Players quantity", REG_DWORD, Dword(5)},
        {"Game Rate", REG_DWORD, Dword(100000)}, // the trackbar cannot show it
        {"ShowAnimation", REG_BINARY, QByteArray(4, '\0')},
        {"Shirt Number", REG_DWORD, Dword(36)}, // a card face, not a back
        {"Table Number", REG_DWORD, Dword(8)},
        {"Background Number", REG_DWORD, Dword(7)},
        {"NameComp1", REG_SZ, Cp1251FromUnicode(QStringLiteral("Александрина")) + '\0'},
        {"NameComp2", REG_SZ, QByteArray(1, '\0')},
        {"TableImage", REG_DWORD, Dword(0)},
        {"NoShowNameWnd", REG_DWORD, Dword(1)}, // never read
    };
    for (const auto& [name, type, data] : damaged)
        set(CCompSettings::kKey, name, type, data);
    expectDefaults(read());
    set(CCompSettings::kKey, "Players quantity", REG_DWORD, Dword(1));
    EXPECT_EQ(read().m_NumberPlayers, 2);
    // Only 1 is true, except for the sound, which only 0 switches off.
    set(CCompSettings::kKey, "FirstHelp", REG_DWORD, Dword(2));
    set(CCompSettings::kKey, "SoundEffect", REG_DWORD, Dword(2));
    EXPECT_FALSE(read().m_FirstHelp);
    EXPECT_TRUE(read().m_Sound);
}

TEST(ShellSettings, NamesAreCutToWhatReadsBackAndPicturePathsKeepTheirLetters) {
    CCompSettings w;
    w.m_NumberPlayers = 4;
    w.m_NameComp[0] = QStringLiteral("Александрина"); // 12 bytes: cut to what reads back
    w.m_NameComp[1] = QStringLiteral("Аполлинарий");  // 11: fits exactly
    w.m_TableImageFile = QStringLiteral("/home/zoë/café Ελλάδα 画/") + QString(200, u'д') + ".jpg";
    ASSERT_TRUE(w.Write());
    const CCompSettings r = read();
    EXPECT_EQ(r.m_NumberPlayers, 4);
    EXPECT_EQ(r.m_NameComp[0], QStringLiteral("Александрин"));
    EXPECT_EQ(r.m_NameComp[1], w.m_NameComp[1]);
    EXPECT_EQ(r.m_TableImageFile, w.m_TableImageFile); // never cut, whatever its letters
    // A path stored in the old code page still reads.
    set(CCompSettings::kKey, "TableImage", REG_SZ,
        Cp1251FromUnicode(QStringLiteral("/home/пользователь/стол.jpg")) + '\0');
    EXPECT_EQ(read().m_TableImageFile, QStringLiteral("/home/пользователь/стол.jpg"));

    // The user's picture is shown only while its file opens.
    w.m_TableNumber = 7;
    w.m_TableImageFile = QStringLiteral("стол.bmp"); // in the test's own folder
    EXPECT_EQ(w.EffectiveTable(), 1);
    QFile(w.m_TableImageFile).open(QIODevice::WriteOnly);
    EXPECT_EQ(w.EffectiveTable(), 7);
}

TEST(ShellSettings, AWindowIsReopenedWhereItWasClosed) {
    // Width and height hold the right and bottom edges; edges that make no
    // window all take their defaults.
    EXPECT_EQ(readEdges({}), kDefault);
    EXPECT_EQ(readEdges({{"Left", -40}, {"Top", 0}, {"Width", 650}, {"Height", 574}}),
              QRect(-40, 0, 690, 574));
    EXPECT_EQ(readEdges({{"Left", 10}, {"Top", 20}}), QRect(10, 20, 780, 630));
    EXPECT_EQ(readEdges({{"Left", 500}, {"Width", 400}}), kDefault);

    QWidget frame;
    CFramePlacement first;
    first.m_rcNormalPosition = QRect(30000, 30000, 690, 550); // no screen shows it
    first.Restore(&frame);
    EXPECT_EQ(frame.geometry().marginsAdded(CFramePlacement::Decoration()), kDefault);
    EXPECT_LT(frame.height(), 550); // the caption is part of the stored height
    first.m_rcNormalPosition = QRect(30, 40, 720, 600);
    first.Restore(&frame);
    frame.showMaximized();
    ASSERT_TRUE(testutil::WaitFor([&] { return frame.isMaximized(); }));
    CFramePlacement closing;
    closing.Take(&frame);
    EXPECT_EQ(closing.m_ShowMode, CFramePlacement::kShowMaximized);
    ASSERT_TRUE(closing.Write());
    CFramePlacement reopened; // maximised, the window still has its normal place
    EXPECT_TRUE(reopened.Read());
    EXPECT_EQ(reopened.m_rcNormalPosition, QRect(30, 40, 720, 600));
}
