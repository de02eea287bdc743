#pragma once
// Helpers shared by the tests: waiting for a condition with a deadline while
// the event loop runs, answering modal dialogs, comparing the screen with a
// fresh paint, skipping animation pauses.

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QWidget>

#include <atomic>
#include <functional>

namespace testutil {

// Runs the event loop until cond() holds or the deadline passes.
bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 5000);

// What a test saw of the modal dialog it answered.
struct ModalSeen {
    QString title;
    QString text; // the texts of its labels, joined by newlines
    bool answered = false;
};

// When a modal dialog opens, presses its button with the given text (or
// closes it when the text is empty). Returns at once; the press happens later.
// The object behind seen must outlive the answer.
void AnswerNextModal(const QString& buttonText, ModalSeen* seen = nullptr, int timeoutMs = 5000);

// Pixels where a top-level window as it reached the screen differs from what
// its widgets paint afresh now: what moved windows left behind. Pending
// repaints are handled first; the bounds of the difference go to where.
int StalePixels(QWidget& window, QRect* where = nullptr);

// Skips the animation pauses instead of sleeping through them while alive.
class PauseCounter {
public:
    PauseCounter();
    ~PauseCounter();

private:
    void (*m_previous)(int);
};

} // namespace testutil
