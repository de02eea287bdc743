#pragma once
// What every program sets up on its application object before its first
// window: its name, the desktop entry it belongs to, and Qt's own Russian
// texts for the standard dialogs (file dialog, buttons), whatever the
// user's locale.
//
// No application display name is set: Qt would append it to every window
// title, and the titles are exactly the program's own.

#include <QString>

namespace platform {

// Call once, after the application object exists. dataFolder names the
// folder under share/ where the installed program finds its bundles. Returns
// false when Qt's Russian translations are not installed; the dialogs then
// speak English.
bool SetUpApplication(const QString& name, const QString& desktopFileName,
                      const QString& dataFolder = {});

} // namespace platform
