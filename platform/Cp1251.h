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

// What a zero-terminated field of cch bytes keeps of text: Windows-1251, up
// to the first NUL, at most cch - 1 bytes, so it always reads back whole.
// cch 0 cuts only at the NUL.
QByteArray Cp1251Field(const QString& text, qsizetype cch);

// Stops at the first NUL; a negative length reads up to the NUL. Byte 0x98,
// unassigned in the code page, becomes U+FFFD.
QString Cp1251ToUnicode(const char* data, qsizetype length);
QString Cp1251ToUnicode(const QByteArray& bytes);

class QObject;
class QValidator;
// A validator for text fields whose text is kept in Windows-1251: it refuses
// characters the code page does not have and control characters.
QValidator* NewCp1251Validator(QObject* parent);

class QLineEdit;
// Tells the user, in a tip by the field, why a character he typed did not
// go in: the field keeps its text in Windows-1251 (see NewCp1251Validator).
void HintRefusedCharacters(QLineEdit* edit);
