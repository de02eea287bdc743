#include "CommandLine.h"

#include <cstdio>

#ifndef ZANTA_VERSION
#define ZANTA_VERSION "0"
#endif

namespace {

// Options QGuiApplication and QApplication take from argv themselves.
const char* const kQtValueOptions[] = {"platform",        "platformpluginpath",
                                       "platformtheme",   "plugin",
                                       "qwindowgeometry", "qwindowicon",
                                       "qwindowtitle",    "display",
                                       "geometry",        "style",
                                       "stylesheet",      "session"};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

} // namespace

CCommandLine::CCommandLine(const QString& program, const QString& description)
    : m_Program(program) {
    // Qt's own options are single-dash words (-style), not bundles of letters.
    m_Parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_Parser.setApplicationDescription(description);
    // Our own help and version options: Qt's would offer --help-all for the
    // Qt options we keep out of the help.
    m_Parser.addOption(
        QCommandLineOption({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
                           QStringLiteral("Показать эту справку и выйти.")));
    m_Parser.addOption(QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")},
                                          QStringLiteral("Показать версию программы и выйти.")));
    for (const char* name : kQtValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_Parser.addOption(option);
    }
    for (const char* name : kQtFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_Parser.addOption(option);
    }
}

CCommandLine::Outcome CCommandLine::Fail(const QString& message) const {
    Outcome outcome;
    outcome.run = false;
    outcome.status = 1;
    outcome.err =
        QStringLiteral("%1: %2\nСправка по параметрам: %1 --help\n").arg(m_Program, message);
    return outcome;
}

CCommandLine::Outcome CCommandLine::Parse(const QStringList& arguments,
                                          const std::function<QString()>& check) {
    // The program's own name, whatever path it was started by.
    QStringList args = arguments;
    if (args.isEmpty())
        args << m_Program;
    else
        args.first() = m_Program;
    if (!m_Parser.parse(args))
        return Fail(m_Parser.errorText());

    Outcome outcome;
    if (m_Parser.isSet(QStringLiteral("help"))) {
        outcome.run = false;
        // Qt names the program by the application object's first argument, or
        // "<executable_name>" before there is one: the usage line names ours.
        outcome.out = m_Parser.helpText();
        const QString usage = QStringLiteral("Usage: ");
        if (const qsizetype end = outcome.out.indexOf(QLatin1Char(' '), usage.size());
            outcome.out.startsWith(usage) && end > 0)
            outcome.out.replace(usage.size(), end - usage.size(), m_Program);
        return outcome;
    }
    if (m_Parser.isSet(QStringLiteral("version"))) {
        outcome.run = false;
        outcome.out = QStringLiteral("%1 %2\n").arg(m_Program, QStringLiteral(ZANTA_VERSION));
        return outcome;
    }
    const QStringList positional = m_Parser.positionalArguments();
    if (positional.size() > m_MaxPositional)
        return Fail(QStringLiteral("лишний аргумент «%1»").arg(positional.value(m_MaxPositional)));
    if (check) {
        if (const QString problem = check(); !problem.isEmpty())
            return Fail(problem);
    }
    return outcome;
}

void CCommandLine::Print(const Outcome& outcome) {
    if (!outcome.out.isEmpty())
        std::fputs(outcome.out.toLocal8Bit().constData(), stdout);
    if (!outcome.err.isEmpty())
        std::fputs(outcome.err.toLocal8Bit().constData(), stderr);
    std::fflush(stdout);
    std::fflush(stderr);
}

QStringList CCommandLine::Arguments(int argc, char* argv[]) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}
