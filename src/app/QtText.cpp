// SPDX-License-Identifier: MIT
#include "QtText.h"

#include "fieldbook/Cp1251.h"

#include <QFile>

namespace velmora::app {

QString FromCp1251(std::string_view bytes)
{
    // Grid and list cells are converted on every paint: one table look-up a byte.
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes)
        *out++ = QChar(Cp1251ToUnicode(static_cast<unsigned char>(c)));
    return text;
}

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToCp1251(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;  // a character outside the basic plane: one "?" for the pair
            bytes.push_back('?');
            continue;
        }
        bytes.push_back(static_cast<char>(UnicodeToCp1251(c.unicode()).value_or('?')));
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
