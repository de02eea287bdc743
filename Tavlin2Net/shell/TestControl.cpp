#include "TestControl.h"

#include "Card.h"
#include "Dialog.h"
#include "Hand.h"
#include "NetMainFrame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLocalSocket>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSocketNotifier>
#include <QTimer>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A dump goes on one line: backslashes and line ends escaped.
QString OneLine(QString text) {
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return text;
}

void Click(QWidget* target, QPoint at) {
    const QPointF local(at);
    const QPointF global(target->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

qint64 MonotonicMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<qint64>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// When the last card click went to this table, and when the cards of the
// other players first came to lie on it and were first painted there, on
// the monotonic clock every process of the machine shares: latency
// benchmarks across programs read them. A card lies on the table once its
// window is moved there, which the step moving it has the GUI thread do
// while it waits.
class CardStamps : public QObject {
public:
    CardStamps(QObject* parent, const std::vector<CCard*>& cards) : QObject(parent) {
        for (CCard* card : cards)
            card->installEventFilter(this);
    }

    void Clicked(const CCard* card) {
        m_Click = QStringLiteral("%1 %2 %3").arg(MonotonicMicroseconds()).arg(card->m_Mast).arg(card->m_Value);
    }

    // The click, and the cards laid since the last call (0 for a card not
    // yet painted).
    QString Take() {
        QString answer = QStringLiteral("stamps click ") + m_Click + QStringLiteral(" laid");
        for (const Laid& laid : m_Laid)
            answer += QStringLiteral(" %1:%2:%3:%4")
                          .arg(laid.card->m_Mast)
                          .arg(laid.card->m_Value)
                          .arg(laid.at)
                          .arg(laid.painted);
        m_Laid.clear();
        return answer;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Move && event->type() != QEvent::Paint)
            return false;
        const auto* card = static_cast<const CCard*>(watched);
        const auto laid = std::find_if(m_Laid.begin(), m_Laid.end(),
                                       [card](const Laid& l) { return l.card == card; });
        if (event->type() == QEvent::Paint) {
            if (laid != m_Laid.end() && laid->painted == 0)
                laid->painted = MonotonicMicroseconds();
            return false;
        }
        const bool onTable = card->m_Place == e_Going || card->m_Place == e_Reset;
        if (onTable && card->m_Player != 1 && laid == m_Laid.end())
            m_Laid.push_back({card, MonotonicMicroseconds(), 0});
        return false;
    }

private:
    struct Laid {
        const CCard* card;
        qint64 at;
        qint64 painted;
    };
    QString m_Click = QStringLiteral("0 0 0");
    std::vector<Laid> m_Laid;
};

CardStamps* StampsOf(QObject* control) {
    for (QObject* child : control->children())
        if (auto* stamps = dynamic_cast<CardStamps*>(child))
            return stamps;
    return nullptr;
}

} // namespace

std::unique_ptr<CTestControl> CTestControl::FromEnvironment(CNetMainFrame* frame) {
    const QString channel = qEnvironmentVariable(kVariable);
    if (channel.isEmpty())
        return nullptr;
    return std::make_unique<CTestControl>(frame, channel);
}

CTestControl::CTestControl(CNetMainFrame* frame, const QString& channel) : m_pFrame(frame) {
    if (channel == QLatin1String("stdio")) {
        m_pStdin = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(m_pStdin, &QSocketNotifier::activated, this, &CTestControl::OnReadable);
        return;
    }
    m_pSocket = new QLocalSocket(this);
    connect(m_pSocket, &QLocalSocket::readyRead, this, &CTestControl::OnReadable);
    m_pSocket->connectToServer(channel);
    if (!m_pSocket->waitForConnected(5000))
        std::fprintf(stderr, "%s: cannot connect to %s\n", kVariable, qPrintable(channel));
}

CTestControl::~CTestControl() = default;

void CTestControl::OnReadable() {
    if (m_pSocket) {
        Feed(m_pSocket->readAll());
        return;
    }
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        m_pStdin->setEnabled(false); // the test closed our input
        return;
    }
    Feed(QByteArray(buffer, static_cast<qsizetype>(n)));
}

void CTestControl::Feed(const QByteArray& bytes) {
    m_Pending += bytes;
    qsizetype end;
    while ((end = m_Pending.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_Pending.left(end)).trimmed();
        m_Pending.remove(0, end + 1);
        if (!line.isEmpty())
            Answer(Execute(line));
    }
}

void CTestControl::Answer(const QString& text) {
    const QByteArray bytes = text.toUtf8() + '\n';
    if (m_pSocket) {
        m_pSocket->write(bytes);
        m_pSocket->flush();
    } else {
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
        std::fflush(stdout);
    }
}

