// What the network game window and its table flow share: the boxes' flags, the
// barriers' pace and the error lines its steps write to the session log.

#pragma once

#include "ResourceIds.h"

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcNetGame)

namespace playnet {
inline constexpr UINT kIcon = pubres::IDI_PROGRAM;
inline constexpr int kQuestionFlags = 0x18;
inline constexpr int kNoticeFlags = 0x14;
inline constexpr UINT kBarrierPollMs = 200;
// Several times the slowest honest deal or take animation.
inline constexpr int kBarrierBoundMs = 15000;
inline constexpr UINT kBarrierWatchMs = 500;
// How long a joiner's program has to say what it knows.
inline constexpr int kKnowsWaitMs = 5000;
inline const QString kAttention = QStringLiteral("Внимание!");
inline const QString kTake = QStringLiteral("Взятка");
inline const QString kRedeal = QStringLiteral("Пересдать!");

// The error lines of the steps, as the session log has them.
inline constexpr const char* kErrStartDeal = "Error - 234\r\n";
inline constexpr const char* kErrApplyParty = "Error - 235\r\n";
inline constexpr const char* kErrResetParty = "Error - 236\r\n";
inline constexpr const char* kErrDeal = "Error - 237\r\n";
inline constexpr const char* kErrApplyBita = "Error - 238\r\n";
inline constexpr const char* kErrLocalBita = "Error - 239\r\n";
inline constexpr const char* kErrLocalLead = "Error - 240\r\n";
inline constexpr const char* kErrApplyGoCard = "Error - 241\r\n";
inline constexpr const char* kErrApplyReset = "Error - 242\r\n";
inline constexpr const char* kErrTake = "Error - 244\r\n";
inline constexpr const char* kErrApplyTake = "Error - 245\r\n";
inline constexpr const char* kErrCreatePlayer = "Error - 246\r\n";
inline constexpr const char* kErrDestroyPlayer = "Error - 247\r\n";
inline constexpr const char* kErrHostMigrate = "Error - 248\r\n";
inline constexpr const char* kErrDispatch = "Error - 249\r\n";
inline constexpr const char* kErrPeerInfo = "Error - 250\r\n";
inline constexpr const char* kErrPlayerOrder = "Error - 251\r\n";
inline constexpr const char* kErrPlayerOrderLate = "Error - 251.1\r\n";
inline constexpr const char* kErrWaiting = "Error - 252\r\n";

// Labels, stars or cards still move on the window.
bool IsBusyAnimating();
} // namespace playnet
