// SPDX-License-Identifier: MIT
#include "BookFileFilters.h"

#include "QtText.h"

#include "fieldbook/FieldBookLayout.h"
#include "fieldbook/Translation.h"

#include <cstddef>
#include <string_view>

namespace velmora::app {

namespace {

// Every field book, whatever its format, as the window has always named them.
QString FieldBooks()
{
    // TRANSLATORS: the file dialogs' filter of every field book.
    return FromUtf8(TrIn("file filter", "Data"));
}

QString Filter(const QString& name, const QString& patterns)
{
    return name + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

QString Pattern(std::string_view suffix)
{
    return QStringLiteral("*.") + FromUtf8(suffix);
}

QString Patterns(const BookFormat& format)
{
    QStringList patterns;
    for (const std::string_view suffix : format.suffixes)
        patterns += Pattern(suffix);
    return patterns.join(QLatin1Char(' '));
}

}  // namespace

QStringList OpenBookFilters()
{
    QStringList every;
    QStringList filters;
    for (const BookFormat* format : BookFormats()) {
        every += Patterns(*format);
        filters += Filter(FromUtf8(format->name), Patterns(*format));
    }
    filters.prepend(Filter(FieldBooks(), every.join(QLatin1Char(' '))));
    filters += QStringLiteral("*.* (*)");
    return filters;
}

QStringList SaveBookFilters()
{
    QStringList filters;
    for (const BookFormat* format : BookFormats())
        filters += Filter(filters.isEmpty() ? FieldBooks() : FromUtf8(format->name),
                          Pattern(format->suffixes[0]));
    return filters;
}

QString SaveFilterFor(const QString& file)
{
    const std::vector<const BookFormat*>& formats = BookFormats();
    for (std::size_t i = 0; i < formats.size(); ++i) {
        for (const std::string_view suffix : formats[i]->suffixes) {
            if (file.endsWith(QLatin1Char('.') + FromUtf8(suffix), Qt::CaseInsensitive))
                return SaveBookFilters().at(static_cast<qsizetype>(i));
        }
    }
    return SaveBookFilters().constFirst();
}

QString SuffixOfSaveFilter(const QString& filter)
{
    const qsizetype index = SaveBookFilters().indexOf(filter);
    return FromUtf8(BookFormats().at(index < 0 ? 0 : static_cast<std::size_t>(index))->suffixes[0]);
}

}  // namespace velmora::app
