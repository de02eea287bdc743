#include "FramePlacement.h"
#include "SettingsFile.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

const QRect kDefault(100, 100, 690, 550);

// Stores these edges, the others missing, and reads them as at start.
QRect readEdges(std::initializer_list<std::pair<const char*, LONG>> edges) {
    testsettings::WriteFile("[Software\\Tavlin2.0\\Public]\n");
    for (const auto& [name, value] : edges)
        testsettings::Set("Public", name, REG_DWORD,
                          testsettings::Dword(static_cast<quint32>(value)));
    CFramePlacement placement;
    EXPECT_TRUE(placement.Read());
    return placement.m_rcNormalPosition;
}

QRect outerOf(const QWidget& frame) {
    return frame.geometry().marginsAdded(CFramePlacement::Decoration());
}

} // namespace

TEST(ShellPlacement, WidthAndHeightHoldTheRightAndBottomEdges) {
    EXPECT_EQ(readEdges({}), kDefault);
    EXPECT_EQ(readEdges({{"Left", -40}, {"Top", 0}, {"Width", 650}, {"Height", 574}}),
              QRect(-40, 0, 690, 574));
    EXPECT_EQ(readEdges({{"Left", 10}, {"Top", 20}}), QRect(10, 20, 780, 630));
    // Edges that make no window all take their defaults.
    EXPECT_EQ(readEdges({{"Left", 500}, {"Width", 400}}), kDefault);
    EXPECT_EQ(readEdges({{"Left", 0x7FFFFFFF}}), kDefault);
    EXPECT_EQ(readEdges({{"Height", -2147483647 - 1}}), kDefault);
}

TEST(ShellPlacement, AWindowIsReopenedWhereItWasClosed) {
    QWidget frame;
    CFramePlacement().Restore(&frame);
    EXPECT_EQ(outerOf(frame), kDefault);
    EXPECT_LT(frame.height(), 550); // the caption is part of the stored height
    CFramePlacement first;
    first.m_rcNormalPosition = QRect(30000, 30000, 690, 550); // no screen shows it
    first.Restore(&frame);
    EXPECT_EQ(outerOf(frame), kDefault);

    first.m_rcNormalPosition = QRect(30, 40, 720, 600);
    first.Restore(&frame);
    frame.show();
    ASSERT_TRUE(testutil::WaitFor([&] { return frame.isVisible(); }));
    CFramePlacement closing;
    closing.Take(&frame);
    EXPECT_EQ(closing.m_ShowMode, CFramePlacement::kShowNormal);
    ASSERT_TRUE(closing.Write());
    CFramePlacement reopened;
    EXPECT_TRUE(reopened.Read());
    EXPECT_EQ(reopened.m_rcNormalPosition, QRect(30, 40, 720, 600));

    // Maximised, the window still has its normal place.
    frame.showMaximized();
    ASSERT_TRUE(testutil::WaitFor([&] { return frame.isMaximized(); }));
    closing.Take(&frame);
    EXPECT_EQ(closing.m_ShowMode, CFramePlacement::kShowMaximized);
    EXPECT_EQ(closing.m_rcNormalPosition, QRect(30, 40, 720, 600));
}
