#include "ProgramDriver.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

namespace {
struct Kind {
    int players;
    bool game31;
};
class WholeParty : public testing::TestWithParam<Kind> {};
} // namespace

TEST_P(WholeParty, PlayedByClicksToTheEnd) {
    const Kind kind = GetParam();
    ProgramDriver program(kind.players, kind.game31);
    const QString fault = program.PlayParty();
    ASSERT_TRUE(fault.isEmpty()) << fault.toStdString();
    EXPECT_GT(program.GamesChecked(), 1);
}

INSTANTIATE_TEST_SUITE_P(AllTables, WholeParty,
                         testing::Values(Kind{2, true}, Kind{3, true}, Kind{4, true},
                                         Kind{2, false}, Kind{3, false}, Kind{4, false}),
                         [](const testing::TestParamInfo<Kind>& info) {
                             return std::to_string(info.param.players) +
                                    (info.param.game31 ? "PlayersTo31" : "PlayersTo12");
                         });

// With cards gliding and turning as the user sees them, every step of a game
// leaves the screen exactly as the windows would paint it afresh.
TEST(PartyOnScreen, GlidingCardsLeaveNothingBehind) {
    ProgramDriver program(3, true, /*animate=*/true);
    CPublic& t = program.Table();
    ASSERT_TRUE(program.PressButton(ButtonText::NewParty));
    for (int move = 0; move < 40; ++move) {
        ASSERT_TRUE(program.WaitForUser());
        QRect where;
        const int stale = program.StalePixels(&where);
        ASSERT_EQ(stale, 0) << "after move " << move << ", within (" << where.x() << ", "
                            << where.y() << ") " << where.width() << " x " << where.height();
        if (t.m_ShowButton && t.m_ButtonText == ButtonText::NewParty)
            break;
        if (!program.PressButton(ButtonText::Deal))
            program.MakeUserMove();
    }
}
