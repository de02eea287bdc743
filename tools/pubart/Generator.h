#pragma once
// The library's own pictures, icons and data, drawn at build time. Each
// generator writes its files under the output folder in the layout the
// resource lookup expects: bitmap/<id>.png (and <id>@2x.png), icon/<id>_<size>.png,
// wave/<id>.wav, binary/<id>.bin.

#include "ResourceIds.h"

#include <QDir>
#include <QImage>
#include <QPainterPath>
#include <QString>
#include <QStringList>

namespace pubart {

bool SaveImage(const QImage& image, const QDir& out, const QString& relativePath);
bool SaveBytes(const QByteArray& bytes, const QDir& out, const QString& relativePath);

// One function per family of resources; each returns false on a write error.
bool WriteProgramIcon(const QDir& out);
bool WriteStarIcons(const QDir& out);
bool WriteSuitIcons(const QDir& out);
bool WriteBackgrounds(const QDir& out);
bool WriteTableRegions(const QDir& out);
bool WriteSounds(const QDir& out);
// The program's icon for the desktop, under out in the hicolor theme's layout
// (<size>x<size>/apps/<name>.png, scalable/apps/<name>.svg), once per name.
bool WriteDesktopIcons(const QDir& out, const QStringList& names);

// The suit sign filling box: 1 clubs, 2 spades, 3 hearts, 4 diamonds.
QPainterPath SuitPath(int mast, const QRectF& box);

} // namespace pubart
