// SPDX-License-Identifier: MIT
#include "QtText.h"

#include "fieldbook/Cp1251.h"

#include <QFile>
#include <QHash>

#include <array>

namespace velmora::app {

namespace {

// Grid and list cells are converted on every paint, so the 256 characters are looked up once.
const std::array<char16_t, 256>& Cp1251Table()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int byte = 0; byte < 256; ++byte) {
            const char c = static_cast<char>(byte);
            const QString text = QString::fromUtf8(Cp1251ToUtf8(std::string_view(&c, 1)));
            t[static_cast<std::size_t>(byte)] = text.isEmpty() ? u'\uFFFD' : text.at(0).unicode();
        }
        return t;
    }();
    return table;
}

}  // namespace

QString FromCp1251(std::string_view bytes)
{
    const auto& table = Cp1251Table();
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes)
        *out++ = QChar(table[static_cast<unsigned char>(c)]);
    return text;
}

std::string ToCp1251(const QString& text)
{
    static const QHash<char16_t, char> reverse = [] {
        QHash<char16_t, char> map;
        const auto& table = Cp1251Table();
        for (int byte = 0; byte < 256; ++byte) {
            if (table[static_cast<std::size_t>(byte)] != u'\uFFFD')
                map.insert(table[static_cast<std::size_t>(byte)], static_cast<char>(byte));
        }
        return map;
    }();
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;  // a character outside the basic plane: one "?" for the pair
        bytes.push_back(reverse.value(c.unicode(), '?'));
    }
    return bytes;
}

QString FromPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

}  // namespace velmora::app