QString CTestControl::Execute(const QString& line) {
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString command = words.value(0);
    CPlayNet& view = *m_pFrame->View();
    CDirectPlay& dp = view.m_DirectPlay;
    bool ok = false;
    const auto hresult = [](HRESULT hr) {
        return hr == S_OK ? QStringLiteral("ok")
                          : QStringLiteral("error 0x%1")
                                .arg(static_cast<quint32>(hr), 8, 16, QLatin1Char('0'));
    };

    if (command == QLatin1String("host")) {
        const uint port = words.value(1).toUInt(&ok);
        const int max = words.size() > 2 ? words.value(2).toInt() : 4;
        if (!ok || port > 65535 || max < 2 || max > 4)
            return QStringLiteral("error usage: host <port> [2..4]");
        dp.m_MaxPlayers = static_cast<signed char>(max);
        dp.m_BindAddress = QHostAddress::LocalHost;
        return hresult(dp.Host(nullptr, port));
    }
    if (command == QLatin1String("join")) {
        const QByteArray address = words.value(1).toLatin1();
        const uint port = words.value(2).toUInt(&ok);
        if (address.isEmpty() || !ok || port > 65535)
            return QStringLiteral("error usage: join <address> <port>");
        dp.m_BindAddress = QHostAddress::LocalHost; // a joiner listens for the later peers too
        const HRESULT hr = dp.Connect(address.constData(), port);
        return hr == DPNSUCCESS_PENDING ? QStringLiteral("ok") : hresult(hr);
    }
    if (command == QLatin1String("address")) {
        QByteArray host;
        DWORD port = 0;
        if (dp.GetLocalAddress(host, port) != S_OK)
            return QStringLiteral("error no session");
        return QStringLiteral("address %1").arg(port);
    }
    if (command == QLatin1String("pace")) {
        // The game's pauses in percent: whole parties at test speed.
        const int percent = words.value(1).toInt(&ok);
        if (!ok || percent < 1 || percent > 100)
            return QStringLiteral("error usage: pace <1..100>");
        view.m_PacePercent = percent;
        view.m_Public.m_Pack.ShowAinmationCards(false);
        return QStringLiteral("ok");
    }
    if (command == QLatin1String("stars")) {
        // Fewer stars a party to 31 points: shorter parties for tests.
        const int stars = words.value(1).toInt(&ok);
        if (!ok || stars < 1 || stars > 5)
            return QStringLiteral("error usage: stars <1..5>");
        view.m_NumberStars = stars;
        return QStringLiteral("ok");
    }
    if (command == QLatin1String("players"))
        return QStringLiteral("players %1").arg(view.NumberPlayers());
    // Nothing runs, nothing is awaited and no step of the game is armed to
    // start by itself.
    const auto settled = [&view] {
        return view.IsIdle() && !view.WaitsForPeers() && !view.HasArmedStep();
    };
    if (command == QLatin1String("idle"))
        return QStringLiteral("idle %1").arg(settled() ? 1 : 0);
    if (command == QLatin1String("dump")) {
        if (!view.IsIdle())
            return QStringLiteral("busy");
        return QStringLiteral("dump ") + OneLine(view.DumpTable());
    }
    if (command == QLatin1String("caption"))
        return QStringLiteral("caption ") + view.ButtonCaption();
    if (command == QLatin1String("button")) {
        if (view.ButtonCaption().isEmpty())
            return QStringLiteral("error no button");
        view.PressButton();
        return QStringLiteral("ok");
    }
    if (command == QLatin1String("state")) {
        // Whether this table may act, and what it has sent and received, so a
        // test can tell when nothing is on its way between the programs.
        return QStringLiteral("state canact %1 idle %2 sent %3 got %4 msg %5")
            .arg(view.CanAct() ? 1 : 0)
            .arg(settled() ? 1 : 0)
            .arg(view.RecordsSent())
            .arg(view.RecordsReceived())
            .arg(view.m_Public.m_LabelMessage.GetCaption());
    }
    if (command == QLatin1String("legal") || command == QLatin1String("where")) {
        if (!view.IsIdle())
            return QStringLiteral("busy");
        CPublic& t = view.m_Public;
        std::vector<CCard*> hand;
        // The cards the user may play now: any when answering, the led suit
        // (or any suit on an empty table) when leading.
        QString answer = QStringLiteral("legal");
        const bool read = view.ReadBetweenSteps([&] {
            hand = HandFromLeft(t.m_Pack, 1);
            if (t.m_CurrentPlayer != 1 || t.m_MoveBlocked || !view.CanAct())
                return;
            const bool leading = t.GetNumberCardsOnTable() == t.GetNumberCardsPlayerOnTable(1);
            for (size_t k = 0; k < hand.size(); ++k)
                if (!leading || t.IsMastOnTable(hand[k]->m_Mast))
                    answer += QStringLiteral(" %1").arg(k + 1);
        });
        if (!read)
            return QStringLiteral("busy");
        if (command == QLatin1String("where")) {
            // Where on the screen a user would click: a card of the hand, or the button.
            if (words.value(1) == QLatin1String("button")) {
                const QPoint at = view.mapToGlobal(t.m_ButtonRect.center());
                return QStringLiteral("where %1 %2").arg(at.x()).arg(at.y());
            }
            const int n = words.value(1).toInt(&ok);
            if (!ok || n < 1 || n > static_cast<int>(hand.size()))
                return QStringLiteral("error no card");
            const QPoint at = hand[static_cast<size_t>(n - 1)]->mapToGlobal(QPoint(30, 40));
            return QStringLiteral("where %1 %2").arg(at.x()).arg(at.y());
        }
        return answer;
    }
    if (command == QLatin1String("card")) {
        const int n = words.value(1).toInt(&ok);
        if (!ok || n < 1)
            return QStringLiteral("error usage: card <1..3>");
        if (!view.IsIdle())
            return QStringLiteral("busy");
        std::vector<CCard*> hand;
        if (!view.ReadBetweenSteps([&] { hand = HandFromLeft(view.m_Public.m_Pack, 1); }))
            return QStringLiteral("busy");
        if (n > static_cast<int>(hand.size()))
            return QStringLiteral("error no card %1").arg(n);
        if (CardStamps* stamps = StampsOf(this))
            stamps->Clicked(hand[static_cast<size_t>(n - 1)]);
        Click(hand[static_cast<size_t>(n - 1)], QPoint(30, 40));
        return QStringLiteral("ok");
    }
    if (command == QLatin1String("stamps")) {
        // The first call starts watching the cards.
        CardStamps* stamps = StampsOf(this);
        if (!stamps)
            stamps = new CardStamps(this, view.m_Public.m_Pack.m_Cards);
        return stamps->Take();
    }
    if (command == QLatin1String("enabled")) {
        const UINT id = words.value(1).toUInt(&ok);
        return ok ? QStringLiteral("enabled %1").arg(m_pFrame->IsCommandEnabled(id) ? 1 : 0)
                  : QStringLiteral("error usage: enabled <id>");
    }
    if (command == QLatin1String("menu")) {
        const UINT id = words.value(1).toUInt(&ok);
        if (!ok)
            return QStringLiteral("error usage: menu <id>");
        if (!m_pFrame->IsCommandEnabled(id))
            return QStringLiteral("disabled");
        // After the answer: the command may open a modal dialog.
        QTimer::singleShot(0, m_pFrame, [frame = m_pFrame, id] { frame->OnCommand(id); });
        return QStringLiteral("ok");
    }
    if (command == QLatin1String("modal")) {
        QWidget* modal = QApplication::activeModalWidget();
        return QStringLiteral("modal ") + (modal ? modal->windowTitle() : QStringLiteral("none"));
    }
    if (command == QLatin1String("accept")) {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            QAbstractButton* button = box->button(QMessageBox::Ok);
            if (!button && !box->buttons().isEmpty())
                button = box->buttons().first();
            if (button) {
                QTimer::singleShot(0, button, &QAbstractButton::click);
                return QStringLiteral("ok");
            }
        }
        auto* dialog = qobject_cast<CDialog*>(QApplication::activeModalWidget());
        auto* okButton =
            dialog ? qobject_cast<QAbstractButton*>(dialog->GetDlgItem(IDOK)) : nullptr;
        if (!okButton)
            return QStringLiteral("error no dialog");
        QTimer::singleShot(0, okButton, &QAbstractButton::click);
        return QStringLiteral("ok");
    }
    if (command == QLatin1String("grab")) {
        // The window as the user sees it, to a picture file.
        const QString path = words.mid(1).join(QLatin1Char(' '));
        if (path.isEmpty())
            return QStringLiteral("error usage: grab <file.png>");
        return m_pFrame->grab().save(path) ? QStringLiteral("ok") : QStringLiteral("error cannot write ") + path;
    }
    if (command == QLatin1String("quit")) {
        QTimer::singleShot(0, m_pFrame, [frame = m_pFrame] { frame->close(); });
        return QStringLiteral("ok");
    }
    return QStringLiteral("error unknown command");
}
