#include "TestUtil.h"

#include "Time.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QTimer>

namespace testutil {

bool WaitFor(const std::function<bool()>& cond, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!cond()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void AnswerNextModal(const QString& buttonText, ModalSeen* seen, int timeoutMs) {
    // Owned by the application, so a box that never came leaks nothing.
    auto* poll = new QTimer(qApp);
    QElapsedTimer clock;
    clock.start();
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, clock, buttonText, seen, timeoutMs] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            if (clock.elapsed() > timeoutMs) {
                poll->stop();
                poll->deleteLater();
            }
            return;
        }
        poll->stop();
        poll->deleteLater();
        if (seen) {
            seen->title = modal->windowTitle();
            QStringList texts;
            for (auto* label : modal->findChildren<QLabel*>())
                texts << label->text();
            seen->text = texts.join('\n');
            seen->answered = true;
        }
        if (buttonText.isEmpty()) {
            modal->close();
            return;
        }
        for (auto* button : modal->findChildren<QAbstractButton*>()) {
            if (button->isVisible() && button->text() == buttonText) {
                button->click();
                return;
            }
        }
        modal->close();
    });
    poll->start();
}

std::atomic<int> PauseCounter::s_count{0};
std::atomic<int> PauseCounter::s_totalMs{0};

PauseCounter::PauseCounter() {
    Reset();
    m_previous = platform::SetPauseHook(&PauseCounter::Hook);
}

PauseCounter::~PauseCounter() { platform::SetPauseHook(m_previous); }

void PauseCounter::Hook(int ms) {
    ++s_count;
    s_totalMs += ms;
}

} // namespace testutil
