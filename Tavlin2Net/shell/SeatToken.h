#pragma once
// The token a player's program proves a held seat its own with when it joins
// again. It lives in the network program's settings as hex digits and is
// written the moment it changes, so a program that was killed comes back
// with the token its last join published.

#include <QByteArray>

namespace seattoken {

// The stored token, or a new one made and stored now when there is none
// (or what is stored is no token).
QByteArray Load();
// Keeps token; false when the settings cannot be written.
bool Store(const QByteArray& token);

} // namespace seattoken
