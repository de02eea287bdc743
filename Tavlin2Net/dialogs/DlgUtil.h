#pragma once
// What the connection dialogs share: their controls carry their numeric ids
// as object names, so the dialogs and whoever drives them find any control
// the same way; and the port check of the create and connect dialogs.

#include <QString>
#include <QWidget>

namespace netdlg {

template <class W> W* WithId(W* control, int id) {
    control->setObjectName(QString::number(id));
    return control;
}

// Null for an id the dialog does not have.
inline QWidget* FindControl(const QWidget* dialog, int id) {
    return dialog->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

// The port as the user typed it, when it is a number 1..65535.
bool ParsePort(const QString& text, unsigned& port);

// Tells the user what a port may be and returns to its field.
void RefusePort(QWidget* dialog, QWidget* portEdit);

} // namespace netdlg
