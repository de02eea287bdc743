#include "GuiThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace platform {
namespace {

struct Job {
    std::function<void()> fn;
    bool blocking = false;
    bool done = false;
};

class Dispatcher : public QObject {
public:
    static Dispatcher& instance() {
        static Dispatcher* d = new Dispatcher; // lives as long as the process
        return *d;
    }

    void enqueue(const std::shared_ptr<Job>& job) {
        {
            std::lock_guard lock(m_mutex);
            m_jobs.push_back(job);
        }
        wake();
    }

    void waitFor(const std::shared_ptr<Job>& job) {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [&] { return job->done; });
    }

    void drain() {
        for (;;) {
            std::shared_ptr<Job> job;
            {
                std::lock_guard lock(m_mutex);
                if (m_jobs.empty())
                    return;
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            job->fn();
            if (job->blocking) {
                std::lock_guard lock(m_mutex);
                job->done = true;
                m_done.notify_all();
            }
        }
    }

protected:
    bool event(QEvent* e) override {
        // A wake event is made on a worker; taking the lock it was made under
        // orders that before our reading it and Qt's freeing it, for thread
        // checkers that cannot see Qt's own queue lock.
        { std::lock_guard lock(m_mutex); }
        if (e->type() != wakeType())
            return QObject::event(e);
        m_wakePending.store(false);
        drain();
        return true;
    }

private:
    Dispatcher() {
        if (auto* app = QCoreApplication::instance())
            moveToThread(app->thread());
    }

    static QEvent::Type wakeType() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

    void wake() {
        // One pending wake is enough: the handler drains the whole queue.
        if (m_wakePending.exchange(true))
            return;
        QEvent* e = nullptr;
        {
            std::lock_guard lock(m_mutex);
            e = new QEvent(wakeType());
        }
        QCoreApplication::postEvent(this, e);
    }

    std::mutex m_mutex;
    std::condition_variable m_done;
    std::deque<std::shared_ptr<Job>> m_jobs;
    std::atomic<bool> m_wakePending{false};
};

// Created with the application, on its thread, so that a worker's first call
// finds the dispatcher already living on the GUI thread.
void createDispatcher() { Dispatcher::instance(); }
Q_COREAPP_STARTUP_FUNCTION(createDispatcher)

} // namespace

bool IsGuiThread() {
    auto* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

void RunOnGuiThread(const std::function<void()>& fn) {
    if (IsGuiThread()) {
        fn();
        return;
    }
    auto job = std::make_shared<Job>();
    job->fn = fn;
    job->blocking = true;
    Dispatcher::instance().enqueue(job);
    Dispatcher::instance().waitFor(job);
}

void PostToGuiThread(std::function<void()> fn) {
    auto job = std::make_shared<Job>();
    job->fn = std::move(fn);
    Dispatcher::instance().enqueue(job);
}

void DrainGuiQueue() {
    if (IsGuiThread())
        Dispatcher::instance().drain();
}

} // namespace platform
