// The table as its window paints it, grabbed off screen, and the appearance
// choices that change it.

#include "GuiThread.h"
#include "Resources.h"
#include "TableFixture.h"
#include "Time.h"

#include <QDir>
#include <QPainter>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

const QColor kGreen(0, 128, 0);   // background 0
const QColor kIndigo(51, 0, 153); // background 5, table 6
const QColor kShaped(255, 255, 100);
const QColor kYellow(255, 255, 0);

class PaintTest : public TableFixture {
protected:
    void SetUp() override {
        TableFixture::SetUp();
        table.SetBG(0);
    }
    QColor At(QPoint p) { return window.grab().toImage().pixelColor(p); }

    // A point inside (or outside) the table's shape, within its rectangle, no widget over it.
    QPoint ShapePoint(bool inside) {
        const QRect box = table.m_TableRect;
        for (int y = box.top() + 3; y < box.bottom(); y += 7)
            for (int x = box.left() + 3; x < box.right(); x += 7)
                if (table.m_TableRgn.contains(QPoint(x, y)) == inside && !window.childAt(x, y))
                    return {x, y};
        ADD_FAILURE() << "no such point";
        return {};
    }
};

} // namespace

TEST_F(PaintTest, TablesArePaintedInTheirShapeOrFrameOverTheBackground) {
    table.SetTable(1);
    const QPoint in = ShapePoint(true), hole = ShapePoint(false), outside(150, 100);
    for (int bg : {0, 5}) { // another background is painted at once, around the same shape
        table.SetBG(bg);
        EXPECT_EQ(At(outside), bg ? kIndigo : kGreen);
        EXPECT_EQ(At(hole), bg ? kIndigo : kGreen);
        EXPECT_EQ(At(in), kShaped);
    }
    table.SetBG(0);

    // The shape follows the window's centre; the other shape is painted too.
    window.resize(1000, 700);
    ASSERT_TRUE(testutil::WaitFor([&] { return table.m_TableRect.x() == 270; }));
    table.SetTable(2);
    EXPECT_LE(std::abs(table.m_TableRgn.boundingRect().center().x() - 500), 1);
    EXPECT_EQ(At(ShapePoint(true)), kShaped);

    table.SetTable(6); // a rectangular table: its texture in a yellow frame
    const QRect frame = table.m_TableRect;
    EXPECT_EQ(At(frame.center()), kIndigo);
    EXPECT_EQ(At(frame.bottomRight()), kYellow);
    EXPECT_EQ(At(frame.topLeft() - QPoint(1, 1)), kGreen);
}

TEST_F(PaintTest, TrumpIconOneForEachSuitAndTheButtonWhileShown) {
    for (CCard* card : table.m_Pack.m_Cards) // the pack lies over the icon's place
        Take(1, {card});
    table.CorrectLocationCardsTake();
    const UINT icons[5] = {0, 8016, 8003, 8004, 8005};
    for (int mast : {1, 2, 3, 4, 0}) {
        QImage expected(32, 32, QImage::Format_RGB32);
        expected.fill(kGreen);
        if (mast)
            QPainter(&expected).drawPixmap(
                0, 0, LoadIconResource(GetModuleResources("pub"), icons[mast]).pixmap(32, 32));
        mast ? table.m_Pack.SetKozir(mast) : table.m_Pack.ResetKozir();
        const QImage shot = window.grab().toImage().copy(760, 550, 32, 32);
        EXPECT_EQ(shot.convertToFormat(QImage::Format_RGB32), expected) << mast;
    }

    const QRect button = table.m_ButtonRect;
    const QPoint edge(button.left() - 1, button.center().y());
    EXPECT_EQ(At(edge), kGreen);
    table.ShowActiveButton(QStringLiteral("Новая партия!"), true);
    EXPECT_EQ(At(edge), QColor(Qt::black));
    table.ShowActiveButton(QString(), false);
    EXPECT_EQ(At(edge), kGreen);
}

TEST_F(PaintTest, ProgViewAppliesEveryChoiceAndAPictureThatCannotBeOpenedGivesTable1) {
    table.ProgView(1050, 3); // backs: index i is back picture 37 + i
    table.ProgView(1050, 7); // no such back
    EXPECT_EQ(table.m_Pack.GetShirt(), 40);
    table.ProgView(1052, 5);
    EXPECT_EQ(At({10, 10}), kIndigo);
    table.ProgView(1052, 0);

    // A chosen file that cannot be opened gives table 1: missing, a folder, a
    // pipe (which must not hang).
    const QString fifo = QDir::current().filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& bad :
         {QDir::current().filePath("nothing.png"), QDir::currentPath(), fifo}) {
        table.ProgView(1051, 0);
        table.ProgView(1079, reinterpret_cast<LPARAM>(&bad));
        EXPECT_EQ(table.GetNumberTable(), 1) << bad.toStdString();
    }
}

namespace {

// Each pause of the dealing worker lasts until the window has been resized
// once more, so the deal and the resizes interleave however fast either runs.
// The window is resized only while the worker waits so: resizing back to back
// would starve the worker, whose every card move waits for the window's
// thread, and a deal would take minutes under the sanitizers.
std::atomic<int> g_Resizes{0};
std::atomic<bool> g_DealWaits{true};
std::atomic<bool> g_PauseWaits{false};

void PauseUntilNextResize(int) {
    if (platform::IsGuiThread())
        return;
    const int seen = g_Resizes;
    g_PauseWaits = true;
    while (g_DealWaits && g_Resizes == seen)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    g_PauseWaits = false;
}

} // namespace

TEST_F(PaintTest, AWorkerDealsRoundTheSeatsWhileTheWindowIsResizedAndPainted) {
    table.SetTable(2);
    table.m_Pack.ShowAinmationCards(true);
    table.m_Pack.CardsToPack(true);
    const platform::PauseHook counting = platform::SetPauseHook(PauseUntilNextResize);
    std::atomic<bool> done{false};
    std::thread dealer([&] {
        table.DoDistrCards(0, 2, 3);
        done = true;
    });
    const bool finished = testutil::WaitFor(
        [&] {
            if (g_PauseWaits) {
                const int resizes = g_Resizes;
                window.resize(resizes % 2 ? 800 : 1024, 600 + resizes % 3 * 50);
                window.repaint();
                ++g_Resizes;
            }
            return done.load();
        },
        60000);
    // The dealer may still wait for this thread to move a card: let it end.
    g_DealWaits = false;
    testutil::WaitFor([&] { return done.load(); }, 60000);
    dealer.join();
    platform::SetPauseHook(counting);
    ASSERT_TRUE(finished);
    EXPECT_GT(g_Resizes, 9); // at least one for each card dealt

    // Unshuffled, from seat 2: deck cards 0..8 go to 2, 3, 1, 2, 3, 1, ...; only
    // the user's face up, each where the layout of the final size puts it.
    for (int j = 0; j < 9; ++j) {
        CCard* card = table.m_Pack.GetCard(j);
        const int seat = (j + 1) % 3 + 1;
        EXPECT_EQ(card->m_Place, e_Hand) << j;
        EXPECT_EQ(card->m_Player, seat) << j;
        EXPECT_EQ(card->IsFaceShown(), seat == 1) << j;
        const QPoint place(table.m_HandX[seat - 1][j / 3], table.m_HandY[seat - 1]);
        EXPECT_TRUE(seat == 1 || card->GetCardPos() == place) << j;
    }
    EXPECT_EQ(table.GetMastKozir(), table.m_Pack.GetCard(35)->m_Mast);
    EXPECT_TRUE(table.m_Pack.GetCard(35)->IsFaceShown());
}
