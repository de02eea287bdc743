// The single-player program's own windows (the names dialog, the settings
// sheet, the menus and the help) and what it keeps between runs (its settings
// and the window's place).

#include "Adjustment.h"
#include "BeginHelpDlg.h"
#include "CompSettings.h"
#include "Cp1251.h"
#include "FramePlacement.h"
#include "MainMenu.h"
#include "NameDlg.h"
#include "SettingsFile.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

using testsettings::Dword;

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

void set(const char* name, DWORD type, const QByteArray& data,
         const char* key = CCompSettings::kKey) {
    ASSERT_EQ(testsettings::Set(key, name, type, data), ERROR_SUCCESS);
}

CCompSettings read() {
    CCompSettings s;
    EXPECT_TRUE(s.Read());
    return s;
}

// What a first start shows: two seats, 500 ms, a 31-point party for stars.
void expectDefaults(const CCompSettings& s) {
    EXPECT_TRUE(s.m_FirstHelp && s.m_ShowTabloVictory && s.m_ShowAnimation && s.m_Sound &&
                s.m_GameForStars && s.m_Game31 && !s.m_NoShowNameWnd);
    EXPECT_EQ(
        std::tuple(s.m_NumberPlayers, s.m_GameRate, s.m_ShirtNumber, s.m_TableNumber, s.m_BGNumber),
        std::tuple(2, 500, 37, 1, 0));
    EXPECT_EQ(QStringList({s.m_NameComp[0], s.m_NameComp[1], s.m_NameComp[2], s.m_TableImageFile}),
              QStringList({"Евлампий", "Кирилл", "Кузьма", "image.jpg"}));
}

const QRect kDefault(100, 100, 690, 550);

// Stores these edges, the others missing, and reads them as at start.
QRect readEdges(std::initializer_list<std::pair<const char*, LONG>> edges) {
    testsettings::WriteFile("[Software\\Tavlin2.0\\Public]\n");
    for (const auto& [name, value] : edges)
        set(name, REG_DWORD, Dword(static_cast<quint32>(value)), "Public");
    CFramePlacement placement;
    EXPECT_TRUE(placement.Read());
    return placement.m_rcNormalPosition;
}

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

TEST(ShellWindows, TheRulesFitUnderTheirTitle) {

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

TEST(ShellSettings, FirstStartGivesEveryDefaultAndSoDoDamagedValues) {
    expectDefaults(read());
    const std::tuple<const char*, DWORD, QByteArray> damaged[] = {
        {"Players quantity", REG_DWORD, Dword(5)},
        {"Game Rate", REG_DWORD, Dword(100000)}, // the trackbar cannot show it
        {"ShowAnimation", REG_BINARY, QByteArray(4, '\0')},
        {"Shirt Number", REG_DWORD, Dword(36)}, // a card face, not a back
        {"Table Number", REG_DWORD, Dword(8)},
        {"Background Number", REG_DWORD, Dword(7)},
        {"NameComp1", REG_SZ, Cp1251FromUnicode(QStringLiteral("Александрина")) + '\0'},
        {"NameComp2", REG_SZ, QByteArray(1, '\0')},
        {"TableImage", REG_DWORD, Dword(0)},
        {"NoShowNameWnd", REG_DWORD, Dword(1)}, // never read
    };
    for (const auto& [name, type, data] : damaged)
        set(name, type, data);
    expectDefaults(read());
}

TEST(ShellSettings, NamesAreCutToWhatReadsBackAndPicturePathsKeepTheirLetters) {
    CCompSettings w;
    w.m_NameComp[0] = QStringLiteral("Александрина"); // 12 bytes: cut to what reads back
    w.m_NameComp[1] = QStringLiteral("Аполлинарий");  // 11: fits exactly
    w.m_TableImageFile = QStringLiteral("/home/zoë/café Ελλάδα 画/") + QString(200, u'д') + ".jpg";
    ASSERT_TRUE(w.Write());
    const CCompSettings r = read();
    EXPECT_EQ(r.m_NameComp[0], QStringLiteral("Александрин"));
    EXPECT_EQ(r.m_NameComp[1], w.m_NameComp[1]);
    EXPECT_EQ(r.m_TableImageFile, w.m_TableImageFile); // never cut, whatever its letters
    // A path stored in the old code page still reads.
    set("TableImage", REG_SZ,
        Cp1251FromUnicode(QStringLiteral("/home/пользователь/стол.jpg")) + '\0');
    EXPECT_EQ(read().m_TableImageFile, QStringLiteral("/home/пользователь/стол.jpg"));
    // The user's picture is shown only while its file opens.
    w.m_TableNumber = 7;
    w.m_TableImageFile = QStringLiteral("стол.bmp"); // in the test's own folder
    EXPECT_EQ(w.EffectiveTable(), 1);
    QFile(w.m_TableImageFile).open(QIODevice::WriteOnly);
    EXPECT_EQ(w.EffectiveTable(), 7);
}

TEST(ShellSettings, AWindowIsReopenedWhereItWasClosed) {
    // Width and height hold the right and bottom edges; edges that make no
    // window all take their defaults.
    EXPECT_EQ(readEdges({}), kDefault);
    EXPECT_EQ(readEdges({{"Left", -40}, {"Top", 0}, {"Width", 650}, {"Height", 574}}),
              QRect(-40, 0, 690, 574));
    EXPECT_EQ(readEdges({{"Left", 500}, {"Width", 400}}), kDefault);

    QWidget frame;
    CFramePlacement first;
    first.m_rcNormalPosition = QRect(30000, 30000, 690, 550); // no screen shows it
    first.Restore(&frame);
    EXPECT_EQ(frame.geometry().marginsAdded(CFramePlacement::Decoration()), kDefault);
    EXPECT_LT(frame.height(), 550); // the caption is part of the stored height
    first.m_rcNormalPosition = QRect(30, 40, 720, 600);
    first.Restore(&frame);
    frame.showMaximized();
    ASSERT_TRUE(testutil::WaitFor([&] { return frame.isMaximized(); }));
    CFramePlacement closing;
    closing.Take(&frame);
    EXPECT_EQ(closing.m_ShowMode, CFramePlacement::kShowMaximized);
    ASSERT_TRUE(closing.Write());
    CFramePlacement reopened; // maximised, the window still has its normal place
    EXPECT_TRUE(reopened.Read());
    EXPECT_EQ(reopened.m_rcNormalPosition, QRect(30, 40, 720, 600));
}
