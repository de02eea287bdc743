#pragma once
// Windows-1251, the code page of every string the game keeps in the registry
// and in its files. All conversions to and from it go through here.

#include <QByteArray>
#include <QChar>
#include <QString>

// '?' for a character the code page lacks.
char Cp1251FromChar(QChar ch);

// One byte per character; a character the code page lacks (a surrogate pair
// counts as one) becomes '?'.
QByteArray Cp1251FromUnicode(const QString& text);

// Stops at the first NUL; a negative length reads up to the NUL. Byte 0x98,
// unassigned in the code page, becomes U+FFFD.
QString Cp1251ToUnicode(const char* data, qsizetype length);
QString Cp1251ToUnicode(const QByteArray& bytes);
