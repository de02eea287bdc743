#include "Resources.h"

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
