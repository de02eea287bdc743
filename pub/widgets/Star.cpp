#include "Star.h"
#include "ResourceIds.h"

#include "GuiThread.h"
#include "Resources.h"
#include "Time.h"

#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <mutex>
#include <system_error>
#include <thread>

std::atomic<bool> CStar::m_staticBreak{false};
std::atomic<int> CStar::m_staticCountThreads{0};

namespace {

constexpr int kMaxStars = 10;
constexpr int kPlaces = 5;
constexpr int kPlaceStep = 25; // places overlap: the icons are 32 wide
constexpr int kIconSize = 32;
constexpr int kFramePause = 30;  // ms per frame
constexpr int kFrameSquare = 28; // what one frame step redraws
constexpr QSize kRowArea(128, 28);

using pubres::IDI_STAR_GOLD;
using pubres::IDI_STAR_SILVER;
using pubres::kGoldFrames;
using pubres::kSilverFrames;

// The square a changing place animates in: one pixel left of the place, wide
// enough for the frames' edges.
QRect FrameSquare(const QPoint& row, int place) {
    return QRect(row.x() + kPlaceStep * place - 1, row.y(), 30, kFrameSquare);
}

} // namespace

struct CStar::Row {
    mutable std::mutex mutex;
    // Guarded by mutex.
    UINT animIcon = 0; // current frame, 0 for none
    QPoint ptRow;
    QPoint ptAnim;
    std::int8_t nStars = 0;
    std::int8_t nHidden = -1;
    QPointer<CWnd> parent; // dereferenced on the GUI thread only

    void Invalidate(const QRect& r) {
        platform::RunOnGuiThread([&] {
            CWnd* target = nullptr;
            {
                std::lock_guard lock(mutex);
                target = parent.data();
            }
            if (target)
                target->InvalidateRect(r, TRUE);
        });
    }

    void Sequence(bool appear, bool silver) {
        const UINT* frames = silver ? kSilverFrames : kGoldFrames;
        for (int step = 0; step <= kPlaces; ++step) {
            if (CStar::m_staticBreak)
                return;
            const UINT icon = step < kPlaces ? frames[appear ? kPlaces - 1 - step : step] : 0;
            QRect square;
            {
                std::lock_guard lock(mutex);
                animIcon = icon;
                square = QRect(ptAnim, QSize(kFrameSquare, kFrameSquare));
            }
            Invalidate(square);
            platform::TimedPause(kFramePause);
        }
    }

    // The animation thread's work; n is the count after the change.
    void Run(bool arrival, int n, const QRect& square) {
        Invalidate(square);
        if (arrival) {
            if (n <= kPlaces) {
                Sequence(true, true);
            } else {
                Sequence(false, true);
                Sequence(true, false);
            }
        } else {
            if (n < kPlaces) {
                Sequence(false, true);
            } else {
                Sequence(false, false);
                Sequence(true, true);
            }
        }
        {
            std::lock_guard lock(mutex);
            nHidden = -1;
        }
        Invalidate(square);
    }
};

CStar::CStar() : m_row(std::make_shared<Row>()) {
    LoadIcons();
}

CStar::CStar(const CStar& other)
    : m_hStar(other.m_hStar), m_hGoldStar(other.m_hGoldStar), m_row(std::make_shared<Row>()),
      m_frames(other.m_frames) {
    std::lock_guard lock(other.m_row->mutex);
    m_row->animIcon = other.m_row->animIcon;
    m_row->ptRow = other.m_row->ptRow;
    m_row->ptAnim = other.m_row->ptAnim;
    m_row->nStars = other.m_row->nStars;
    m_row->nHidden = other.m_row->nHidden;
    m_row->parent = other.m_row->parent;
}

CStar& CStar::operator=(const CStar& other) {
    if (this == &other)
        return *this;
    m_hStar = other.m_hStar;
    m_hGoldStar = other.m_hGoldStar;
    m_frames = other.m_frames;
    std::scoped_lock lock(m_row->mutex, other.m_row->mutex);
    m_row->animIcon = other.m_row->animIcon;
    m_row->ptRow = other.m_row->ptRow;
    m_row->ptAnim = other.m_row->ptAnim;
    m_row->nStars = other.m_row->nStars;
    m_row->nHidden = other.m_row->nHidden;
    m_row->parent = other.m_row->parent;
    return *this;
}

CStar::~CStar() = default;

void CStar::LoadIcons() {
    HINSTANCE module = GetModuleResources("pub");
    m_hStar = LoadIconResource(module, IDI_STAR_SILVER);
    m_hGoldStar = LoadIconResource(module, IDI_STAR_GOLD);
    for (int i = 0; i < kPlaces; ++i) {
        m_frames[kSilverFrames[i]] = LoadIconResource(module, kSilverFrames[i]);
        m_frames[kGoldFrames[i]] = LoadIconResource(module, kGoldFrames[i]);
    }
}

