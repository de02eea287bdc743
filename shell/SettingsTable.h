#pragma once
// A program's settings as one table of entries, in reading order, that both
// reading and writing walk: each entry names its registry value, how it is
// kept, its default and its place when writing. A value that is missing, of
// another size or type, or outside what the game can use reads as its
// default, so a damaged registry never starts the game in a state it cannot
// be in.

#include "Util.h"
#include "WinTypes.h"

#include <QString>

#include <cstddef>

namespace settingstable {

// What both programs keep alike: the card backs are the pictures 37..43 of
// the card-picture library, tables 0..7 (7 the user's own picture),
// backgrounds 0..6; stored strings have buffers with their terminating zero.
constexpr int kFirstShirt = 37;
constexpr int kLastShirt = 43;
constexpr int kTableImage = 7;
constexpr int kLastTable = 7;
constexpr int kLastBG = 6;
constexpr DWORD kNameBytes = 12;
constexpr DWORD kPathBytes = 260;

// The table to show for a stored table number: the user's picture only while
// its file opens for reading, table 1 otherwise.
int EffectiveTable(int table, const QString& imageFile);

enum class Kind {
    Flag,      // only 1 is true, as everywhere in the registry
    SoundFlag, // sound is on unless it was switched off: only 0 is false
    Number,    // a value outside low..high reads as the default
    Text,      // Windows-1251, cut to the buffer it is read back into
    Path,      // never cut: cut short it would name another file
};

template <class S> struct Entry {
    const char* name;
    Kind kind;
    bool& (*flag)(S&);
    int& (*number)(S&);
    QString& (*text)(S&);
    int def; // flags and numbers
    const char16_t* defText;
    int low, high; // numbers
    DWORD cch;     // texts and paths: the buffer read into
    bool read;     // some values are only written
    int writeOrder;
};

template <class S>
constexpr Entry<S> Flag(const char* name, bool& (*f)(S&), bool def, int writeOrder,
                        Kind kind = Kind::Flag, bool read = true) {
    return {name, kind, f, nullptr, nullptr, def ? 1 : 0, nullptr, 0, 0, 0, read, writeOrder};
}
template <class S>
constexpr Entry<S> Number(const char* name, int& (*f)(S&), int def, int low, int high,
                          int writeOrder) {
    return {name, Kind::Number, nullptr, f, nullptr, def, nullptr, low, high, 0, true, writeOrder};
}
template <class S>
constexpr Entry<S> Text(const char* name, QString& (*f)(S&), const char16_t* def, Kind kind,
                        DWORD cch, int writeOrder) {
    return {name, kind, nullptr, nullptr, f, 0, def, 0, 0, cch, true, writeOrder};
}

// One value each, by kind.
bool ReadFlag(HKEY key, const char* name, Kind kind, int def);
int ReadNumber(HKEY key, const char* name, int def, int low, int high);
QString ReadText(HKEY key, const char* name, Kind kind, DWORD cch, const char16_t* def);
void WriteFlag(HKEY key, const char* name, bool value);
void WriteNumber(HKEY key, const char* name, int value);
void WriteText(HKEY key, const char* name, Kind kind, DWORD cch, const QString& value);

template <class S, std::size_t N> void SetDefaults(S& s, const Entry<S> (&entries)[N]) {
    for (const Entry<S>& e : entries) {
        if (e.flag)
            e.flag(s) = e.def != 0;
        else if (e.number)
            e.number(s) = e.def;
        else
            e.text(s) = QString::fromUtf16(e.defText);
    }
}

// Puts every member back to its default, then reads what is stored under
// "Software\\Tavlin2.0\\<keyName>". False when the key can be neither opened
// nor created: the defaults stay.
template <class S, std::size_t N>
bool Read(S& s, const Entry<S> (&entries)[N], const char* keyName) {
    SetDefaults(s, entries);
    const CSettingsKey key(keyName);
    if (!key)
        return false;
    for (const Entry<S>& e : entries) {
        if (!e.read)
            continue;
        if (e.flag)
            e.flag(s) = ReadFlag(key, e.name, e.kind, e.def);
        else if (e.number)
            e.number(s) = ReadNumber(key, e.name, e.def, e.low, e.high);
        else
            e.text(s) = ReadText(key, e.name, e.kind, e.cch, e.defText);
    }
    return true;
}

// Writes every entry in its write order; false when the key cannot be
// opened, and nothing is written then.
template <class S, std::size_t N>
bool Write(const S& s, const Entry<S> (&entries)[N], const char* keyName) {
    const CSettingsKey key(keyName);
    if (!key)
        return false;
    // Only read here: the table's fields give access for writing and reading alike.
    auto& self = const_cast<S&>(s);
    for (int order = 1; order <= static_cast<int>(N); ++order) {
        for (const Entry<S>& e : entries) {
            if (e.writeOrder != order)
                continue;
            if (e.flag)
                WriteFlag(key, e.name, e.flag(self));
            else if (e.number)
                WriteNumber(key, e.name, e.number(self));
            else
                WriteText(key, e.name, e.kind, e.cch, e.text(self));
        }
    }
    return true;
}

} // namespace settingstable
