#include "Cp1251.h"

#include <QLineEdit>
#include <QToolTip>
#include <QValidator>

#include <array>
#include <cstring>

namespace {

// Characters of bytes 0x80..0xFF.
constexpr std::array<char16_t, 128> kHighHalf = [] {
    std::array<char16_t, 128> table{
        0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
        0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
        0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
        0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
        0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
        0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
        0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
        0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
    };
    // 0xC0..0xFF hold А..я in order.
    for (int i = 0; i < 64; ++i)
        table[64 + i] = static_cast<char16_t>(0x0410 + i);
    return table;
}();

constexpr int kUnassigned = 0x98 - 0x80;

} // namespace

char Cp1251FromChar(QChar ch) {
    const char16_t u = ch.unicode();
    if (u < 0x80)
        return static_cast<char>(u);
    if (u >= 0x0410 && u <= 0x044F)
        return static_cast<char>(0xC0 + (u - 0x0410));
    for (int i = 0; i < 64; ++i) {
        if (kHighHalf[i] == u && i != kUnassigned)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

QByteArray Cp1251FromUnicode(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out.append('?');
            ++i;
            continue;
        }
        out.append(Cp1251FromChar(ch));
    }
    return out;
}

QByteArray Cp1251Field(const QString& text, qsizetype cch) {
    QByteArray bytes = Cp1251FromUnicode(text);
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    // Windows-1251 has one byte per character: a cut never splits one.
    if (cch > 0 && bytes.size() > cch - 1)
        bytes.truncate(cch - 1);
    return bytes;
}

QString Cp1251ToUnicode(const char* data, qsizetype length) {
    if (data == nullptr)
        return {};
    if (length < 0)
        length = static_cast<qsizetype>(std::strlen(data));
    if (const void* nul = std::memchr(data, 0, static_cast<size_t>(length)))
        length = static_cast<const char*>(nul) - data;
    QString out(length, Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        dst[i] = QChar(b < 0x80 ? char16_t{b} : kHighHalf[b - 0x80]);
    }
    return out;
}

QString Cp1251ToUnicode(const QByteArray& bytes) {
    return Cp1251ToUnicode(bytes.constData(), bytes.size());
}

namespace {
class Cp1251Validator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (const QChar ch : input) {
            if ((Cp1251FromChar(ch) == '?' && ch != QLatin1Char('?')) ||
                ch.category() == QChar::Other_Control)
                return Invalid;
        }
        return Acceptable;
    }
};
} // namespace

QValidator* NewCp1251Validator(QObject* parent) {
    return new Cp1251Validator(parent);
}

void HintRefusedCharacters(QLineEdit* edit) {
    if (edit == nullptr)
        return;
    QObject::connect(edit, &QLineEdit::inputRejected, edit, [edit] {
        // A full field refuses every key, and that shows by itself.
        if (edit->maxLength() > 0 && edit->text().size() >= edit->maxLength() &&
            !edit->hasSelectedText())
            return;
        QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())),
                           QStringLiteral("Этот знак не поддерживается: можно русские и "
                                          "латинские буквы, цифры и знаки препинания."),
                           edit);
    });
}
