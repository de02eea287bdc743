#pragma once
// The content of the registry file: keys as sections, values inside them, and
// the text form they take on disk. No file access and no locking here.

#include "WinTypes.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

class RegistryFile {
public:
    struct Value {
        QByteArray name; // Windows-1251, spelled as first stored
        DWORD type = 0;
        QByteArray data; // exactly what a query returns
    };
    struct Key {
        QString path; // "Software\\Tavlin2.0\\Public"; empty for the root
        std::vector<Value> values;
    };

    // Skips every line it cannot read, so a damaged file still yields its good
    // values; counts those lines in *skipped.
    static RegistryFile parse(const QByteArray& text, int* skipped = nullptr);
    QByteArray serialize() const;

    // Joins the parts, drops empty ones; nothing when a part would break a section line.
    static std::optional<QString> normalizedPath(const QString& path);
    // The bytes a value of this type keeps, or nothing when the type does not allow them.
    static std::optional<QByteArray> normalizedData(DWORD type, QByteArray data);

    // A key exists when stored itself or through a subkey.
    bool keyExists(const QString& path) const;
    // The path with each part spelled as already stored, so case never splits a key.
    QString canonicalPath(const QString& path) const;
    void addKey(const QString& path);

    const Value* findValue(const QString& path, const QByteArray& name) const;
    void setValue(const QString& path, const QByteArray& name, DWORD type, const QByteArray& data);
    bool removeValue(const QString& path, const QByteArray& name);

    const std::vector<Key>& keys() const { return keys_; }

private:
    Key* findKey(const QString& path);
    const Key* findKey(const QString& path) const;
    Key& keyFor(const QString& path);

    std::vector<Key> keys_;
};
