#include "PageView.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
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

    // A file in the test's folder whose full path has length characters.
    static QString MakeFile(const QString& name, int length = 0) {
        const QDir dir = QDir::current();
        const int fill = length - static_cast<int>(dir.absoluteFilePath(name).size());
        QFile file(dir.absoluteFilePath(QString(qMax(fill, 0), 'p') + name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return file.fileName();
    }

    MainWnd main;
    CPageView page;
    QListWidget* tables = page.m_listTables;
    QPushButton* button = qobject_cast<QPushButton*>(page.GetDlgItem(1079));
};

} // namespace

TEST_F(PageViewTest, SendsOnlyTheUsersSelectionsAndThePictureAsTheFileSystemNamesIt) {
    EXPECT_EQ(tables->currentRow(), 1);
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
    const QString path = MakeFile(QStringLiteral("café ελληνικά 圖 Картинка.JPG"));
    main.notices.clear();
    EXPECT_TRUE(PickPicture(path));
    EXPECT_EQ(main.notices, QStringList({"1079:0"}));
    EXPECT_EQ(main.path, path);
    const QString longest = MakeFile(QStringLiteral("a.bmp"), 259);
    PickPicture(longest);
    EXPECT_EQ(main.path, longest);

    // Cancelled, or longer than the settings keep: nothing.
    main.notices.clear();
    EXPECT_TRUE(PickPicture(QString()));
    EXPECT_TRUE(PickPicture(MakeFile(QStringLiteral("b.bmp"), 260)));
    EXPECT_TRUE(main.notices.isEmpty());
}
