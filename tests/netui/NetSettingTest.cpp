// The connection dialogs driven as a user drives them, over peer sessions on
// the loopback: the states the mode dialog shows, the waits it runs and
// abandons, and what the create and connect dialogs open on and refuse.

#include "NetSetting.h"
#include "CreateGameDlg.h"
#include "DirectPlay.h"
#include "DlgUtil.h"
#include "TestUtil.h"
#include "Wnd.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace {

// The game window's part in a connect: the outcome arrives as its message.
class GameWnd : public CWnd {
public:
    CDirectPlay dp{this};

protected:
    LRESULT WindowProc(UINT message, WPARAM, LPARAM lParam) override {
        const auto post = dp.TakePost(lParam);
        if (post && message == WM_DP_CONNECT_COMPLETE && post->result == S_OK)
            dp.m_ConnectionStatus = 2;
        return 0;
    }
};

QWidget* Ctl(const QWidget* dialog, int id) {
    return netdlg::FindControl(dialog, id);
}
void Click(QWidget* control) {
    qobject_cast<QAbstractButton*>(control)->click();
}

struct Peer {
    GameWnd wnd;
    std::unique_ptr<CNetSetting> dlg;
    Peer() {
        wnd.dp.m_BindAddress = QHostAddress::LocalHost;
        Open();
    }
    // A new dialog, as the menu opens it each time.
    void Open() {
        dlg = std::make_unique<CNetSetting>(
            wnd.dp, [] { return QStringLiteral("Игрок"); },
            [this] { return wnd.dp.Restart("Igrok") == S_OK; });
        dlg->show();
    }
    QWidget* Control(int id) const { return Ctl(dlg.get(), id); }
    QString Text(int id) const { return TextOf(Control(id)); }
    static QString TextOf(QWidget* w) {
        const char* shown = w->inherits("QGroupBox")   ? "title"
                            : w->inherits("QComboBox") ? "currentText"
                                                       : "text";
        return w->property(shown).toString();
    }
    void Press(int id) { Click(Control(id)); }
    bool Free() const {
        return dlg->windowTitle() == QStringLiteral("Выбор режима работы") &&
               Text(1059) == QStringLiteral("Подключиться к игре") && Control(1059)->isEnabled() &&
               Text(1058) == QStringLiteral("Создать игру") && Control(1058)->isEnabled() &&
               Text(1031) == QStringLiteral("не определен") && !dlg->IsWaiting();
    }
    bool Hosting() const {
        return dlg->windowTitle() == QStringLiteral("Игра работает!") &&
               Text(1062) == QStringLiteral("Статус игрока - сервер") &&
               Text(1058) == QStringLiteral("Выход из игры") && !Control(1059)->isEnabled();
    }
    bool Joined() const {
        return dlg->windowTitle() == QStringLiteral("Вы в игре!") &&
               Text(1062) == QStringLiteral("Статус игрока - клиент") &&
               Text(1059) == QStringLiteral("Выход из игры") && !Control(1058)->isEnabled() &&
               Control(1031)->isVisible() && !dlg->IsWaiting();
    }
};

// Runs fn on the next modal dialog once it is up; returns at once.
void OnNextModal(std::function<void(CDialog*)> fn) {
    auto* poll = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, clock, fn] {
        auto* modal = qobject_cast<CDialog*>(QApplication::activeModalWidget());
        if (!modal && clock->elapsed() < 5000)
            return;
        poll->stop();
        poll->deleteLater();
        if (modal)
            fn(modal);
    });
    poll->start();
}

void Type(QWidget* control, const QString& text) {
    control->setProperty(control->inherits("QComboBox") ? "currentText" : "text", text);
}

// Creates a game on port from the mode dialog.
void CreateOn(Peer& p, quint16 port) {
    OnNextModal([port](CDialog* d) {
        Type(Ctl(d, CCreateGameDlg::IDC_EDIT_PORT), QString::number(port));
        Click(Ctl(d, IDOK));
    });
    p.Press(CNetSetting::IDC_BUTTON_CREATE);
}

quint16 FreePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

class NetSettingTest : public testing::Test {
protected:
    void SetUp() override { qputenv("XDG_STATE_HOME", m_state.path().toLocal8Bit()); }
    QTemporaryDir m_state;
};

} // namespace

TEST_F(NetSettingTest, DialogsOpenOnTheirDefaultsAndRefuseABadPort) {
    Peer p;
    EXPECT_TRUE(p.Free());
    EXPECT_EQ(p.Text(1030), QStringLiteral("Игрок"));
    EXPECT_EQ(p.Text(1075), QStringLiteral("4"));
    EXPECT_TRUE(
        p.Text(1070).startsWith(QStringLiteral("\"Создать игру\" - к созданной вами игре")));

    // The connect dialog forgets what was typed in it last time.
    for (int i = 0; i < 2; ++i) {
        QString server, port;
        OnNextModal([&](CDialog* d) {
            server = Peer::TextOf(Ctl(d, 1064));
            port = Peer::TextOf(Ctl(d, 1061));
            Type(Ctl(d, 1064), QStringLiteral("example.org"));
            Type(Ctl(d, 1061), QStringLiteral("999"));
            Click(Ctl(d, IDCANCEL));
        });
        p.Press(1059);
        EXPECT_EQ(server, QStringLiteral("localhost"));
        EXPECT_EQ(port, QStringLiteral("2301"));
    }
    EXPECT_TRUE(p.Free());

    // The maximum is the session's, read again at every opening; the create
    // dialog opens on it and refuses ports out of range.
    p.wnd.dp.SetMaxPlayers(3);
    p.Open();
    EXPECT_EQ(p.Text(1075), QStringLiteral("3"));
    int refused = 0;
    OnNextModal([&](CDialog* d) {
        EXPECT_EQ(Peer::TextOf(Ctl(d, 1073)), QStringLiteral("3"));
        EXPECT_EQ(Peer::TextOf(Ctl(d, 1063)), QStringLiteral("2301"));
        for (const char* bad : {"0", "65536", ""}) {
            Type(Ctl(d, 1063), QString::fromLatin1(bad));
            testutil::ModalSeen seen;
            testutil::AnswerNextModal(QStringLiteral("ОК"), &seen);
            Click(Ctl(d, IDOK));
            refused += seen.answered && d->isVisible();
        }
        Click(Ctl(d, IDCANCEL));
    });
    p.Press(1058);
    EXPECT_EQ(refused, 3);
    EXPECT_TRUE(p.Free());
}

