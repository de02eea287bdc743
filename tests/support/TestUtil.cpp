#include "TestUtil.h"

#include "Time.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cstdlib>

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

int StalePixels(QWidget& window, QRect* where) {
    QApplication::processEvents();
    // The screen keeps what was painted; a grab paints everything afresh.
    const QImage shown = window.screen()->grabWindow(window.winId()).toImage().convertToFormat(
        QImage::Format_RGB32);
    const QImage fresh = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int width = std::min(shown.width(), fresh.width());
    const int height = std::min(shown.height(), fresh.height());
    int stale = std::abs(shown.width() * shown.height() - fresh.width() * fresh.height());
    QRect bounds;
    for (int y = 0; y < height; ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(fresh.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            if (a[x] != b[x]) {
                ++stale;
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    if (where)
        *where = bounds;
    return stale;
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

PauseCounter::PauseCounter() : m_previous(platform::SetPauseHook([](int) {})) {}

PauseCounter::~PauseCounter() { platform::SetPauseHook(m_previous); }

} // namespace testutil
