#pragma once
// The victory table: a small green panel near the top-right corner of the
// card table counting the parties each player has won. Under a title, one row
// per player shows the place, the name and the number of victories, best
// first, coloured by the place. Rows are display rows (0 at the top); entries
// are seats, so a row does not belong to a fixed seat.
//
// The programs feed it from game workers as well as from the GUI thread. A
// re-ranking runs wholly on the GUI thread: the entries are only touched
// there, and no paint shows half a ranking.

#include "MyLabel.h"
#include "Wnd.h"

#include <QRect>
#include <QString>

class QPainter;

class CVictoryTable : public CWnd {
    Q_OBJECT

public:
    static constexpr int kRows = 4;

    struct Entry {
        int victories = 0;
        QString name;
    };

    CVictoryTable();
    ~CVictoryTable() override;
    CVictoryTable(const CVictoryTable&) = delete;
    CVictoryTable& operator=(const CVictoryTable&) = delete;

    // Creates the panel as a visible child of parent at rect (the parent's
    // client coordinates) and lays the labels out; non-zero on success.
    int CreateVictoryTablo(const QRect& rect, CWnd* parent);
    // Records the seat's (1 to 4) name and victories, sizes the panel for
    // players (1 to 4) rows and ranks every seat in play again. Other seats or
    // player counts change nothing.
    void DistrPlaceVictory(const QString& name, const int& seat, const int& victories,
                           const int& players);
    // Fills one row's texts; its colour stays.
    void Award(const int& row, const int& place, const int& victories, const QString& name);
    // "1 место" to "4 место"; empty for any other place.
    QString GetStringPlace(const int& place) const;
    // Padded on the left to three characters, so counts line up to 999.
    QString NumberVictoryToStr(const int& n) const;
    // Empties the rows from players on and, for 1 to 4 players, fits the
    // height to that many rows; position, width and stacking order stay.
    void SetHeight(const int& players);
    // Empties the rows from `from` to the last.
    void ResetDraw(const int& from);
    void ResetPlace();

    CMyLabel m_lblTitle;
    CMyLabel m_lblName[kRows];
    CMyLabel m_lblVictories[kRows];
    CMyLabel m_lblPlace[kRows];
    Entry m_entries[kRows]; // by seat − 1; GUI thread only

protected:
    // Lays the labels out for the panel's width.
    int OnCreate();
    BOOL OnEraseBkgnd(QPainter& dc) override;

private:
    void SetRowColor(int row, COLORREF color);
};
