#pragma once
// The program's help: the rules of Zanta, how to play with the mouse and the
// keyboard, and the settings, on one page compiled into the program. One
// window at a time; asking again brings it to the front.

#include <QDialog>
#include <QUrl>

class QTextBrowser;

class CHelpWnd : public QDialog {
    Q_OBJECT

public:
    static const QUrl& HelpPage();

    // Opens the help window, or raises the one already open, and returns it.
    static CHelpWnd* ShowHelp(QWidget* parent);

    explicit CHelpWnd(QWidget* parent = nullptr);
    ~CHelpWnd() override;

    QTextBrowser* GetBrowser() const { return m_pBrowser; }

private:
    QTextBrowser* m_pBrowser;
};
