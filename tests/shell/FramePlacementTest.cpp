#include "FramePlacement.h"
#include "Registry.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

const QRect kDefault(100, 100, 690, 550);

// Stores the edges, the others missing, and reads them as at start; no edges
// reads what is there.
QRect readEdges(std::initializer_list<std::pair<const char*, LONG>> edges) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, CFramePlacement::kKey, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    for (const char* name : {"Left", "Top", "Width", "Height"}) {
        if (edges.size() != 0)
            RegDeleteValue(key, name);
    }
    for (const auto& [name, value] : edges)
        RegSetValueEx(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    RegCloseKey(key);
    CFramePlacement placement;
    EXPECT_TRUE(placement.Read());
    return placement.m_rcNormalPosition;
}

// The outer rectangle a frame stands at.
QRect outerOf(const QWidget& frame) {
    return frame.geometry().marginsAdded(CFramePlacement::Decoration());
}

} // namespace

TEST(ShellPlacement, DefaultsGiveA690By550WindowAt100And100) {
    EXPECT_EQ(readEdges({}), kDefault);
    QWidget frame;
    CFramePlacement().Restore(&frame);
    EXPECT_EQ(outerOf(frame), kDefault);
    EXPECT_EQ(frame.size(), CFramePlacement::ClientSize(QSize(690, 550)));
    EXPECT_LT(frame.height(), 550); // the caption is part of the stored height

    // A place no screen shows is no place to open at.
    CFramePlacement lost;
    lost.m_rcNormalPosition = QRect(30000, 30000, 690, 550);
    lost.Restore(&frame);
    EXPECT_EQ(outerOf(frame), kDefault);
}

TEST(ShellPlacement, WidthAndHeightHoldTheRightAndBottomEdges) {
    EXPECT_EQ(readEdges({{"Left", 200}, {"Top", 50}, {"Width", 900}, {"Height", 700}}),
              QRect(200, 50, 700, 650));
    EXPECT_EQ(readEdges({{"Left", -40}, {"Top", 0}, {"Width", 650}, {"Height", 574}}),
              QRect(-40, 0, 690, 574));
    // A missing edge is its own default.
    EXPECT_EQ(readEdges({{"Left", 10}, {"Top", 20}}), QRect(10, 20, 780, 630));
}

TEST(ShellPlacement, EdgesThatMakeNoWindowAllTakeTheDefaults) {
    EXPECT_EQ(readEdges({{"Left", 500}, {"Width", 400}}), kDefault);
    EXPECT_EQ(readEdges({{"Top", 650}}), kDefault);
    EXPECT_EQ(readEdges({{"Left", 0x7FFFFFFF}}), kDefault);
    EXPECT_EQ(readEdges({{"Height", -2147483647 - 1}}), kDefault);
}

TEST(ShellPlacement, AWindowIsReopenedWhereItWasClosed) {
    QWidget frame;
    CFramePlacement first;
    first.m_rcNormalPosition = QRect(30, 40, 720, 600);
    first.Restore(&frame);
    frame.show();
    ASSERT_TRUE(testutil::WaitFor([&] { return frame.isVisible(); }));
    CFramePlacement closing;
    closing.Take(&frame);
    EXPECT_EQ(closing.m_ShowMode, CFramePlacement::kShowNormal);
    ASSERT_TRUE(closing.Write());
    EXPECT_EQ(readEdges({}), QRect(30, 40, 720, 600)); // Width 750, Height 640 stored

    // Maximised, the window still has its normal place.
    frame.showMaximized();
    ASSERT_TRUE(testutil::WaitFor([&] { return frame.isMaximized(); }));
    closing.Take(&frame);
    EXPECT_EQ(closing.m_ShowMode, CFramePlacement::kShowMaximized);
    EXPECT_EQ(closing.m_rcNormalPosition, QRect(30, 40, 720, 600));
}
