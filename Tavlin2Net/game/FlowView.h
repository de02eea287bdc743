#pragma once
// What the network table's flow does to the window around the table: the
// chat panel, notices, the title and the settings' check boxes. Called from
// the game strand; the window does each on its own thread. The flow reads
// nothing of the window but its size.

#include "WinTypes.h"

#include <QSize>
#include <QString>

#include <array>

class IFlowView {
public:
    virtual ~IFlowView() = default;
    // The client area the table is laid out in; any thread.
    virtual QSize ClientSize() const = 0;
    // The table was laid out afresh: the whole window is painted again.
    virtual void Repaint() = 0;
    // The seats changed: the players' count and the names of seats 2 to 4.
    virtual void ShowChatSeats(int players, const std::array<QString, 3>& names) = 0;
    virtual void ShowChatName(int seat, const QString& name) = 0;
    virtual void ShowChatLine(int seat, const QString& text) = 0;
    // A notice that does not hold up the game (a departure, a deal refused).
    virtual void Notice(const QString& text, const QString& caption) = 0;
    virtual void ShowTitle(const QString& title) = 0;
    // A shared setting's check box follows the value a peer sent.
    virtual void ShowCheck(UINT control, bool on) = 0;
    // The shared check boxes that only a party to 31 points knows.
    virtual void EnableSharedChecks(bool enable) = 0;
};
