// The registry file is UTF-8 text, readable and editable by a person:
//
//   [Software\Tavlin2.0\Public]
//   UserName=sz:Иван
//   Shuffle=dword:00004d2a
//   OtherNamesPlayers=hex:41,6e,00
//   Flags=hex(b):01,00,00,00,00,00,00,00
//
// A section holds the full path of a key under HKEY_CURRENT_USER ("[]" is the
// root itself). A value line is name=type:payload, the type being
//   sz      text; the terminating NUL is implied and not written,
//   dword   up to 8 hex digits,
//   hex     REG_BINARY as two-digit hex bytes separated by commas,
//   hex(N)  the same for any other type N (hex).
// Names and sz text are Windows-1251 bytes written as their characters, with
// these escapes: \\ \n \r \t; \xHH for the raw byte HH (used for other control
// bytes, the unassigned 0x98 and a space at either end); in names also \= and,
// at the start, \[ \; \#. A backslash before any other character stands for
// that character. Spaces and tabs around names, types and payloads are
// ignored; so are blank lines, lines starting with ; or #, and lines outside a
// section. A line that does not read this way is skipped.

#include "RegistryFile.h"

#include "Cp1251.h"

#include <QStringDecoder>
#include <QStringList>
#include <QtEndian>
#include <algorithm>

namespace {

constexpr DWORD kSz = 1;
constexpr DWORD kBinary = 3;
constexpr DWORD kDword = 4;

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QStringView trimmed(QStringView s) {
    while (!s.isEmpty() && isBlank(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

std::optional<DWORD> hexNumber(QStringView s) {
    if (s.isEmpty() || s.size() > 8)
        return std::nullopt;
    DWORD n = 0;
    for (QChar c : s) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        n = n * 16 + static_cast<DWORD>(d);
    }
    return n;
}

std::optional<QByteArray> hexBytes(QStringView s) {
    QByteArray out;
    if (s.isEmpty())
        return out;
    for (QStringView token : s.tokenize(u',')) {
        token = trimmed(token);
        const int hi = token.size() == 2 ? hexDigit(token[0]) : -1;
        const int lo = token.size() == 2 ? hexDigit(token[1]) : -1;
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out.append(static_cast<char>(hi * 16 + lo));
    }
    return out;
}

QString hexText(const QByteArray& bytes) {
    QString out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out += u',';
        out += QStringLiteral("%1").arg(static_cast<unsigned char>(bytes[i]), 2, 16, QChar(u'0'));
    }
    return out;
}

QString escaped(const QByteArray& bytes, bool isName) {
    QString out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const bool atEdge = i == 0 || i == bytes.size() - 1;
        if (b == '\\')
            out += u"\\\\";
        else if (b == '\n')
            out += u"\\n";
        else if (b == '\r')
            out += u"\\r";
        else if (b == '\t')
            out += u"\\t";
        else if (b < 0x20 || b == 0x7F || b == 0x98 || (b == ' ' && atEdge))
            out += QStringLiteral("\\x%1").arg(b, 2, 16, QChar(u'0'));
        else if (isName && (b == '=' || (i == 0 && (b == '[' || b == ';' || b == '#'))))
            out += QString(u'\\') + QChar(char16_t{b});
        else
            out += Cp1251ToUnicode(bytes.constData() + i, 1);
    }
    return out;
}

std::optional<QByteArray> unescaped(QStringView text) {
    QByteArray out;
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\') {
            plain += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        const QChar c = text[i];
        if (c == u'n') {
            plain += u'\n';
        } else if (c == u'r') {
            plain += u'\r';
        } else if (c == u't') {
            plain += u'\t';
        } else if (c == u'x') {
            const auto byte = i + 2 < text.size() ? hexNumber(text.sliced(i + 1, 2)) : std::nullopt;
            if (!byte)
                return std::nullopt;
            out += Cp1251FromUnicode(plain);
            plain.clear();
            out.append(static_cast<char>(*byte));
            i += 2;
        } else {
            plain += c;
        }
    }
    return out + Cp1251FromUnicode(plain);
}

