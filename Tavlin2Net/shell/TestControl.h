#pragma once
// A test-only control of the running program, off unless the environment
// variable ZANTA_TEST_CONTROL is set: "stdio" reads commands from the
// standard input and answers on the standard output; anything else is the
// name of a local socket (a QLocalServer the test listens on) the program
// connects to. One command a line, one answer line each (the README lists
// them). Hosting and joining go through the same session calls as the
// connection dialogs.

#include <QObject>
#include <QString>

#include <memory>

class CNetMainFrame;
class QLocalSocket;
class QSocketNotifier;

class CTestControl : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kVariable = "ZANTA_TEST_CONTROL";

    // Null when the variable is not set.
    static std::unique_ptr<CTestControl> FromEnvironment(CNetMainFrame* frame);

    CTestControl(CNetMainFrame* frame, const QString& channel);
    ~CTestControl() override;

    // The answer to one command line (without its newline).
    QString Execute(const QString& line);

private:
    void OnReadable();
    void Feed(const QByteArray& bytes);
    void Answer(const QString& text);

    CNetMainFrame* m_pFrame;
    QLocalSocket* m_pSocket = nullptr;
    QSocketNotifier* m_pStdin = nullptr;
    QByteArray m_Pending;
};
