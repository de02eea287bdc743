#pragma once
// A program's help: one page compiled into the program (the rules, how to
// play, the settings). One window at a time; asking again brings it to the
// front, showing the page asked for.

#include <QDialog>
#include <QUrl>

class QTextBrowser;

class CHelpWnd : public QDialog {
    Q_OBJECT

public:
    // Opens the help window on page, or raises the one already open, and
    // returns it. title is the window's caption.
    static CHelpWnd* ShowHelp(QWidget* parent, const QUrl& page, const QString& title);

    CHelpWnd(QWidget* parent, const QUrl& page, const QString& title);
    ~CHelpWnd() override;

    QTextBrowser* GetBrowser() const { return m_pBrowser; }

private:
    QTextBrowser* m_pBrowser;
};