qsizetype unescapedIndexOf(QStringView text, QChar wanted) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\')
            ++i;
        else if (text[i] == wanted)
            return i;
    }
    return -1;
}

bool sameName(const QByteArray& a, const QByteArray& b) {
    return a == b || Cp1251ToUnicode(a).compare(Cp1251ToUnicode(b), Qt::CaseInsensitive) == 0;
}

bool samePath(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

void put(RegistryFile::Key& key, RegistryFile::Value value) {
    for (RegistryFile::Value& old : key.values) {
        if (sameName(old.name, value.name)) {
            old.type = value.type;
            old.data = std::move(value.data);
            return;
        }
    }
    key.values.push_back(std::move(value));
}

std::optional<RegistryFile::Value> parseValueLine(QStringView line) {
    const qsizetype eq = unescapedIndexOf(line, u'=');
    if (eq < 0)
        return std::nullopt;
    const auto name = unescaped(trimmed(line.first(eq)));
    if (!name || name->contains('\0'))
        return std::nullopt;
    const QStringView rest = trimmed(line.sliced(eq + 1));
    const qsizetype colon = rest.indexOf(u':');
    if (colon < 0)
        return std::nullopt;
    const QStringView kind = trimmed(rest.first(colon));
    const QStringView payload = trimmed(rest.sliced(colon + 1));

    std::optional<DWORD> type;
    std::optional<QByteArray> data;
    if (kind == u"sz") {
        type = kSz;
        data = unescaped(payload);
    } else if (kind == u"dword") {
        type = kDword;
        if (const auto n = hexNumber(payload)) {
            data = QByteArray(4, '\0');
            qToLittleEndian<quint32>(*n, data->data());
        }
    } else if (kind == u"hex") {
        type = kBinary;
        data = hexBytes(payload);
    } else if (kind.startsWith(u"hex(") && kind.endsWith(u')')) {
        type = hexNumber(kind.sliced(4, kind.size() - 5));
        data = hexBytes(payload);
    }
    if (!type || !data)
        return std::nullopt;
    auto stored = RegistryFile::normalizedData(*type, std::move(*data));
    if (!stored)
        return std::nullopt;
    return RegistryFile::Value{*name, *type, std::move(*stored)};
}

QString payloadText(const RegistryFile::Value& v) {
    if (v.type == kSz && v.data.endsWith('\0'))
        return QStringLiteral("sz:") + escaped(v.data.chopped(1), false);
    if (v.type == kDword && v.data.size() == 4) {
        const quint32 n = qFromLittleEndian<quint32>(v.data.constData());
        return QStringLiteral("dword:%1").arg(n, 8, 16, QChar(u'0'));
    }
    const QString kind =
        v.type == kBinary ? QStringLiteral("hex") : QStringLiteral("hex(%1)").arg(v.type, 0, 16);
    return kind + u':' + hexText(v.data);
}

} // namespace

RegistryFile RegistryFile::parse(const QByteArray& text, int* skipped) {
    RegistryFile file;
    int bad = 0;
    ptrdiff_t current = -1; // section the following values belong to, if any
    for (QByteArray raw : text.split('\n')) {
        if (raw.endsWith('\r'))
            raw.chop(1);
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString decoded = decoder(raw);
        const QStringView line = trimmed(decoded);
        const bool damaged = decoder.hasError() ||
                             std::any_of(line.begin(), line.end(),
                                         [](QChar c) { return c.unicode() < 0x20 && c != u'\t'; });
        if (line.startsWith(u'[')) {
            // Values after a section line that cannot be read must not land in the previous one.
            current = -1;
            const auto path = damaged || !line.endsWith(u']')
                                  ? std::nullopt
                                  : normalizedPath(line.sliced(1, line.size() - 2).toString());
            if (path)
                current = &file.keyFor(*path) - file.keys_.data();
            else
                ++bad;
            continue;
        }
        if (line.isEmpty() || (!damaged && (line.startsWith(u';') || line.startsWith(u'#'))))
            continue;
        auto value = damaged || current < 0 ? std::nullopt : parseValueLine(line);
        if (value)
            put(file.keys_[static_cast<size_t>(current)], std::move(*value));
        else
            ++bad;
    }
    if (skipped != nullptr)
        *skipped = bad;
    return file;
}

