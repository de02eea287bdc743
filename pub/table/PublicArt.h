#pragma once
// What the table keeps for its layout and painting besides its public
// members: the lock that keeps a moving worker and the window's thread apart,
// the cached background picture and the library pictures it draws.
//
// Deals, leads, beats, throws and takes run on a game worker while the
// window's thread goes on handling resizes and paints. One rule covers every
// move: the layout members are written and read under the lock; while a
// worker moves cards (inside a MoveScope), the window's thread leaves the
// cards to it (their places are the worker's to change) and the worker lays
// them all out again from the new layout when its move ends.

#include "Public.h"

#include <QBrush>
#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QSize>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

struct CPublic::Layout {
    int resetX = 0;
    int resetY[9] = {};
    int goingX[3] = {};
    int goingY[4] = {};
    int handX[kMaxPlayers][3] = {};
    int handY[kMaxPlayers] = {};
    QPoint takePos[kMaxPlayers];
};

struct CPublic::TableArt {
    // Recursive: on the window's thread a card move repaints the table at
    // once, and the paint takes the lock again.
    std::recursive_mutex lock;
    // Guarded by lock.
    int moving = 0;
    std::thread::id mover;
    bool placePending = false;
    bool packPending = false;
    QPoint packPos;
    QSize client;

    bool bound = false;     // SetParent done
    bool namesRead = false; // the names came from the registry

    // Window's thread only: the background and table, drawn once for what
    // they depend on and copied on every paint.
    struct BackgroundKey {
        QSize size;
        qreal ratio = 0;
        int table = -1;
        int bg = -1;
        QBrush brushBG;
        QBrush brushTable;
        QRect tableRect;
        QRegion region;
        const QImage* picture = nullptr;
        bool operator==(const BackgroundKey&) const = default;
    };
    BackgroundKey backgroundKey;
    QPixmap background;
    bool buttonLoaded = false;
    QPixmap button;
    std::map<unsigned int, QPixmap> icons;

    // True when another thread moves cards; call with lock held.
    bool MovedElsewhere() const { return moving > 0 && mover != std::this_thread::get_id(); }
};
