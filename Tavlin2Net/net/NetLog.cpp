#include "NetLog.h"

#include "NetDebug.h"

#include <QDir>
#include <QFileInfo>

namespace {
// A flood of one line still says it goes on, now and then.
constexpr qint64 kRepeatsPerNote = 1000;
} // namespace

CNetLog::CNetLog() = default;

CNetLog::~CNetLog() {
    std::lock_guard lock(m_mutex);
    FlushRepeats();
}

QString CNetLog::FilePath() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(base + QStringLiteral("/Tavlin2.0/error.log"));
}

// Opened on the first line, so a program that never logs never touches it.
void CNetLog::Open() {
    m_tried = true;
    const QString path = FilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    m_file.setFileName(path);
    if (m_file.exists() && m_file.open(QIODevice::ReadWrite)) {
        if (m_file.size() >= kLimit)
            m_file.resize(0);
        m_file.seek(m_file.size());
        return;
    }
    if (!m_file.open(QIODevice::WriteOnly))
        qCWarning(lcNet) << "cannot write the log" << path << m_file.errorString();
}

void CNetLog::Write(const QByteArray& text) {
    if (m_file.isOpen() && m_file.size() + text.size() > kLimit) {
        // Turned, not emptied: the lines before the limit stay one file back.
        const QString path = m_file.fileName();
        const QString previous = path + QStringLiteral(".1");
        m_file.close();
        QFile::remove(previous);
        if (!QFile::rename(path, previous))
            QFile::remove(path);
        m_text.clear();
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qCWarning(lcNet) << "cannot write the log" << path << m_file.errorString();
    } else if (!m_file.isOpen() && m_text.size() + text.size() > kLimit) {
        m_text.clear(); // no file: the copy in memory is bounded alike
    }
    m_text += text;
    if (m_file.isOpen()) {
        m_file.write(text);
        m_file.flush();
    }
}

void CNetLog::FlushRepeats() {
    if (m_repeats == 0)
        return;
    Write("  (the line above " + QByteArray::number(m_repeats) + " more times)\r\n");
    m_repeats = 0;
}

void CNetLog::Append(const char* line) {
    std::lock_guard lock(m_mutex);
    if (!m_tried)
        Open();
    FlushRepeats();
    m_last.clear();
    Write(line);
}

void CNetLog::AppendRefusal(const char* line) {
    std::lock_guard lock(m_mutex);
    if (!m_tried)
        Open();
    const QByteArray text(line);
    ++m_refusals;
    m_lastRefusal = text;
    if (!m_last.isEmpty() && text == m_last) {
        if (++m_repeats >= kRepeatsPerNote)
            FlushRepeats();
        return;
    }
    FlushRepeats();
    m_last = text;
    Write(text);
}

QByteArray CNetLog::Text() const {
    std::lock_guard lock(m_mutex);
    return m_text;
}

qint64 CNetLog::Refusals() const {
    std::lock_guard lock(m_mutex);
    return m_refusals;
}

QByteArray CNetLog::LastRefusal() const {
    std::lock_guard lock(m_mutex);
    return m_lastRefusal;
}
