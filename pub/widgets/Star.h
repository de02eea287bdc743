#pragma once
// A seat's row of stars, drawn by the table: up to five silver stars in five
// places, and from the sixth star on the places turn gold one by one. A star
// arriving or leaving turns over like a coin on a worker thread of its own
// while the game goes on.
//
// The row's state lives in a block shared with its animation threads and
// guarded by a lock, so painting never sees a half-changed frame and a thread
// outliving its row touches nothing freed.

#include "Wnd.h"

#include <QIcon>
#include <QPoint>
#include <QRect>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>

class QPainter;

class CStar {
public:
    CStar();
    CStar(const CStar& other);
    // Copies every member; the running animations stay with the source.
    CStar& operator=(const CStar& other);
    ~CStar();

    void SetParent(CWnd* parent);
    int GetNumberStars() const;
    // Top-left of the row in the parent's client coordinates.
    void SetRowPos(const QPoint& pt);
    QPoint GetRowPos() const;

    // One star more (up to 10) or less (down to 0), animated on a new thread;
    // the count changes at once.
    void Increment();
    void Decrement();
    // Count without animation; the low 8 bits of n as a signed number.
    void ResetStars(const int& n);

    void DrawStar(QPainter* dc) const;

    // The frame sequences of one kind, run by the animation threads.
    void DisappearStar(bool silver);
    void AppearStar(bool silver);

    // The animation frame shown now (an icon id, 0 for none), where it is
    // drawn, and the place the row skips meanwhile (-1 for none).
    UINT GetAnimIcon() const;
    QPoint GetAnimPos() const;
    int GetHiddenPlace() const;

    QIcon m_hStar;
    QIcon m_hGoldStar;

    // Set to end every running star animation at once; cleared at each deal.
    static std::atomic<bool> m_staticBreak;
    // Number of star-animation threads running.
    static std::atomic<int> m_staticCountThreads;

private:
    struct Row;

    void Animate(bool arrival);
    void LoadIcons();
    const QIcon& Icon(UINT id) const;

    std::shared_ptr<Row> m_row;
    std::map<UINT, QIcon> m_frames;
};