TEST_F(NetSettingTest, APendingConnectIsWaitedForOnOpeningAndAbandonedAtOnce) {
    QTcpServer silent; // takes the connection and never answers
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    Peer p;
    p.dlg->done(IDOK);
    ASSERT_EQ(p.wnd.dp.Connect("127.0.0.1", silent.serverPort()), DPNSUCCESS_PENDING);

    p.Open();
    ASSERT_TRUE(testutil::WaitFor([&] { return p.dlg->IsWaiting(); }, 2000));
    EXPECT_EQ(p.Text(1059), QStringLiteral("Остановить поиск!"));
    EXPECT_FALSE(p.Control(1058)->isEnabled());
    EXPECT_TRUE(p.Control(1065)->isVisible() && p.Control(1066)->isVisible());
    EXPECT_FALSE(p.Control(1031)->isVisible());

    p.Press(1059);
    EXPECT_EQ(p.wnd.dp.m_ConnectionStatus, 0);
    EXPECT_TRUE(p.Free());
    EXPECT_FALSE(p.Control(1065)->isVisible());
    EXPECT_TRUE(p.Control(1031)->isVisible());

    // Cancel in the middle of a wait leaves no connect behind either.
    ASSERT_EQ(p.wnd.dp.Connect("127.0.0.1", silent.serverPort()), DPNSUCCESS_PENDING);
    p.Open();
    ASSERT_TRUE(testutil::WaitFor([&] { return p.dlg->IsWaiting(); }, 2000));
    p.dlg->reject();
    EXPECT_FALSE(p.dlg->isVisible());
    EXPECT_EQ(p.wnd.dp.m_ConnectionStatus, 0);
}

TEST_F(NetSettingTest, ABusyPortIsReportedAndTheDialogStaysFree) {
    QTcpServer busy;
    ASSERT_TRUE(busy.listen(QHostAddress::LocalHost));
    Peer p;
    QString warned;
    p.wnd.dp.m_Warn = [&](const QString& text, const QString&) { warned = text; };
    CreateOn(p, busy.serverPort());
    EXPECT_EQ(warned, QStringLiteral("Возможно этот порт используется. Измените значение порта!"));
    EXPECT_EQ(p.wnd.dp.m_SessionState, 0);
    EXPECT_TRUE(p.Free());
}

TEST_F(NetSettingTest, HostAndJoinerEachSeeTheirSideAndLeave) {
    Peer host, joiner;
    const quint16 port = FreePort();
    ASSERT_NE(port, 0);
    CreateOn(host, port);
    EXPECT_TRUE(host.Hosting());
    EXPECT_EQ(host.Text(1031), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(host.Text(1032), QString::number(port));

    OnNextModal([port](CDialog* d) {
        Type(Ctl(d, 1064), QStringLiteral("127.0.0.1"));
        Type(Ctl(d, 1061), QString::number(port));
        Click(Ctl(d, IDOK));
    });
    joiner.Press(1059);
    ASSERT_TRUE(testutil::WaitFor([&] { return joiner.Joined(); }, 10000));
    EXPECT_EQ(joiner.Text(1031), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(joiner.Text(1032), QString::number(port));
    EXPECT_TRUE(host.Hosting());

    // Opened again once the host has seated everyone, the joiner's dialog
    // finds the host's address among the seats.
    netrec::PlayerOrderRecord order;
    order.seats[0].player = joiner.wnd.dp.m_LocalPlayer; // not the host: passed over
    order.seats[1].player = host.wnd.dp.m_LocalPlayer;
    for (int c = 0; c < netrec::kCards; ++c)
        order.cards[c] = {BYTE(1 + c % 9), BYTE(1 + c / 9), 10, 255, 255, 0};
    const QByteArray bytes = netrec::Build(order);
    ASSERT_EQ(host.wnd.dp.SendTo(bytes.constData(), bytes.size()), S_OK);
    ASSERT_TRUE(testutil::WaitFor(
        [&] { return joiner.wnd.dp.SeatOrder().seats[1].player == host.wnd.dp.m_LocalPlayer; }));
    joiner.Open();
    EXPECT_TRUE(joiner.Joined());
    EXPECT_EQ(joiner.Text(1031), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(joiner.Text(1032), QString::number(port));

    joiner.Press(1059);
    EXPECT_TRUE(joiner.Free());
    EXPECT_EQ(joiner.wnd.dp.m_SessionState, 0);
    host.Press(1058);
    EXPECT_TRUE(host.Free());
    EXPECT_EQ(host.wnd.dp.m_SessionState, 0);
}
