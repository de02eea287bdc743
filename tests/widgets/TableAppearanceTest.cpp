// What the user sees of the table's appearance choices: the table picture,
// the warning about missing card pictures, and sharpness on a dense screen.

#include "MessageBox.h"
#include "Public.h"
#include "Resources.h"
#include "TableView.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <thread>

namespace {

const QColor kYellow(255, 255, 0);

class TableAppearance : public testing::Test {
protected:
    void SetUp() override {
        view.table = &table;
        table.SetParent(&view);
        table.SetBG(0);
        view.resize(800, 600);
        view.show();
        ASSERT_TRUE(testutil::WaitFor([&] { return table.m_TableRect.width() == 460; }));
    }

    TableView view;
    CPublic table;
};

} // namespace

TEST_F(TableAppearance, TexturesAndFrameAreSharpAtTwoDevicePixelsPerPoint) {
    // Textures as a dense screen loads them, ratio 2, striped every device
    // pixel: red and blue on the table, green and blue behind it.
    auto stripes = [](QColor a, QColor b) {
        QImage tile(4, 4, QImage::Format_RGB32);
        for (int x = 0; x < 16; ++x)
            tile.setPixelColor(x % 4, x / 4, x % 2 ? b : a);
        QPixmap pixmap = QPixmap::fromImage(tile);
        pixmap.setDevicePixelRatio(2);
        return QBrush(pixmap);
    };
    table.SetTable(3);
    table.m_BrushTable = stripes(Qt::red, Qt::blue);
    table.m_BrushBG = stripes(Qt::green, Qt::blue);
    QImage shot(view.size() * 2, QImage::Format_RGB32);
    shot.setDevicePixelRatio(2);
    QPainter p(&shot);
    table.DrawBackGround(&p);
    p.end();
    const QRect t = table.m_TableRect;
    const int y = 2 * (t.top() + t.height() / 2);
    // The frame is one device pixel wide, not a doubled point.
    EXPECT_EQ(shot.pixelColor(2 * t.left(), y), kYellow);
    EXPECT_NE(shot.pixelColor(2 * t.left() + 1, y), kYellow);
    for (int x : {2 * t.left() + 40, 20}) {
        EXPECT_NE(shot.pixelColor(x, y), shot.pixelColor(x + 1, y)) << x;
        EXPECT_EQ(shot.pixelColor(x, y), shot.pixelColor(x + 2, y)) << x;
    }
}

TEST_F(TableAppearance, MissingCardPicturesAreToldFromAWorkerInABoxThatFitsItsText) {
    // A folder of narrow letters: the second line has more characters than
    // the first but is narrower.
    const QString folder(40, 'i');
    ASSERT_TRUE(QDir::current().mkpath(folder));
    platform::SetLibrarySearchPath({folder});
    table.m_Pack.InitPack36(&view);

    // Inspected on the next message box, which is then answered.
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<CMessageBox*>(QApplication::activeModalWidget());
        if (!box || std::exchange(seen, true))
            return;
        EXPECT_EQ(box->thread(), qApp->thread());
        EXPECT_EQ(box->windowTitle(), "Внимание");
        const QLabel* text = box->m_wndText;
        const QStringList lines = text->text().split('\n');
        EXPECT_EQ(lines.size(), 2);
        EXPECT_EQ(lines[0], "Не найдена или повреждена библиотека DeckArt.dll");
        EXPECT_TRUE(lines.back().endsWith(folder)) << lines.back().toStdString();
        EXPECT_GT(lines.back().size(), lines[0].size());
        // Every line is whole inside the box, above its button.
        for (const QString& line : lines)
            EXPECT_LE(text->fontMetrics().horizontalAdvance(line), text->width());
        EXPECT_GE(text->height(), 2 * text->fontMetrics().height());
        EXPECT_TRUE(box->rect().contains(text->geometry()));
        EXPECT_LE(text->geometry().bottom(), box->GetDlgItem(IDOK)->y());
        qobject_cast<QPushButton*>(box->GetDlgItem(IDOK))->click();
    });
    poll.start(5);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        table.m_Pack.SetShirt(39);
        done = true;
    });
    const bool finished = testutil::WaitFor([&] { return done.load(); }, 10000);
    if (!finished)
        worker.detach(); // a box stuck on the worker: fail rather than hang
    else
        worker.join();
    ASSERT_TRUE(finished);
    EXPECT_TRUE(seen);
    EXPECT_EQ(table.m_Pack.GetShirt(), 39);
}

TEST_F(TableAppearance, PictureKeepsItsNameAndOneThatCannotBeShownKeepsTheTable) {
    auto write = [](const QString& name, const QByteArray& bytes) {
        QFile file(QDir::current().filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return file.fileName();
    };
    // Letters no single-byte code page holds.
    const QString picture = QDir::current().filePath(QStringLiteral("café ελληνικά 图.png"));
    QImage red(20, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(picture, "PNG"));
    table.ProgView(1079, reinterpret_cast<LPARAM>(&picture));
    // A bad picture is told in a box naming the file; the red table and its file stay.
    const QString junk = write(QStringLiteral("битая.png"), "\x89PNG\r\n\x1a\n not really");
    testutil::ModalSeen seen;
    testutil::AnswerNextModal("ОК", &seen);
    table.ProgView(1079, reinterpret_cast<LPARAM>(&junk));
    EXPECT_TRUE(seen.answered && seen.text.contains("битая.png"));
    EXPECT_EQ(table.m_TableImageFile, picture);
    EXPECT_EQ(table.GetNumberTable(), 7);
    EXPECT_EQ(view.grab().toImage().pixelColor(table.m_TableRect.center()), QColor(Qt::red));

    // The stored picture spoilt since: choosing table 7 again keeps table 2.
    table.ProgView(1051, 2);
    write(picture, "GIF89a");
    testutil::ModalSeen again;
    testutil::AnswerNextModal("ОК", &again);
    table.ProgView(1051, 7);
    EXPECT_TRUE(again.text.contains("café ελληνικά 图.png"));
    EXPECT_EQ(table.GetNumberTable(), 2);
}
