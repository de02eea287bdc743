#pragma once
// Regions from the platform's region-data blobs, as the table shapes are
// stored: a 32-byte header {size 32, type 1, rectangle count, byte size of
// the rectangles, bounding box}, then the rectangles (left, top, right,
// bottom), every field a little-endian 32-bit integer.

#include <QByteArray>
#include <QRegion>

// The region the blob describes. A malformed blob (short, wrong header,
// a count the data does not hold, inverted or empty rectangles, rectangles
// outside the bounding box) gives an empty region.
QRegion RegionFromData(const QByteArray& blob);
