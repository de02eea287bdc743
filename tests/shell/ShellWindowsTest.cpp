// The single-player program's own windows: the names dialog, the settings
// sheet, the menus and the help.

#include "Adjustment.h"
#include "BeginHelpDlg.h"
#include "HelpWnd.h"
#include "MainMenu.h"
#include "NameDlg.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QSlider>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <functional>
#include <vector>

namespace {

// Acts on the next modal dialog (or popup menu) of type W once it is open;
// one that never opens fails the test instead of hanging it.
template <class W> void onNext(std::function<void(W*)> act, int attempts = 1000) {
    QTimer::singleShot(5, [act, attempts] {
        QWidget* open = std::is_same_v<W, QMenu> ? QApplication::activePopupWidget()
                                                 : QApplication::activeModalWidget();
        if (auto* w = qobject_cast<W*>(open))
            act(w);
        else if (attempts > 0)
            onNext<W>(act, attempts - 1);
        else
            ADD_FAILURE() << "nothing opened";
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

// The game view: records "message:control:value" for what the pages tell it.
class ViewWnd : public CWnd {
public:
    QStringList notices;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        notices << QStringLiteral("%1:%2:%3").arg(message).arg(wParam).arg(lParam);
        return 0;
    }
};

} // namespace

TEST(ShellWindows, NamesDialogAsksForTheSeatsInPlayAndOkTakesTheNamesAsTyped) {
    // Seats, what the user types as their own name, the button, and the
    // names then kept: the user's and the first seat's.
    const std::tuple<int, QString, int, QString, QString> cases[] = {
        {3, "Ян汉 Ёлка😀-№1 Ъ", IDOK, "Ян Ёлка-№1", "Рудольф"}, // Windows-1251, ten at most
        {2, "  ", IDOK, "Товарищ", "Рудольф"},
        {4, "Другой", IDCANCEL, "Иван", "Евлампий"},
    };
    for (const auto& [seats, typed, button, user, second] : cases) {
        CNameDlg dlg;
        dlg.m_NumberPlayers = static_cast<std::uint8_t>(seats);
        dlg.m_ListNames[0] = QStringLiteral("Иван");
        dlg.m_ListNames[3] = QStringLiteral("Мария"); // slots 1 and 2 empty
        dlg.m_strName2 = QStringLiteral("Евлампий");
        dlg.m_strName4 = QStringLiteral("Кузьма");
        onNext<CNameDlg>([&](CNameDlg* d) {
            auto* combo = qobject_cast<QComboBox*>(d->GetControl(CNameDlg::IDC_COMBO_NAME));
            EXPECT_EQ(combo->currentText(), QStringLiteral("Иван"));
            EXPECT_EQ(combo->itemText(0), QStringLiteral("Мария")); // others remembered, no gaps
            int shown = 0; // the seats in play, above the buttons, all inside
            for (int seat = 0; seat < 3; ++seat) {
                QWidget* edit = d->GetControl(CNameDlg::IDC_EDIT_NAME2 + seat);
                EXPECT_EQ(edit->isVisible(),
                          d->GetControl(CNameDlg::IDC_STATIC_NAME2 + seat)->isVisible());
                shown += edit->isVisible();
                EXPECT_TRUE(!edit->isVisible() ||
                            edit->geometry().bottom() < d->GetControl(IDOK)->y());
            }
            EXPECT_EQ(shown, seats - 1);
            EXPECT_TRUE(d->rect().contains(d->GetControl(IDCANCEL)->geometry()));
            combo->lineEdit()->selectAll();
            typeText(combo->lineEdit(), typed);
            EXPECT_EQ(combo->lineEdit()->text(), seats == 3 ? user : typed); // as typed
            auto* edit2 = qobject_cast<QLineEdit*>(d->GetControl(CNameDlg::IDC_EDIT_NAME2));
            edit2->selectAll();
            typeText(edit2, QStringLiteral("Рудольф"));
            QTest::mouseClick(d->GetControl(button), Qt::LeftButton);
        });
        EXPECT_EQ(dlg.DoModal(), button);
        EXPECT_EQ(dlg.m_ListNames[0], user);
        EXPECT_EQ(dlg.m_strName2, second);
        EXPECT_EQ(dlg.m_strName4, QStringLiteral("Кузьма")); // hidden or cancelled: kept
    }
}

TEST(ShellWindows, SettingsPagesSetBeforeShownTellTheViewOnlyWhatTheUserDid) {
    ViewWnd view;
    QPointer<CAdjustment> sheet = new CAdjustment(&view); // a child of the view
    auto show = [&](CPropertyPage* page) {
        sheet->SetActivePage(page);
        sheet->show();
        EXPECT_TRUE(testutil::WaitFor([&] { return page->isVisible(); }));
    };
    CPagePublicSetting& page = sheet->m_PagePublicSetting;
    auto box = [&](int id) { return qobject_cast<QCheckBox*>(page.GetControl(id)); };
    page.SetGameRate(1290);
    page.SetCheck(1052, true);
    page.SetCheck(1023, false);
    page.EnableGame31(false);
    EXPECT_EQ(page.GetGameRate(), 1290);
    EXPECT_TRUE(page.GetCheck(1052) && !page.GetCheck(1023));
    EXPECT_FALSE(box(1081)->isEnabled() || box(1082)->isEnabled());
    EXPECT_TRUE(view.notices.empty());

    view.show();
    show(&page);
    page.EnableGame31(true);
    for (int id : {1023, 1052, 1079, 1079, 1082})
        QTest::mouseClick(box(id), Qt::LeftButton, {}, QPoint(5, box(id)->height() / 2));
    auto* slider = qobject_cast<QSlider*>(page.GetControl(1021));
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Home);
    EXPECT_EQ(view.notices, QStringList({"1064:1023:1", "1064:1052:0", "1064:1079:1", "1064:1079:0",
                                         "1064:1082:1", "1064:1021:0"}));

    // The appearance page reports to the view too; closing only hides the sheet.
    view.notices.clear();
    show(&sheet->m_PageView);
    QListWidget* backs = sheet->m_PageView.m_listShirts;
    QTest::mouseClick(backs->viewport(), Qt::LeftButton, {},
                      backs->visualItemRect(backs->item(2)).center());
    EXPECT_EQ(view.notices, QStringList({"1065:1050:2"}));
    sheet->close();
    EXPECT_FALSE(sheet.isNull());
}

TEST(ShellWindows, TheContextMenuAddsSettingsAndHelpWhileOpenAndF1AsksForHelp) {
    // A frame as the program's: every command recorded; "Следующая игра"
    // grayed and the 31-point party checked, as the view would have them.
    QWidget window;
    std::vector<UINT> commands;
    auto* menu = new CMainMenu(
        &window, [&](UINT id) { commands.push_back(id); },
        [](UINT id, QAction* item) {
            if (id == ID_NEXT_GAME)
                item->setEnabled(false);
            if (id == ID_GAME31 || id == ID_GAME12)
                item->setChecked(id == ID_GAME31);
        });
    const qsizetype plain = menu->GetMainPopup()->actions().size();
    onNext<QMenu>([&](QMenu* popup) {
        EXPECT_EQ(popup->actions().size(), plain + 4); // settings and help around the main items
        EXPECT_FALSE(menu->FindCommand(ID_NEXT_GAME)->isEnabled());
        EXPECT_TRUE(menu->FindCommand(ID_GAME31)->isChecked());
        popup->setActiveAction(popup->actions()[plain + 2]); // "Справка..."
        QTest::keyClick(popup, Qt::Key_Return);
    });
    EXPECT_EQ(menu->TrackPopupMenu(QPoint(50, 50)), ID_HELP_CONTENTS);
    // Handed over once, and the menu is as it was.
    EXPECT_EQ(commands, std::vector<UINT>{ID_HELP_CONTENTS});
    EXPECT_EQ(menu->GetMainPopup()->actions().size(), plain);
    onNext<QMenu>([](QMenu* popup) { QTest::keyClick(popup, Qt::Key_Escape); });
    EXPECT_EQ(menu->TrackPopupMenu(QPoint(50, 50)), 0u);

    window.show();
    window.activateWindow();
    ASSERT_TRUE(testutil::WaitFor([&] { return window.isActiveWindow(); }));
    QTest::keyClick(&window, Qt::Key_F1);
    EXPECT_EQ(commands, (std::vector<UINT>{ID_HELP_CONTENTS, ID_HELP}));
}

TEST(ShellWindows, TheHelpShowsTheBundledPageOnceAndTheRulesFitUnderTheirTitle) {
    QPointer<CHelpWnd> help = CHelpWnd::ShowHelp(nullptr);
    ASSERT_TRUE(testutil::WaitFor([&] { return help->isVisible(); }));
    EXPECT_TRUE(help->GetBrowser()->toPlainText().contains(QStringLiteral("Правила игры")));
    EXPECT_EQ(CHelpWnd::ShowHelp(nullptr), help.data()); // one window at a time

    CBeginHelpDlg dlg;
    testutil::ModalSeen seen;
    testutil::AnswerNextModal(QStringLiteral("ОК"), &seen);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(seen.text.contains(QStringLiteral("\"Первоходящий\" из игроков")));
    const QRect title = dlg.m_Title.GetTextRect();
    EXPECT_TRUE(dlg.rect().contains(title));
    auto* rules = qobject_cast<QLabel*>(dlg.GetDlgItem(CBeginHelpDlg::IDC_STATIC_RULES));
    EXPECT_LE(rules->heightForWidth(rules->width()), rules->height());
    EXPECT_GT(rules->y(), title.bottom());
    EXPECT_LT(rules->geometry().bottom(), dlg.GetDlgItem(IDOK)->y());
}
