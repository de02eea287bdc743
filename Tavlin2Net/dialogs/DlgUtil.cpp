#include "DlgUtil.h"

#include "MessageBox.h"

#include <QLineEdit>

namespace netdlg {

bool ParsePort(const QString& text, unsigned& port) {
    bool ok = false;
    const uint value = text.trimmed().toUInt(&ok);
    if (!ok || value < 1 || value > 65535)
        return false;
    port = value;
    return true;
}

void RefusePort(QWidget* dialog, QWidget* portEdit) {
    CMessageBox::Show(dialog, QStringLiteral("Введите целое число от 1 до 65535."),
                      dialog->windowTitle(), CMessageBox::MBF_OK);
    portEdit->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(portEdit))
        edit->selectAll();
}

} // namespace netdlg
