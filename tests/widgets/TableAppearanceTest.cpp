// The table's appearance as the user chooses it: the appearance page, and the
// table picture in any format, or a picture that cannot be shown.

#include "PageView.h"
#include "Public.h"
#include "TableView.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Records "control:value" per notice; a picture's path is copied while the
// call lasts, as the pointer is good for no longer.
class MainWnd : public CWnd {
public:
    QStringList notices;
    QString path;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        EXPECT_EQ(message, WM_PAGE_VIEW);
        if (wParam == 1079) {
            path = *reinterpret_cast<const QString*>(lParam);
            lParam = 0;
        }
        notices << QStringLiteral("%1:%2").arg(wParam).arg(lParam);
        return 0;
    }
};

// A file of these bytes in the test's folder, its full path padded to length characters.
QString WriteFile(const QString& name, const QByteArray& bytes = {}, int length = 0) {
    const QDir dir = QDir::current();
    const int fill = length - static_cast<int>(dir.absoluteFilePath(name).size());
    QFile file(dir.absoluteFilePath(QString(qMax(fill, 0), 'p') + name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return file.fileName();
}

class PageViewTest : public testing::Test {
protected:
    void SetUp() override {
        // Qt's own file dialog, which the test can reach on any desktop.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        page.m_pMainParent = &main;
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    }

    void Click(QListWidget* list, int row, Qt::KeyboardModifiers keys = {}) {
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, keys,
                          list->visualItemRect(list->item(row)).center());
    }

    // Presses "Картинка стола" and answers its file dialog with path, or
    // cancels it when path is empty. Returns whether the dialog opened.
    bool PickPicture(const QString& path) {
        bool seen = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (modal && (!dialog || std::exchange(seen, true)))
                modal->close(); // a complaint: fails below
            else if (dialog && !path.isEmpty())
                dialog->selectFile(path), static_cast<QDialog*>(dialog)->accept(); // as Open does
            else if (dialog)
                dialog->reject();
        });
        poll.start(5);
        QTest::mouseClick(button, Qt::LeftButton);
        return seen;
    }

    MainWnd main;
    CPageView page;
    QListWidget* tables = page.m_listTables;
    QPushButton* button = qobject_cast<QPushButton*>(page.GetDlgItem(1079));
};

} // namespace

TEST_F(PageViewTest, SendsOnlyTheUsersSelectionsAndThePictureAsTheFileSystemNamesIt) {
    EXPECT_TRUE(button->isHidden());
    Click(page.m_listShirts, 3);
    Click(tables, 0);
    Click(page.m_listBg, 6);
    QTest::keyClick(tables, Qt::Key_Down);
    // Neither the selected entry again, nor Ctrl+click, nor the program's own choice.
    Click(page.m_listBg, 6);
    Click(page.m_listBg, 6, Qt::ControlModifier);
    page.m_listShirts->setCurrentRow(5);
    EXPECT_EQ(main.notices, QStringList({"1050:3", "1051:0", "1052:6", "1051:1"}));
    Click(tables, 2);
    EXPECT_TRUE(button->isHidden());
    Click(tables, 7);
    EXPECT_FALSE(button->isHidden());
    // The chosen picture is sent as the file system names it. Letters of several scripts, none of
    // them in a one-byte code page.
    const QString path = WriteFile(QStringLiteral("café ελληνικά 圖 Картинка.JPG"));
    main.notices.clear();
    EXPECT_TRUE(PickPicture(path));
    EXPECT_EQ(main.notices, QStringList({"1079:0"}));
    EXPECT_EQ(main.path, path);
    const QString longest = WriteFile(QStringLiteral("a.bmp"), {}, 259);
    PickPicture(longest);
    EXPECT_EQ(main.path, longest);
    // Cancelled, or longer than the settings keep: nothing.
    main.notices.clear();
    EXPECT_TRUE(PickPicture(QString()));
    EXPECT_TRUE(PickPicture(WriteFile(QStringLiteral("b.bmp"), {}, 260)));
    EXPECT_TRUE(main.notices.isEmpty());
}

TEST(TableAppearance, PicturesShowUprightByTheirBytesAndOnesThatCannotBeShownKeepTheTable) {
    TableView view;
    CPublic table;
    view.table = &table;
    table.SetParent(&view);
    table.SetBG(0);
    view.resize(800, 600);
    view.show();
    ASSERT_TRUE(testutil::WaitFor([&] { return table.m_TableRect.width() == 460; }));
    // A red band over a blue one, in each format; Qt writes no GIF, this one is 2 x 2.
    auto bands = [&](const QString& name, const char* format) {
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(Qt::red);
        QPainter(&image).fillRect(0, 10, 40, 10, Qt::blue);
        EXPECT_TRUE(image.save(QDir::current().filePath(name), format));
        return QDir::current().filePath(name);
    };
    const QString gif = WriteFile("t.gif", QByteArray::fromHex("47494638396102000200810000ff0000"
                                                               "0000ff0000000000002c000000000200"
                                                               "0200000203049814003b"));
    QFile bmp(bands("b.bmp", "BMP"));
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly)); // a copy claiming 30000 x 30000 pixels:
    const QByteArray huge = bmp.readAll().replace(18, 8, QByteArray::fromHex("3075000030750000"));
    const QString big = WriteFile("big.png"); // over the size any table picture needs
    ASSERT_TRUE(QFile::resize(big, 33 * 1024 * 1024));
    // Letters no single-byte code page holds; a name's extension does not
    // decide. What cannot be shown is told in a box naming the file, and the
    // table and its file stay.
    const QString picture = bands(QStringLiteral("café ελληνικά 图.png"), "PNG");
    const std::pair<QString, bool> choices[] = {
        {bands("t.jpg", "JPEG"), true},
        {gif, true},
        {bands("png.gif", "PNG"), true},
        {bmp.fileName(), true},
        {picture, true},
        {WriteFile(QStringLiteral("битая.png"), "\x89PNG\r\n\x1a\n not really"), false},
        {WriteFile("huge.bmp", huge), false},
        {big, false}};
    const QRect t = table.m_TableRect;
    QString shown;
    for (const auto& [path, good] : choices) {
        SCOPED_TRACE(path.toStdString());
        testutil::ModalSeen seen;
        if (!good)
            testutil::AnswerNextModal("ОК", &seen);
        table.ProgView(1079, reinterpret_cast<LPARAM>(&path));
        shown = good ? path : shown;
        EXPECT_EQ(seen.text.contains(QFileInfo(path).fileName()), !good);
        EXPECT_EQ(table.m_TableImageFile, shown);
        EXPECT_EQ(table.GetNumberTable(), 7);
        const QImage shot = view.grab().toImage();
        const QColor top = shot.pixelColor(t.center().x(), t.top() + t.height() / 5);
        const QColor bottom = shot.pixelColor(t.center().x(), t.bottom() - t.height() / 5);
        EXPECT_TRUE(top.red() > 200 && top.blue() < 60) << top.name().toStdString();
        EXPECT_TRUE(bottom.blue() > 200 && bottom.red() < 60) << bottom.name().toStdString();
    }

    // The stored picture spoilt since: choosing table 7 again keeps table 2.
    table.ProgView(1051, 2);
    WriteFile(picture, "GIF89a");
    testutil::ModalSeen again;
    testutil::AnswerNextModal("ОК", &again);
    table.ProgView(1051, 7);
    EXPECT_TRUE(again.text.contains("café ελληνικά 图.png"));
    EXPECT_EQ(table.GetNumberTable(), 2);
}
