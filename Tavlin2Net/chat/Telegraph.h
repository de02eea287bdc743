#pragma once
// CTelegraph: the players' chat panel in the lower left corner of the game
// window. One line for each other seat (2, 3 and 4) and an input field for the
// local player. It works like a telegraph: after every change of the input
// field its whole text goes to the peers, and each of them overwrites the
// sender's line with it. No history, nothing stored.
//
// The typed text leaves the panel as Windows-1251 bytes, as the chat record
// carries it. It goes to m_Send when the game window has set it; otherwise
// WM_SEND_CHAT is sent (never posted) to the parent window, with wParam the
// address of the zero-terminated text: the buffer lives only for the call,
// so a handler copies what it needs before it returns.
//
// The input field is a line edit: a simple combo box one row high shows
// nothing but its edit field, and it has no list to drop down.
//
// Everything here runs on the GUI thread.

#include "Wnd.h"

#include <QByteArray>
#include <QFont>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;

constexpr UINT WM_SEND_CHAT = WM_USER + 60;

class CTelegraph : public CWnd {
    Q_OBJECT

public:
    static constexpr int kWidth = 250;
    static constexpr int kMaxInput = 50; // characters of the input field
    static constexpr int kMaxLine = 29;  // a name and its text on one line, colon aside
    enum { IDC_LINE_SEAT2 = 1, IDC_INPUT = 15 };

    CTelegraph();
    ~CTelegraph() override;

    // Makes the panel a child of parent with its top-left corner at position,
    // 250 x 96 and visible, with its lines and input field.
    void Create(QWidget* parent, QPoint position);

    // Arranges the panel for 1..4 players; other counts change nothing. The
    // caller fills m_Names first: the lines in play are cleared to "name:".
    // With three or four players the panel shows itself.
    void SetPlayers(int count);

    // The seat's (2, 3 or 4) line shows its name, a colon and the text; of a
    // long text only the newest characters that fit stay. Other seats are ignored.
    void SetLine(int seat, const QString& text);

    // A seat's player took a new name: his own text is written again under it.
    void SetName(int seat, const QString& name);

    // Down to the lower left corner of a client area this high; the size stays.
    void PlaceInCorner(int clientHeight);

    QString m_Names[3]; // seats 2, 3 and 4
    QString m_LastText; // the text most recently shown on any line
    QString m_Texts[3]; // the text each seat's player sent last, as received
    // Where the typed text goes: at most 50 Windows-1251 bytes.
    std::function<void(const QByteArray& cp1251Text)> m_Send;

    QLabel* m_Lines[3] = {};
    QLineEdit* m_Edit = nullptr;

protected:
    BOOL OnEraseBkgnd(QPainter& dc) override;

private:
    void OnEditChange(const QString& text);

    QFont m_FontLines;
    QFont m_FontTitle;
};
