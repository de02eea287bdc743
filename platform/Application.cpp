#include "Application.h"
#include "Resources.h"

#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace platform {

bool SetUpApplication(const QString& name, const QString& desktopFileName,
                      const QString& dataFolder) {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return false;
    SetInstalledDataFolder(dataFolder);
    QCoreApplication::setApplicationName(name);
    // The desktop finds the program's entry and icon by this, not by a title suffix.
    QGuiApplication::setDesktopFileName(desktopFileName);

    // The game speaks Russian, so the dialogs Qt draws for it do too.
    auto* translator = new QTranslator(app);
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace platform
