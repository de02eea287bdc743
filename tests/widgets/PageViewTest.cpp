#include "PageView.h"
#include "Cp1251.h"
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

#include <cstring>
#include <memory>

namespace {

// Records "control:value" per notice; a picture's path is read while the call
// lasts, as the pointer is good for no longer.
class MainWnd : public CWnd {
public:
    QStringList notices;
    QString path;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        EXPECT_EQ(message, WM_PAGE_VIEW);
        if (wParam == 1079) {
            const char* text = reinterpret_cast<const char*>(lParam);
            EXPECT_LT(strnlen(text, 260), 260u);
            path = Cp1251ToUnicode(text, -1);
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
    // cancels it when path is empty. Returns the dialog's title and filters.
    QStringList PickPicture(const QString& path) {
        QStringList seen;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (!dialog || !seen.isEmpty()) {
                if (modal)
                    modal->close(); // a complaint of the dialog's: the test fails below
                return;
            }
            seen << dialog->windowTitle() << dialog->nameFilters();
            if (auto* combo = dialog->findChild<QComboBox*>("fileTypeCombo"))
                for (int i = 0; i < combo->count(); ++i)
                    seen << combo->itemText(i); // what the user reads
            if (path.isEmpty()) {
                dialog->reject();
            } else {
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
        const QString path = dir.absoluteFilePath(QString(qMax(fill, 0), 'p') + name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }

    MainWnd main;
    CPageView page;
    QListWidget* tables = page.m_listTables;
    QPushButton* button = qobject_cast<QPushButton*>(page.GetDlgItem(1079));
};

QString Texts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts.join(',');
}

} // namespace

TEST(PageView, OpensOnceWithFilledListsAndTheFirstSelections) {
    CPageView page;
    EXPECT_EQ(page.windowTitle(), "Вид программы");
    EXPECT_EQ(page.sizeHint(), page.MapDialogRect(QRect(0, 0, 242, 91)).size());
    EXPECT_EQ(page.m_listShirts->count(), 0);
    page.Create();
    page.show(); // not filled twice
    EXPECT_EQ(Texts(page.m_listShirts),
              "Рубашка №1,Рубашка №2,Рубашка №3,Рубашка №4,Рубашка №5,Рубашка №6,Рубашка №7");
    EXPECT_EQ(Texts(page.m_listTables),
              "Без стола,Стол №1,Стол №2,Стол №3,Стол №4,Стол №5,Стол №6,Стол №7");
    EXPECT_EQ(Texts(page.m_listBg), "Фон №1,Фон №2,Фон №3,Фон №4,Фон №5,Фон №6,Фон №7");
    EXPECT_EQ(page.m_listShirts->currentRow(), 0);
    EXPECT_EQ(page.m_listTables->currentRow(), 1);
    EXPECT_EQ(page.m_listBg->currentRow(), 0);
    EXPECT_TRUE(page.GetDlgItem(1079)->isHidden());
}

TEST_F(PageViewTest, UserSelectionsAreSentAndTheFocusedListFramed) {
    Click(page.m_listShirts, 3);
    Click(tables, 0);
    Click(page.m_listBg, 6);
    QTest::keyClick(tables, Qt::Key_Down);
    // Neither the selected entry again, nor Ctrl+click, nor the program's own choice.
    Click(page.m_listBg, 6);
    Click(page.m_listBg, 6, Qt::ControlModifier);
    page.m_listShirts->setCurrentRow(5);
    EXPECT_EQ(main.notices, QStringList({"1050:3", "1051:0", "1052:6", "1051:1"}));
    EXPECT_TRUE(page.m_listBg->item(6)->isSelected());

    auto framed = [&] {
        QString f;
        for (QListWidget* list : {page.m_listShirts, tables, page.m_listBg})
            f += list->frameStyle() == (QFrame::Box | QFrame::Plain) ? 'B' : '-';
        return f;
    };
    EXPECT_EQ(framed(), "--B");
    tables->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(testutil::WaitFor([&] { return tables->hasFocus(); }));
    EXPECT_EQ(framed(), "-B-");
}

TEST_F(PageViewTest, PictureButtonFollowsTheTablesList) {
    Click(tables, 7);
    EXPECT_FALSE(button->isHidden());
    Click(tables, 2);
    EXPECT_TRUE(button->isHidden());
    // The program's choice leaves the button as it was until the window is
    // activated or deactivated.
    tables->setCurrentRow(7);
    Click(tables, 7);
    EXPECT_TRUE(button->isHidden());
    QWidget other;
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(button->isHidden());
    tables->setCurrentRow(3);
    EXPECT_FALSE(button->isHidden());
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    EXPECT_TRUE(button->isHidden());
    EXPECT_EQ(main.notices, QStringList({"1051:7", "1051:2"}));
}

TEST_F(PageViewTest, ChosenPictureIsSentAsItsPathWhenItFits) {
    Click(tables, 7);
    main.notices.clear();
    const QString path = MakeFile(QStringLiteral("Картинка.JPG"));
    EXPECT_EQ(PickPicture(path),
              QStringList({"Выбери картинку для фона стола",
                           "(*.bmp;*.jpeg;*.gif) (*.bmp *.gif *.jpeg *.jpg *.JPG)",
                           "All Files (*.*) (*)", "(*.bmp;*.jpeg;*.gif)", "All Files (*.*)"}));
    EXPECT_EQ(main.notices, QStringList({"1079:0"}));
    EXPECT_EQ(main.path, path);
    const QString longest = MakeFile(QStringLiteral("a.bmp"), 259);
    PickPicture(longest);
    EXPECT_EQ(main.path, longest);

    // Cancelled, one character too long, or not in the code page: nothing.
    main.notices.clear();
    EXPECT_FALSE(PickPicture(QString()).isEmpty());
    EXPECT_FALSE(PickPicture(MakeFile(QStringLiteral("b.bmp"), 260)).isEmpty());
    EXPECT_FALSE(PickPicture(MakeFile(QStringLiteral("圖.bmp"))).isEmpty());
    EXPECT_TRUE(main.notices.isEmpty());
}

TEST_F(PageViewTest, WithoutAMainParentNothingIsSent) {
    auto owner = std::make_unique<MainWnd>();
    page.m_pMainParent = owner.get();
    Click(tables, 7);
    EXPECT_EQ(owner->notices.size(), 1);
    owner.reset(); // the main window goes before the page
    Click(tables, 6);
    Click(tables, 7);
    EXPECT_FALSE(button->isHidden());
    EXPECT_FALSE(PickPicture(MakeFile(QStringLiteral("c.bmp"))).isEmpty());
    page.SendMainParent(1050, 1);
    EXPECT_TRUE(main.notices.isEmpty());
}
