#pragma once
// A network game opened from the command line, for desktop shortcuts and
// scripts: "--host [PORT]" creates a game, "--join ADDRESS[:PORT]" joins one.
// Both go through the "Сеть" dialog as its buttons do.

#include <QString>

class CCommandLine;
class CNetMainFrame;
class QCommandLineParser;

class CNetStart {
public:
    enum Mode { None, Host, Join };
    static constexpr unsigned kDefaultPort = 2301;

    // Declares --host, --join and the port that may follow --host.
    static void AddOptions(CCommandLine& commandLine);
    // Takes the options from a parsed command line; returns what is wrong, or nothing.
    QString Read(const QCommandLineParser& parser);
    // Queues the step on the frame, to be taken once its window stands.
    void Apply(CNetMainFrame& frame) const;

    Mode m_Mode = None;
    QString m_Address;
    unsigned m_Port = kDefaultPort;
};
