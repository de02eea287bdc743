#pragma once
// The network program's log "error.log": every session and trace line as it
// happens, so a crash keeps what came before. Under $XDG_STATE_HOME/Tavlin2.0/
// (default ~/.local/state). A file of 102400 bytes or more is emptied when
// the log opens it; a smaller one grows.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <mutex>

class CNetLog {
public:
    static constexpr qint64 kLimit = 102400;

    CNetLog();
    ~CNetLog();
    CNetLog(const CNetLog&) = delete;
    CNetLog& operator=(const CNetLog&) = delete;

    // Appends a line as given (with its "\r\n"); callable from any thread.
    void Append(const char* line);
    QByteArray Text() const;
    static QString FilePath();

private:
    void Open();
    mutable std::mutex m_mutex;
    QByteArray m_text;
    QFile m_file;
    bool m_tried = false;
};
