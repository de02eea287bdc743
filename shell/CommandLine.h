#pragma once
// The programs' command line: --help, --version, the options Qt reads for
// itself (-style, -platform, ...) and the program's own. It is read before the
// application object exists, so --help and --version work without a display;
// Qt's options are left in argv for the application object to take.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <functional>

class CCommandLine {
public:
    // What the command line asks for: run the program, or print and end.
    struct Outcome {
        bool run = true;
        int status = 0;
        QString out; // for the standard output
        QString err; // for the standard error
    };

    CCommandLine(const QString& program, const QString& description);

    // The program's own options and positional arguments go here before Parse.
    QCommandLineParser& Parser() { return m_Parser; }
    void AllowPositional(int count) { m_MaxPositional = count; }

    // check runs after a clean parse and returns what is wrong, or nothing.
    Outcome Parse(const QStringList& arguments, const std::function<QString()>& check = {});

    // Writes an outcome's texts to the standard output and error.
    static void Print(const Outcome& outcome);
    static QStringList Arguments(int argc, char* argv[]);

private:
    Outcome Fail(const QString& message) const;

    QString m_Program;
    QCommandLineParser m_Parser;
    int m_MaxPositional = 0;
};
