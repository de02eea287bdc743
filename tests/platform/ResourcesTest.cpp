#include "Resources.h"
#include "GuiThread.h"
#include "Sound.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

TEST(Resources, CardBundleBesideTheProgramHoldsEveryPictureAMissingOrDamagedOneNone) {
    HINSTANCE own = AfxGetResourceHandle();
    HMODULE deck = LoadLibrary("DeckArt.dll");
    ASSERT_NE(deck, nullptr);
    AfxSetResourceHandle(deck);
    for (UINT id = 1; id <= 43; ++id) {
        ASSERT_EQ(LoadImageResource(AfxGetResourceHandle(), id).size(), QSize(71, 96)) << id;
        ASSERT_EQ(LoadImageResource(AfxGetResourceHandle(), id, 2).size(), QSize(142, 192)) << id;
    }
    EXPECT_TRUE(LoadImageResource(deck, 44).isNull());
    AfxSetResourceHandle(own);
    EXPECT_TRUE(FreeLibrary(deck));

    QTemporaryDir folder;
    platform::SetLibrarySearchPath({folder.path()});
    EXPECT_EQ(LoadLibrary("DeckArt.dll"), nullptr);
    QFile damaged(folder.filePath("DeckArt.rcc"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("qres\0\0\0\x03 not really a bundle", 28);
    damaged.close();
    EXPECT_EQ(LoadLibrary("DeckArt.dll"), nullptr);
    platform::SetLibrarySearchPath({});
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
