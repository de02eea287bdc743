#pragma once
// Resources found by number in a module, as the game's code expects.
//
// A module is either compiled in (the library's or a program's own pictures,
// sounds and data) or a bundle file loaded at run time by file name, as the
// card pictures are. One module at a time is "current": the card code switches
// to the card-picture bundle while it loads pictures, then back.

#include "WinTypes.h"

#include <QByteArray>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

class ResourceModule;
using HINSTANCE = ResourceModule*;
using HMODULE = ResourceModule*;

enum class ResourceType { Bitmap, Icon, Wave, Binary };

// A compiled-in module by name ("pub", "Tavlin2"); never null.
HINSTANCE GetModuleResources(const char* name);

// Loads a bundle file by the name the game uses for it ("DeckArt.dll" is the
// bundle "DeckArt.rcc"), searching the program's folder first. Null when the
// file is missing or is not a valid bundle.
HMODULE LoadLibrary(const char* fileName);
BOOL FreeLibrary(HMODULE module);

HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);

// Pictures come at their natural size; where the screen has a device pixel
// ratio of 2 and the module holds a double-size rendering, that one is used.
QPixmap LoadBitmapResource(HINSTANCE module, UINT id);
QImage LoadImageResource(HINSTANCE module, UINT id, int scale = 1);
QIcon LoadIconResource(HINSTANCE module, UINT id);
QByteArray LoadRawResource(HINSTANCE module, ResourceType type, UINT id);
bool HasResource(HINSTANCE module, ResourceType type, UINT id);
// The resource's path in Qt's resource tree (":/...").
QString ResourcePath(HINSTANCE module, ResourceType type, UINT id);

namespace platform {
// Folders searched for bundle files, in order. Defaults to the program's
// folder, then the installed data folder (below), then the current folder;
// tests point it elsewhere. An empty list restores the default.
void SetLibrarySearchPath(const QStringList& folders);
QStringList LibrarySearchPath();
// An installed program keeps its bundles in share/<name> beside its bin/
// folder (<prefix>/bin/program, <prefix>/share/<name>/). Empty: none.
void SetInstalledDataFolder(const QString& name);
} // namespace platform