QByteArray RegistryFile::serialize() const {
    QString out;
    for (const Key& key : keys_) {
        if (!out.isEmpty())
            out += u'\n';
        out += u'[' + key.path + QStringLiteral("]\n");
        for (const Value& v : key.values)
            out += escaped(v.name, true) + u'=' + payloadText(v) + u'\n';
    }
    return out.toUtf8();
}

std::optional<QString> RegistryFile::normalizedPath(const QString& path) {
    const QStringList parts = path.split(u'\\', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (std::any_of(part.begin(), part.end(), [](QChar c) { return c.unicode() < 0x20; }))
            return std::nullopt;
    }
    return parts.join(u'\\');
}

std::optional<QByteArray> RegistryFile::normalizedData(DWORD type, QByteArray data) {
    if (type == kDword && data.size() != 4)
        return std::nullopt;
    if (type == kSz && !data.endsWith('\0'))
        data.append('\0');
    return data;
}

bool RegistryFile::keyExists(const QString& path) const {
    if (path.isEmpty())
        return true;
    return std::any_of(keys_.begin(), keys_.end(), [&](const Key& key) {
        return key.path.startsWith(path, Qt::CaseInsensitive) &&
               (key.path.size() == path.size() || key.path[path.size()] == u'\\');
    });
}

QString RegistryFile::canonicalPath(const QString& path) const {
    const QStringList wanted = path.split(u'\\', Qt::SkipEmptyParts);
    std::vector<QStringList> stored;
    for (const Key& key : keys_)
        stored.push_back(key.path.split(u'\\', Qt::SkipEmptyParts));
    QStringList result;
    for (qsizetype i = 0; i < wanted.size(); ++i) {
        QString spelled = wanted[i];
        for (const QStringList& have : stored) {
            const bool same = have.size() > i && std::equal(wanted.begin(), wanted.begin() + i + 1,
                                                            have.begin(), samePath);
            if (same) {
                spelled = have[i];
                break;
            }
        }
        result << spelled;
    }
    return result.join(u'\\');
}

void RegistryFile::addKey(const QString& path) {
    keyFor(path);
}

const RegistryFile::Value* RegistryFile::findValue(const QString& path,
                                                   const QByteArray& name) const {
    const Key* key = findKey(path);
    if (key == nullptr)
        return nullptr;
    for (const Value& v : key->values) {
        if (sameName(v.name, name))
            return &v;
    }
    return nullptr;
}

void RegistryFile::setValue(const QString& path, const QByteArray& name, DWORD type,
                            const QByteArray& data) {
    put(keyFor(path), Value{name, type, data});
}

bool RegistryFile::removeValue(const QString& path, const QByteArray& name) {
    Key* key = findKey(path);
    if (key == nullptr)
        return false;
    const auto it = std::find_if(key->values.begin(), key->values.end(),
                                 [&](const Value& v) { return sameName(v.name, name); });
    if (it == key->values.end())
        return false;
    key->values.erase(it);
    return true;
}

RegistryFile::Key* RegistryFile::findKey(const QString& path) {
    const auto it = std::find_if(keys_.begin(), keys_.end(),
                                 [&](const Key& key) { return samePath(key.path, path); });
    return it == keys_.end() ? nullptr : &*it;
}

const RegistryFile::Key* RegistryFile::findKey(const QString& path) const {
    return const_cast<RegistryFile*>(this)->findKey(path);
}

RegistryFile::Key& RegistryFile::keyFor(const QString& path) {
    if (Key* key = findKey(path))
        return *key;
    keys_.push_back(Key{path, {}});
    return keys_.back();
}