const QIcon& CStar::Icon(UINT id) const {
    static const QIcon none;
    const auto it = m_frames.find(id);
    return it == m_frames.end() ? none : it->second;
}

void CStar::SetParent(CWnd* parent) {
    std::lock_guard lock(m_row->mutex);
    m_row->parent = parent;
}

int CStar::GetNumberStars() const {
    std::lock_guard lock(m_row->mutex);
    return m_row->nStars;
}

void CStar::SetRowPos(const QPoint& pt) {
    std::lock_guard lock(m_row->mutex);
    m_row->ptRow = pt;
}

QPoint CStar::GetRowPos() const {
    std::lock_guard lock(m_row->mutex);
    return m_row->ptRow;
}

void CStar::Increment() {
    Animate(true);
}

void CStar::Decrement() {
    Animate(false);
}

void CStar::Animate(bool arrival) {
    int n = 0;
    QRect square;
    bool animated = false;
    {
        std::lock_guard lock(m_row->mutex);
        if (arrival ? m_row->nStars >= kMaxStars : m_row->nStars == 0)
            return;
        // A count wrapped by ResetStars goes on wrapping, as the system counts.
        m_row->nStars = static_cast<std::int8_t>(m_row->nStars + (arrival ? 1 : -1));
        n = m_row->nStars;
        // Only a count that has places animates; the place is hidden and the
        // frame placed before the thread starts, so the row never flashes the
        // finished star first.
        animated = arrival ? n >= 1 && n <= kMaxStars : n >= 0 && n < kMaxStars;
        if (animated) {
            int place = 0;
            if (arrival)
                place = n <= kPlaces ? n - 1 : n - kPlaces - 1;
            else
                place = n < kPlaces ? n : n - kPlaces;
            square = FrameSquare(m_row->ptRow, place);
            m_row->ptAnim = square.topLeft();
            if (arrival || n >= kPlaces)
                m_row->nHidden = static_cast<std::int8_t>(place);
        } else {
            square = QRect(m_row->ptRow, kRowArea);
        }
    }
    if (!animated) {
        m_row->Invalidate(square);
        return;
    }
    // Counted before the thread exists, so nobody sees an idle table while
    // the animation is about to start.
    ++m_staticCountThreads;
    try {
        std::thread([row = m_row, arrival, n, square]() mutable {
            row->Run(arrival, n, square);
            row.reset();
            --m_staticCountThreads;
        }).detach();
    } catch (const std::system_error&) {
        {
            std::lock_guard lock(m_row->mutex);
            m_row->nHidden = -1;
        }
        --m_staticCountThreads;
        m_row->Invalidate(square);
    }
}

void CStar::ResetStars(const int& n) {
    QRect area;
    {
        std::lock_guard lock(m_row->mutex);
        m_row->nStars = static_cast<std::int8_t>(n);
        area = QRect(m_row->ptRow, kRowArea);
    }
    m_row->Invalidate(area);
}

void CStar::DrawStar(QPainter* dc) const {
    if (!dc)
        return;
    int n = 0;
    int hidden = -1;
    UINT frame = 0;
    QPoint row;
    QPoint anim;
    {
        std::lock_guard lock(m_row->mutex);
        n = m_row->nStars;
        hidden = m_row->nHidden;
        frame = m_row->animIcon;
        row = m_row->ptRow;
        anim = m_row->ptAnim;
    }
    if (n > kMaxStars)
        return;
    auto place = [&](int k) {
        return QRect(row.x() + kPlaceStep * k, row.y(), kIconSize, kIconSize);
    };
    int k = 0;
    for (; k <= n - kPlaces - 1; ++k) {
        if (k != hidden)
            m_hGoldStar.paint(dc, place(k));
    }
    for (; k <= std::min(n, kPlaces) - 1; ++k) {
        if (k != hidden)
            m_hStar.paint(dc, place(k));
    }
    if (frame != 0)
        Icon(frame).paint(dc, QRect(anim, QSize(kIconSize, kIconSize)));
}

void CStar::DisappearStar(bool silver) {
    m_row->Sequence(false, silver);
}

void CStar::AppearStar(bool silver) {
    m_row->Sequence(true, silver);
}

UINT CStar::GetAnimIcon() const {
    std::lock_guard lock(m_row->mutex);
    return m_row->animIcon;
}

QPoint CStar::GetAnimPos() const {
    std::lock_guard lock(m_row->mutex);
    return m_row->ptAnim;
}

int CStar::GetHiddenPlace() const {
    std::lock_guard lock(m_row->mutex);
    return m_row->nHidden;
}
