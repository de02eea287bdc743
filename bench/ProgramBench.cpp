// A program as a user meets it: time from process start to the first painted
// frame of the table, resident memory after start, and CPU time and wake-ups
// while the window sits idle. Built twice: program_bench (the game against
// the computer, also memory after ten parties) and netprogram_bench (the
// network program with no session).

#ifdef ZANTA_NET_PROGRAM
#include "NetMainFrame.h"
#include "SettingsFile.h"
#else
#include "ProgramDriver.h"
#endif

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPaintEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

namespace {

double MsSinceProcessStart() {
    // Field 22 of /proc/self/stat: start time in clock ticks after boot.
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble();
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

long ResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

class FirstPaint : public QObject {
public:
    double atMs = -1;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && atMs < 0)
            atMs = MsSinceProcessStart();
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config; // a first start, with default settings
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);

    FirstPaint firstPaint;
#ifdef ZANTA_NET_PROGRAM
    // Straight to the table, without the names dialog of a first start.
    testsettings::Set("Net", "ShowNameWnd", REG_DWORD, testsettings::Dword(0));
    auto frame = std::make_unique<CNetMainFrame>();
    frame->View()->installEventFilter(&firstPaint);
    frame->show();
    frame->View()->repaint();
#else
    auto program = std::make_unique<ProgramDriver>(2, true, true);
    program->View().installEventFilter(&firstPaint);
    program->View().repaint();
#endif
    QElapsedTimer clock;
    clock.start();
    while (firstPaint.atMs < 0 && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf("first painted frame: %.0f ms after process start\n", firstPaint.atMs);
    std::printf("resident after start: %.1f MB\n", ResidentKb() / 1024.0);

    // Idle: nothing dealt, nothing moving. Count CPU and wake-ups for 3 s.
#ifdef ZANTA_NET_PROGRAM
    // Idle from here: the start's own steps (the party kind, the first
    // layout) have run their course.
    clock.restart();
    while (!frame->View()->IsIdle() && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    QEventLoop settled;
    QTimer::singleShot(500, &settled, &QEventLoop::quit);
    settled.exec();
#endif
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    rusage guiBefore{};
    getrusage(RUSAGE_THREAD, &guiBefore);
    {
        // One timer ends the wait; anything else that wakes the loop is ours.
        QEventLoop idle;
        QTimer::singleShot(3000, &idle, &QEventLoop::quit);
        idle.exec();
    }
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    rusage guiAfter{};
    getrusage(RUSAGE_THREAD, &guiAfter);
    const double cpuMs = (after.ru_utime.tv_sec - before.ru_utime.tv_sec) * 1000.0 +
                         (after.ru_utime.tv_usec - before.ru_utime.tv_usec) / 1000.0 +
                         (after.ru_stime.tv_sec - before.ru_stime.tv_sec) * 1000.0 +
                         (after.ru_stime.tv_usec - before.ru_stime.tv_usec) / 1000.0;
    std::printf("idle 3 s: %.1f ms CPU, %ld voluntary wake-ups (%ld of the window's thread)\n",
                cpuMs, after.ru_nvcsw - before.ru_nvcsw, guiAfter.ru_nvcsw - guiBefore.ru_nvcsw);

#ifdef ZANTA_NET_PROGRAM
    return 0;
#else
    program.reset();
    program = std::make_unique<ProgramDriver>(4, true);
    for (int party = 0; party < 10; ++party) {
        const QString fault = program->PlayParty();
        if (!fault.isEmpty()) {
            std::printf("party %d failed: %s\n", party + 1, qPrintable(fault));
            return 1;
        }
    }
    std::printf("resident after ten 4-player parties: %.1f MB\n", ResidentKb() / 1024.0);
    return 0;
#endif
}
