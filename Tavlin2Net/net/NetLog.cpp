#include "NetLog.h"

#include "NetDebug.h"

#include <QDir>
#include <QFileInfo>

CNetLog::CNetLog() = default;

CNetLog::~CNetLog() = default;

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

void CNetLog::Append(const char* line) {
    std::lock_guard lock(m_mutex);
    m_text += line;
    if (!m_tried)
        Open();
    if (m_file.isOpen()) {
        m_file.write(line);
        m_file.flush();
    }
}

QByteArray CNetLog::Text() const {
    std::lock_guard lock(m_mutex);
    return m_text;
}
