#include "NetStart.h"

#include "CommandLine.h"
#include "NetMainFrame.h"
#include "NetSetting.h"

#include <QCommandLineParser>

namespace {

const QString kHost = QStringLiteral("host");
const QString kJoin = QStringLiteral("join");

// 1..65535, or 0 for anything else.
unsigned ReadPort(const QString& text) {
    bool ok = false;
    const unsigned port = text.toUInt(&ok);
    return ok && port >= 1 && port <= 65535 ? port : 0;
}

} // namespace

void CNetStart::AddOptions(CCommandLine& commandLine) {
    QCommandLineParser& parser = commandLine.Parser();
    parser.addOption(QCommandLineOption(
        kHost, QStringLiteral("Создать игру и ждать игроков на порту PORT (по умолчанию %1).")
                   .arg(kDefaultPort)));
    parser.addOption(QCommandLineOption(
        kJoin,
        QStringLiteral("Подключиться к игре на компьютере ADDRESS, порт PORT (по умолчанию %1).")
            .arg(kDefaultPort),
        QStringLiteral("ADDRESS[:PORT]")));
    parser.addPositionalArgument(QStringLiteral("PORT"), QStringLiteral("Порт для --host."),
                                 QStringLiteral("[PORT]"));
    commandLine.AllowPositional(1);
}

QString CNetStart::Read(const QCommandLineParser& parser) {
    const QStringList positional = parser.positionalArguments();
    const bool host = parser.isSet(kHost);
    const bool join = parser.isSet(kJoin);
    if (host && join)
        return QStringLiteral("--host и --join не задаются вместе");
    if (!positional.isEmpty() && !host)
        return QStringLiteral("лишний аргумент «%1»").arg(positional.first());

    if (host) {
        m_Mode = Host;
        if (!positional.isEmpty() && !(m_Port = ReadPort(positional.first())))
            return QStringLiteral("неверный порт «%1»: нужно число от 1 до 65535")
                .arg(positional.first());
        return {};
    }
    if (!join)
        return {};

    // ADDRESS, ADDRESS:PORT, [IPv6] or [IPv6]:PORT; a bare IPv6 address has no port.
    m_Mode = Join;
    const QString value = parser.value(kJoin).trimmed();
    QString port;
    if (value.startsWith(QLatin1Char('['))) {
        const qsizetype close = value.indexOf(QLatin1Char(']'));
        if (close < 0 || (close + 1 < value.size() && value.at(close + 1) != QLatin1Char(':')))
            return QStringLiteral("неверный адрес «%1»").arg(value);
        m_Address = value.mid(1, close - 1);
        if (close + 1 < value.size())
            port = value.mid(close + 2);
        else
            port = QString::number(kDefaultPort);
    } else if (value.count(QLatin1Char(':')) == 1) {
        m_Address = value.section(QLatin1Char(':'), 0, 0);
        port = value.section(QLatin1Char(':'), 1);
    } else {
        m_Address = value;
        port = QString::number(kDefaultPort);
    }
    if (m_Address.isEmpty())
        return QStringLiteral("в --join не указан адрес");
    if (!(m_Port = ReadPort(port)))
        return QStringLiteral("неверный порт «%1»: нужно число от 1 до 65535").arg(port);
    return {};
}

void CNetStart::Apply(CNetMainFrame& frame) const {
    if (m_Mode == Host)
        frame.OpenNetwork([port = m_Port](CNetSetting& dlg) { dlg.Create(4, port); });
    else if (m_Mode == Join)
        frame.OpenNetwork(
            [address = m_Address, port = m_Port](CNetSetting& dlg) { dlg.Connect(address, port); });
}
