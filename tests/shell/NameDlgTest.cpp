#include "NameDlg.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace {

// Acts on the names dialog once it is open modally; one that never opens
// fails the test instead of hanging it.
void onNextModal(std::function<void(CNameDlg*)> act, int attempts = 1000) {
    QTimer::singleShot(5, [act, attempts] {
        if (auto* dlg = qobject_cast<CNameDlg*>(QApplication::activeModalWidget()))
            act(dlg);
        else if (attempts > 0)
            onNextModal(act, attempts - 1);
        else
            ADD_FAILURE() << "the names dialog did not open";
    });
}

// Types as a keyboard layout would, a character (or surrogate pair) a key.
void typeText(QWidget* target, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QString ch = text.mid(i, text.at(i).isHighSurrogate() ? 2 : 1);
        i += ch.size() - 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, ch);
        QApplication::sendEvent(target, &press);
    }
}

QComboBox* combo(CNameDlg* dlg) {
    return qobject_cast<QComboBox*>(dlg->GetControl(CNameDlg::IDC_COMBO_NAME));
}

QLineEdit* edit(CNameDlg* dlg, int seat) {
    return qobject_cast<QLineEdit*>(dlg->GetControl(CNameDlg::IDC_EDIT_NAME2 + seat - 2));
}

QWidget* label(CNameDlg* dlg, int seat) {
    return dlg->GetControl(CNameDlg::IDC_STATIC_NAME2 + seat - 2);
}

void click(CNameDlg* dlg, int id) {
    QTest::mouseClick(dlg->GetControl(id), Qt::LeftButton);
}

std::unique_ptr<CNameDlg> filled(int seats) {
    auto dlg = std::make_unique<CNameDlg>();
    dlg->m_NumberPlayers = static_cast<std::uint8_t>(seats);
    dlg->m_ListNames[0] = QStringLiteral("Иван");
    dlg->m_ListNames[1] = QStringLiteral("Петр");
    dlg->m_ListNames[3] = QStringLiteral("Мария"); // slot 2 is empty
    dlg->m_strName2 = QStringLiteral("Евлампий");
    dlg->m_strName3 = QStringLiteral("Кирилл");
    dlg->m_strName4 = QStringLiteral("Кузьма");
    return dlg;
}

} // namespace

TEST(ShellNameDlg, OnlyTheSeatsInPlayAreAskedForAboveTheButtons) {
    const std::pair<int, std::vector<QString>> cases[] = {
        {2, {QStringLiteral("Игрок сверху"), {}, {}}},
        {3, {QStringLiteral("Игрок слева"), QStringLiteral("Игрок справа"), {}}},
        {4,
         {QStringLiteral("Игрок слева"), QStringLiteral("Игрок сверху"),
          QStringLiteral("Игрок справа")}},
    };
    for (const auto& [seats, labels] : cases) { // empty: hidden
        SCOPED_TRACE(seats);
        auto dlg = filled(seats);
        dlg->show();
        ASSERT_TRUE(testutil::WaitFor([&] { return dlg->isVisible(); }));
        int lastRow = combo(dlg.get())->geometry().bottom();
        for (int seat = 2; seat <= 4; ++seat) {
            const bool shown = !labels[seat - 2].isEmpty();
            EXPECT_EQ(edit(dlg.get(), seat)->isVisible(), shown) << seat;
            EXPECT_EQ(label(dlg.get(), seat)->isVisible(), shown) << seat;
            if (shown) {
                EXPECT_EQ(qobject_cast<QLabel*>(label(dlg.get(), seat))->text(), labels[seat - 2]);
                lastRow = edit(dlg.get(), seat)->geometry().bottom();
            }
        }
        for (int id : {IDOK, IDCANCEL}) {
            const QRect button = dlg->GetControl(id)->geometry();
            EXPECT_GT(button.top(), lastRow);
            EXPECT_TRUE(dlg->rect().contains(button));
        }
    }
}

TEST(ShellNameDlg, OkTakesTheNamesAsTypedAndCancelNothing) {
    auto dlg = filled(3);
    onNextModal([](CNameDlg* d) {
        EXPECT_EQ(combo(d)->currentText(), QStringLiteral("Иван"));
        ASSERT_EQ(combo(d)->count(), 2); // the remembered names, without the gap
        EXPECT_EQ(combo(d)->itemText(1), QStringLiteral("Мария"));
        combo(d)->lineEdit()->selectAll();
        typeText(combo(d)->lineEdit(), QStringLiteral("Василиса Прекрасная"));
        edit(d, 2)->selectAll();
        typeText(edit(d, 2), QStringLiteral("Рудольф"));
        click(d, IDOK);
    });
    EXPECT_EQ(dlg->DoModal(), IDOK);
    EXPECT_EQ(dlg->m_ListNames[0], QStringLiteral("Василиса П")); // ten letters at most
    EXPECT_EQ(dlg->m_strName2, QStringLiteral("Рудольф"));
    EXPECT_EQ(dlg->m_strName3, QStringLiteral("Кирилл"));
    EXPECT_EQ(dlg->m_strName4, QStringLiteral("Кузьма")); // hidden, kept

    auto blank = filled(2);
    onNextModal([](CNameDlg* d) {
        combo(d)->lineEdit()->selectAll();
        typeText(combo(d)->lineEdit(), QStringLiteral("  "));
        click(d, IDOK);
    });
    EXPECT_EQ(blank->DoModal(), IDOK);
    EXPECT_EQ(blank->m_ListNames[0], QStringLiteral("Товарищ"));

    auto cancelled = filled(4);
    onNextModal([](CNameDlg* d) {
        combo(d)->setEditText(QStringLiteral("Другой"));
        edit(d, 4)->setText(QStringLiteral("Новый"));
        click(d, IDCANCEL);
    });
    EXPECT_EQ(cancelled->DoModal(), IDCANCEL);
    EXPECT_EQ(cancelled->m_ListNames[0], QStringLiteral("Иван"));
    EXPECT_EQ(cancelled->m_strName4, QStringLiteral("Кузьма"));
}

TEST(ShellNameDlg, TheBoxesKeepToWhatANameSlotHolds) {
    auto dlg = filled(2);
    dlg->show();
    QComboBox* box = combo(dlg.get());
    ASSERT_TRUE(testutil::WaitFor([&] { return box->isVisible(); }));
    // Another name chosen, the first stays on the list to be chosen back.
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(box->count(), 3);
    EXPECT_EQ(box->findText(QStringLiteral("Иван")), 2);

    // Only Windows-1251 characters, ten at most.
    box->lineEdit()->clear();
    typeText(box->lineEdit(), QStringLiteral("Ян汉 Ёлка-№1 😀"));
    EXPECT_EQ(box->lineEdit()->text(), QStringLiteral("Ян Ёлка-№1"));
}
