// What the user sees of the table's appearance choices: the table picture in
// any format, pictures that cannot be shown, and the warning about missing
// card pictures.

#include "MessageBox.h"
#include "Public.h"
#include "Resources.h"
#include "TableView.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
        EXPECT_EQ(lines[0], "Не найдена или повреждена библиотека DeckArt.dll");
        EXPECT_TRUE(lines.back().endsWith(folder)) << lines.back().toStdString();
        // Each line is whole inside the box, above its button: pixels decide, not characters.
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

TEST_F(TableAppearance, PicturesShowUprightByTheirBytesAndOnesThatCannotBeShownKeepTheTable) {
    auto write = [](const QString& name, const QByteArray& bytes) {
        QFile file(QDir::current().filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return file.fileName();
    };
    // A red band over a blue one, in each format; Qt writes no GIF, this one is 2 x 2.
    auto bands = [&](const QString& name, const char* format) {
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(Qt::red);
        QPainter(&image).fillRect(0, 10, 40, 10, Qt::blue);
        EXPECT_TRUE(image.save(QDir::current().filePath(name), format));
        return QDir::current().filePath(name);
    };
    const QString gif = write("t.gif", QByteArray::fromHex("47494638396102000200810000ff0000"
                                                           "0000ff0000000000002c000000000200"
                                                           "0200000203049814003b"));
    QFile bmp(bands("b.bmp", "BMP"));
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly)); // a copy claiming 30000 x 30000 pixels:
    const QByteArray huge = bmp.readAll().replace(18, 8, QByteArray::fromHex("3075000030750000"));
    QFile big(QDir::current().filePath("big.png")); // over the size any table picture needs
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(33 * 1024 * 1024));
    big.close();
    // Letters no single-byte code page holds; a name's extension does not decide.
    const QString picture = bands(QStringLiteral("café ελληνικά 图.png"), "PNG");
    const QString pictures[] = {bands("t.jpg", "JPEG"), gif, bands("png.gif", "PNG"),
                                bmp.fileName(), picture};
    const QString refused[] = {write(QStringLiteral("битая.png"), "\x89PNG\r\n\x1a\n not really"),
                               write("huge.bmp", huge), big.fileName()};
    const QRect t = table.m_TableRect;
    auto expectShown = [&](const QString& path) {
        EXPECT_EQ(table.m_TableImageFile, path);
        EXPECT_EQ(table.GetNumberTable(), 7);
        const QImage shot = view.grab().toImage();
        const QColor top = shot.pixelColor(t.center().x(), t.top() + t.height() / 5);
        const QColor bottom = shot.pixelColor(t.center().x(), t.bottom() - t.height() / 5);
        EXPECT_TRUE(top.red() > 200 && top.blue() < 60) << top.name().toStdString();
        EXPECT_TRUE(bottom.blue() > 200 && bottom.red() < 60) << bottom.name().toStdString();
    };
    for (const QString& path : pictures) {
        SCOPED_TRACE(path.toStdString());
        table.ProgView(1079, reinterpret_cast<LPARAM>(&path));
        expectShown(path);
    }
    // Told in a box naming the file; the table and its file stay.
    for (const QString& path : refused) {
        SCOPED_TRACE(path.toStdString());
        testutil::ModalSeen seen;
        testutil::AnswerNextModal("ОК", &seen);
        table.ProgView(1079, reinterpret_cast<LPARAM>(&path));
        EXPECT_TRUE(seen.answered && seen.text.contains(QFileInfo(path).fileName()));
        expectShown(picture);
    }

    // The stored picture spoilt since: choosing table 7 again keeps table 2.
    table.ProgView(1051, 2);
    write(picture, "GIF89a");
    testutil::ModalSeen again;
    testutil::AnswerNextModal("ОК", &again);
    table.ProgView(1051, 7);
    EXPECT_TRUE(again.text.contains("café ελληνικά 图.png"));
    EXPECT_EQ(table.GetNumberTable(), 2);
}
