#pragma once
// The network program's log "error.log": every session and trace line as it
// happens, so a crash keeps what came before. Under $XDG_STATE_HOME/Tavlin2.0/
// (default ~/.local/state). A file of 102400 bytes or more is emptied when
// the log opens it; a smaller one grows. While the program runs the log stays
// bounded: at the limit it becomes error.log.1 (the one before is gone) and a
// new one begins, and a refusal repeated at once is written once with its count.

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
    // The same for a refusal of something a peer sent: the same refusal
    // again at once is only counted, so a flood writes it once.
    void AppendRefusal(const char* line);
    // What this run wrote to the current file (since the start or the last turn).
    QByteArray Text() const;
    // Every refusal of this run, counted whether written or collapsed, and the last one.
    qint64 Refusals() const;
    QByteArray LastRefusal() const;
    static QString FilePath();

private:
    void Open();
    void Write(const QByteArray& text);
    void FlushRepeats();
    mutable std::mutex m_mutex;
    QByteArray m_text;
    QFile m_file;
    bool m_tried = false;
    QByteArray m_last;  // the last refusal written, while nothing else followed
    qint64 m_repeats = 0; // times it came again since, not yet written
    qint64 m_refusals = 0;
    QByteArray m_lastRefusal;
};
