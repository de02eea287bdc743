#include "ProbeProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <csignal>

ProbeProcess::ProbeProcess(const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
    env.insert(QStringLiteral("XDG_STATE_HOME"), m_state.path());
    env.insert(QStringLiteral("TMPDIR"), m_tmp.path());
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] { Collect(); });
    m_process.start(QStringLiteral(ZANTA_SESSION_PROBE), args);
    m_process.waitForStarted(5000);
}

ProbeProcess::~ProbeProcess() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

void ProbeProcess::Collect() {
    m_partial += m_process.readAllStandardOutput();
    qsizetype nl;
    while ((nl = m_partial.indexOf('\n')) >= 0) {
        m_lines << QString::fromUtf8(m_partial.left(nl));
        m_partial.remove(0, nl + 1);
    }
}

void ProbeProcess::Command(const QString& line) {
    m_process.write((line + u'\n').toUtf8());
    m_process.waitForBytesWritten(1000);
}

bool ProbeProcess::WaitLine(const std::function<bool(const QString&)>& pred, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    qsizetype seen = 0;
    for (;;) {
        Collect();
        for (; seen < m_lines.size(); ++seen) {
            if (pred(m_lines[seen]))
                return true;
        }
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        m_process.waitForReadyRead(20);
    }
}

bool ProbeProcess::WaitLine(const QString& prefix, int timeoutMs) {
    return WaitLine([&](const QString& l) { return l.startsWith(prefix); }, timeoutMs);
}

QString ProbeProcess::Find(const QString& prefix) const {
    for (const QString& l : m_lines) {
        if (l.startsWith(prefix))
            return l.mid(prefix.size());
    }
    return {};
}

int ProbeProcess::Count(const QString& prefix) const {
    int n = 0;
    for (const QString& l : m_lines)
        n += l.startsWith(prefix) ? 1 : 0;
    return n;
}

void ProbeProcess::Kill(int signal) {
    ::kill(static_cast<pid_t>(m_process.processId()), signal);
    if (signal == SIGKILL)
        m_process.waitForFinished(5000);
}

QString ProbeProcess::WhoAmI(int timeoutMs) {
    const qsizetype before = m_lines.size();
    Command(QStringLiteral("whoami"));
    QString found;
    WaitLine(
        [&](const QString& l) {
            if (l.startsWith(QLatin1String("me ")) && m_lines.indexOf(l, before) >= before) {
                found = l;
                return true;
            }
            return false;
        },
        timeoutMs);
    return found;
}

quint16 ProbeProcess::HostedPort() {
    if (!WaitLine(QStringLiteral("hosted ")))
        return 0;
    const QStringList f = Find(QStringLiteral("hosted ")).split(u' ');
    return f.value(0) == QLatin1String("0") ? static_cast<quint16>(f.value(1).toUInt()) : 0;
}
