// The table as its window paints it, grabbed off screen, and the appearance
// choices that change it.

#include "Cp1251.h"
#include "GuiThread.h"
#include "Resources.h"
#include "TableFixture.h"
#include "Time.h"

#include <QDir>
#include <QPainter>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
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

    QImage Grab() { return window.grab().toImage(); }

    // No card, board or panel covers the point.
    bool Free(QPoint p) {
        for (QWidget* child : window.findChildren<QWidget*>())
            if (child->isVisible() && child->geometry().contains(p))
                return false;
        return true;
    }

    // A free point inside (or outside) the table's shape, within its rectangle.
    QPoint ShapePoint(bool inside) {
        const QRect box = table.m_TableRect;
        for (int y = box.top() + 3; y < box.bottom(); y += 7)
            for (int x = box.left() + 3; x < box.right(); x += 7)
                if (table.m_TableRgn.contains(QPoint(x, y)) == inside && Free({x, y}))
                    return {x, y};
        ADD_FAILURE() << "no such point";
        return {};
    }

    // The 32 x 32 block of the trump icon against that icon (0: none) over background 0.
    bool ShowsIcon(UINT id) {
        QImage expected(32, 32, QImage::Format_RGB32);
        expected.fill(kGreen);
        if (id)
            QPainter(&expected).drawPixmap(
                0, 0, LoadIconResource(GetModuleResources("pub"), id).pixmap(32, 32));
        return Grab().copy(760, 550, 32, 32).convertToFormat(QImage::Format_RGB32) == expected;
    }
};

} // namespace

TEST_F(PaintTest, TablesArePaintedInTheirShapeOrFrameOverTheBackground) {
    table.SetTable(1);
    ASSERT_FALSE(table.m_TableRgn.isEmpty());
    EXPECT_LE((table.m_TableRgn.boundingRect().center() - QPoint(400, 300)).manhattanLength(), 2);
    const QPoint outside(150, 100);
    ASSERT_TRUE(Free(outside));
    const QPoint in = ShapePoint(true);
    const QPoint hole = ShapePoint(false);
    for (int bg : {0, 5}) { // another background is painted at once, around the same shape
        table.SetBG(bg);
        const QImage shot = Grab();
        const QColor ground = bg ? kIndigo : kGreen;
        EXPECT_EQ(shot.pixelColor(outside), ground);
        EXPECT_EQ(shot.pixelColor(hole), ground);
        EXPECT_EQ(shot.pixelColor(in), kShaped);
    }
    table.SetBG(0);

    // The shape follows the window's centre; the other shape replaces it.
    window.resize(1000, 700);
    ASSERT_TRUE(testutil::WaitFor([&] { return table.m_TableRect.x() == 270; }));
    EXPECT_LE(std::abs(table.m_TableRgn.boundingRect().center().x() - 500), 1);
    const QRegion first = table.m_TableRgn;
    table.SetTable(2);
    EXPECT_NE(table.m_TableRgn, first);
    EXPECT_EQ(Grab().pixelColor(ShapePoint(true)), kShaped);

    // A rectangular table: its texture in a yellow frame.
    table.SetTable(6);
    const QRect frame = table.m_TableRect;
    QImage shot = Grab();
    EXPECT_EQ(shot.pixelColor(frame.center()), kIndigo);
    EXPECT_EQ(shot.pixelColor(frame.topLeft()), kYellow);
    EXPECT_EQ(shot.pixelColor(frame.bottomRight()), kYellow);
    EXPECT_EQ(shot.pixelColor(frame.topLeft() - QPoint(1, 1)), kGreen);

    // Numbers outside the lists are kept; no table is drawn.
    table.SetBG(9);
    table.SetTable(12);
    EXPECT_EQ(table.GetNumberBG(), 9);
    EXPECT_EQ(table.GetNumberTable(), 12);
    shot = Grab();
    EXPECT_EQ(shot.pixelColor(frame.topLeft()), kGreen);
    EXPECT_EQ(shot.pixelColor(frame.center()), kGreen);
}

TEST_F(PaintTest, TrumpIconAtItsPlaceAfterTheDealOneIconPerSuit) {
    table.m_Pack.CardsToPack(true);
    table.DoDistrCards(0, 1, 3);
    const int kozir = table.GetMastKozir();
    ASSERT_NE(kozir, 0);
    for (CCard* card : table.m_Pack.m_Cards) // the pack lies over the icon's place
        card->m_Place = e_Take;
    table.CorrectLocationCardsTake();
    const UINT icons[5] = {0, 8016, 8003, 8004, 8005};
    EXPECT_TRUE(ShowsIcon(icons[kozir]));

    for (int mast = 1; mast <= 4; ++mast) {
        table.m_Pack.SetKozir(mast);
        EXPECT_TRUE(ShowsIcon(icons[mast])) << mast;
    }
    table.m_Pack.ResetKozir();
    EXPECT_TRUE(ShowsIcon(0));
}

