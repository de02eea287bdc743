#include "Resources.h"
#include "GuiThread.h"
#include "Sound.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

TEST(Resources, CardBundleIsFoundBesideTheProgramAndSwitchedToAndBack) {
    HINSTANCE own = AfxGetResourceHandle();
    HMODULE deck = LoadLibrary("DeckArt.dll");
    ASSERT_NE(deck, nullptr);
    AfxSetResourceHandle(deck);
    for (UINT id = 1; id <= 43; ++id) {
        const QImage normal = LoadImageResource(AfxGetResourceHandle(), id);
        const QImage sharp = LoadImageResource(AfxGetResourceHandle(), id, 2);
        ASSERT_EQ(normal.size(), QSize(71, 96)) << id;
        ASSERT_EQ(sharp.size(), QSize(142, 192)) << id;
    }
    EXPECT_TRUE(LoadImageResource(deck, 44).isNull());
    AfxSetResourceHandle(own);
    EXPECT_TRUE(FreeLibrary(deck));
    EXPECT_EQ(AfxGetResourceHandle(), own);
}

TEST(Resources, MissingOrDamagedBundleIsNull) {
    QTemporaryDir folder;
    platform::SetLibrarySearchPath({folder.path()});
    EXPECT_EQ(LoadLibrary("DeckArt.dll"), nullptr);
    QFile damaged(folder.filePath("DeckArt.rcc"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("qres\0\0\0\x03 not really a bundle", 28);
    damaged.close();
    EXPECT_EQ(LoadLibrary("DeckArt.dll"), nullptr);
    platform::SetLibrarySearchPath({});
    EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST(Sound, ToneWaveHasAValidHeaderAndLength) {
    const QByteArray wave = platform::MakeToneWave(900, 100, 22050);
    ASSERT_EQ(wave.size(), 44 + 2205 * 2);
    EXPECT_EQ(wave.left(4) + wave.mid(8, 8), "RIFFWAVEfmt ");
    EXPECT_EQ(qFromLittleEndian<quint32>(wave.constData() + 40), 2205u * 2);
    // Faded in: the first sample is silent, the middle is not.
    EXPECT_EQ(qFromLittleEndian<qint16>(wave.constData() + 44), 0);
    qint16 peak = 0;
    for (int i = 0; i < 2205; ++i)
        peak = std::max<qint16>(peak, qFromLittleEndian<qint16>(wave.constData() + 44 + 2 * i));
    EXPECT_GT(peak, 8000);
}

TEST(Sound, BeepNeverBlocksAndIsSilentWithoutADevice) {
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(Beep(900, 500));
    EXPECT_FALSE(Beep(10, 100)); // below the audible range the old call refused too
    EXPECT_LT(clock.elapsed(), 400);
    bool drained = false;
    platform::PostToGuiThread([&] { drained = true; });
    EXPECT_TRUE(testutil::WaitFor([&] { return drained; }));
    platform::StopAllSounds();
}
