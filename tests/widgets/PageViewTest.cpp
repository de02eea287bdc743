#include "PageView.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

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

QString Texts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts.join(',');
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
    // cancels it when path is empty. Returns the dialog's title and the
    // filters the user reads.
    QStringList PickPicture(const QString& path) {
        QStringList seen;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !seen.isEmpty()) {
                if (QApplication::activeModalWidget())
                    QApplication::activeModalWidget()->close(); // a complaint: fails below
                return;
            }
            seen << dialog->windowTitle();
            if (auto* combo = dialog->findChild<QComboBox*>("fileTypeCombo"))
                for (int i = 0; i < combo->count(); ++i)
                    seen << combo->itemText(i);
            if (path.isEmpty())
                dialog->reject();
            else {
                dialog->selectFile(path);
                static_cast<QDialog*>(dialog)->accept(); // as its Open button does
            }
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

TEST_F(PageViewTest, OpensWithFilledListsAndSendsOnlyTheUsersSelections) {
    EXPECT_EQ(Texts(page.m_listShirts),
              "Рубашка №1,Рубашка №2,Рубашка №3,Рубашка №4,Рубашка №5,Рубашка №6,Рубашка №7");
    EXPECT_EQ(Texts(tables), "Без стола,Стол №1,Стол №2,Стол №3,Стол №4,Стол №5,Стол №6,Стол №7");
    EXPECT_EQ(Texts(page.m_listBg), "Фон №1,Фон №2,Фон №3,Фон №4,Фон №5,Фон №6,Фон №7");
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
    // Only the focused list is framed.
    EXPECT_EQ(page.m_listBg->frameStyle(), QFrame::Box | QFrame::Plain);
    EXPECT_EQ(tables->frameStyle(), QFrame::NoFrame);
}

TEST_F(PageViewTest, PictureButtonFollowsTheUsersTableChoice) {
    Click(tables, 7);
    EXPECT_FALSE(button->isHidden());
    Click(tables, 2);
    EXPECT_TRUE(button->isHidden());
    // The program's choice shows it only when the page is activated again.
    tables->setCurrentRow(7);
    EXPECT_TRUE(button->isHidden());
    QWidget other;
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(button->isHidden());
}

TEST_F(PageViewTest, ChosenPictureIsSentAsTheFileSystemNamesIt) {
    Click(tables, 7);
    main.notices.clear();
    // Letters of several scripts, none of them in a one-byte code page.
    const QString path = MakeFile(QStringLiteral("café ελληνικά 圖 Картинка.JPG"));
    EXPECT_EQ(PickPicture(path), QStringList({"Выбери картинку для фона стола",
                                              "(*.bmp;*.jpeg;*.gif)", "All Files (*.*)"}));
    EXPECT_EQ(main.notices, QStringList({"1079:0"}));
    EXPECT_EQ(main.path, path);
    const QString longest = MakeFile(QStringLiteral("a.bmp"), 259);
    PickPicture(longest);
    EXPECT_EQ(main.path, longest);

    // Cancelled, or longer than the settings keep: nothing.
    main.notices.clear();
    EXPECT_FALSE(PickPicture(QString()).isEmpty());
    EXPECT_FALSE(PickPicture(MakeFile(QStringLiteral("b.bmp"), 260)).isEmpty());
    EXPECT_TRUE(main.notices.isEmpty());

    // A main window gone before the page: nothing goes anywhere.
    auto owner = std::make_unique<MainWnd>();
    page.m_pMainParent = owner.get();
    owner.reset();
    EXPECT_FALSE(PickPicture(path).isEmpty());
    Click(tables, 6);
    EXPECT_TRUE(main.notices.isEmpty());
}