TEST_F(PaintTest, TheButtonWhileShownAndTheNamesOfWhoseTurnAndWhoHoldsTheTable) {
    const QRect button = table.m_ButtonRect;
    const QPoint edge(button.left() - 1, button.center().y());
    EXPECT_EQ(Grab().pixelColor(edge), kGreen);
    table.ShowActiveButton(QStringLiteral("Новая партия!"), true);
    const QImage shot = Grab();
    EXPECT_EQ(shot.pixelColor(edge), QColor(Qt::black));
    const QImage face = LoadBitmapResource(GetModuleResources("pub"), 8023).toImage();
    EXPECT_EQ(shot.pixelColor(button.topLeft() + QPoint(2, 2)), face.pixelColor(2, 2));
    table.ShowActiveButton(QString(), false);
    EXPECT_EQ(Grab().pixelColor(edge), kGreen);

    // Highlighted names are white and underlined.
    auto white = [&]() {
        std::string seats;
        for (const CPlayer& seat : table.m_Players) {
            const bool w = seat.m_LabelName.GetColorText() == RGB(255, 255, 255);
            EXPECT_EQ(w, seat.m_LabelName.GetMyLabelLogFont().lfUnderline != 0);
            seats += w ? 'w' : '-';
        }
        return seats;
    };
    table.FlashPlayer(2);
    EXPECT_EQ(white(), "-w--");
    // Seat 3 leads: the top of the table moves to him, seat 2 is plain again.
    Put(3, e_Going, {table.m_Pack.GetCard(20)});
    table.FlashPlayer(0);
    EXPECT_EQ(white(), "--w-");
    // Only the first highlighted seat besides the holder turns back.
    table.FlashPlayer(1);
    EXPECT_EQ(white(), "w-w-");
    table.FlashPlayer(2);
    EXPECT_EQ(white(), "-ww-");
}

TEST_F(PaintTest, ProgViewAppliesEveryChoiceAndFallsBackForAMissingPicture) {
    table.ProgView(1050, 3); // backs: index i is back picture 37 + i
    table.ProgView(1050, 7); // no such back
    EXPECT_EQ(table.m_Pack.GetShirt(), 40);
    table.ProgView(1052, 5);
    EXPECT_EQ(table.GetNumberBG(), 5);
    table.ProgView(1052, 0);

    // Table 7 without a readable picture file shows no table.
    table.m_TableImageFile = QDir::current().filePath("gone.png");
    table.ProgView(1051, 7);
    EXPECT_EQ(table.GetNumberTable(), 0);
    EXPECT_EQ(Grab().pixelColor(400, 300), kGreen);

    // A chosen picture becomes table 7, stretched into the table's frame.
    const QString red = QDir::current().filePath(QStringLiteral("стол.png"));
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(red, "PNG"));
    table.ProgView(1079, reinterpret_cast<LPARAM>(&red));
    EXPECT_EQ(table.m_TableImageFile, red);
    EXPECT_EQ(table.GetNumberTable(), 7);
    EXPECT_EQ(Grab().pixelColor(400, 300), QColor(Qt::red));
    EXPECT_EQ(Grab().pixelColor(table.m_TableRect.topLeft()), kYellow);

    // What cannot be opened as a picture file turns into table 1: missing, a
    // folder, a pipe (which must not hang).
    const QString fifo = QDir::current().filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& bad : {QDir::current().filePath("nothing.png"), QDir::currentPath(), fifo}) {
        table.ProgView(1051, 0);
        table.ProgView(1079, reinterpret_cast<LPARAM>(&bad));
        EXPECT_EQ(table.GetNumberTable(), 1) << bad.toStdString();
    }
    table.ProgView(1053, 2); // another control changes nothing
    EXPECT_EQ(table.GetNumberTable(), 1);
    EXPECT_EQ(table.GetNumberBG(), 0);
}

namespace {

// Each pause of the dealing worker lasts until the window has been resized
// once more, so the deal and the resizes interleave however fast either runs.
std::atomic<int> g_Resizes{0};
std::atomic<bool> g_DealWaits{true};

void PauseUntilNextResize(int) {
    if (platform::IsGuiThread())
        return;
    const int seen = g_Resizes;
    while (g_DealWaits && g_Resizes == seen)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

TEST_F(PaintTest, ResizeAndPaintWhileAWorkerDeals) {
    table.SetTable(2);
    table.m_Pack.ShowAinmationCards(true);
    table.m_Pack.CardsToPack(true);
    const platform::PauseHook counting = platform::SetPauseHook(PauseUntilNextResize);
    std::atomic<bool> done{false};
    std::thread dealer([&] {
        table.DoDistrCards(0, 1, 3);
        done = true;
    });
    const bool finished = testutil::WaitFor(
        [&] {
            if (done)
                return true;
            const int resizes = g_Resizes;
            window.resize(resizes % 2 ? 800 : 1024, 600 + resizes % 3 * 50);
            window.repaint();
            ++g_Resizes;
            return false;
        },
        60000);
    g_DealWaits = false;
    dealer.join();
    platform::SetPauseHook(counting);
    ASSERT_TRUE(finished);
    EXPECT_GT(g_Resizes, 9); // at least one for each card dealt

    // Every card lies where the layout of the final size puts it.
    for (int seat = 2; seat <= 3; ++seat) {
        const std::vector<CCard*> hand = At(seat, e_Hand);
        ASSERT_EQ(hand.size(), 3u);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(hand[k]->GetCardPos(),
                      QPoint(table.m_HandX[seat - 1][k], table.m_HandY[seat - 1]));
    }
    EXPECT_EQ(table.m_Pack.GetCard(9)->GetCardPos(),
              QPoint(table.m_Pack.m_PackX + 1, table.m_Pack.m_PackY - 1));
    EXPECT_TRUE(
        window.rect().contains(QRect(table.m_Pack.GetCard(35)->GetCardPos(), QSize(71, 96))));
}
