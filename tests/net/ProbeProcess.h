#pragma once
// One session_probe process driven by a test: its own settings and temp
// folders, its output collected line by line, killed when the test ends.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class ProbeProcess {
public:
    explicit ProbeProcess(const QStringList& args);
    ~ProbeProcess();

    void Command(const QString& line);
    // Runs the event loop until a line satisfies pred (lines seen so far count).
    bool WaitLine(const std::function<bool(const QString&)>& pred, int timeoutMs = 8000);
    bool WaitLine(const QString& prefix, int timeoutMs = 8000);
    // The first line with the prefix, without it; empty when none.
    QString Find(const QString& prefix) const;
    int Count(const QString& prefix) const;
    const QStringList& Lines() const { return m_lines; }
    void Kill(int signal);
    qint64 Pid() const { return m_process.processId(); }
    // The fields of a fresh "whoami" answer.
    QString WhoAmI(int timeoutMs = 8000);
    quint16 HostedPort();

private:
    void Collect();
    QTemporaryDir m_config, m_state, m_tmp;
    QProcess m_process;
    QByteArray m_partial;
    QStringList m_lines;
};
