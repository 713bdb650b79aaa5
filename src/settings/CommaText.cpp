#include "settings/CommaText.h"

namespace {
bool NeedsQuotes(const QString& aItem)
{
    for (const QChar c : aItem)
        if (c <= QLatin1Char(' ') || c == QLatin1Char('"') || c == QLatin1Char(','))
            return true;
    return false;
}
} // namespace

QString ToCommaText(const QStringList& aItems)
{
    if (aItems.size() == 1 && aItems.first().isEmpty())
        return QStringLiteral("\"\"");
    QStringList parts;
    parts.reserve(aItems.size());
    for (const QString& item : aItems) {
        if (NeedsQuotes(item))
            parts << QLatin1Char('"') + QString(item).replace(QLatin1Char('"'), QStringLiteral("\"\""))
                    + QLatin1Char('"');
        else
            parts << item;
    }
    return parts.join(QLatin1Char(','));
}

QStringList FromCommaText(const QString& aText)
{
    QStringList result;
    const qsizetype size = aText.size();
    qsizetype pos = 0;
    auto skipBlanks = [&] {
        while (pos < size && aText[pos] <= QLatin1Char(' '))
            ++pos;
    };
    skipBlanks();
    while (pos < size) {
        QString entry;
        if (aText[pos] == QLatin1Char('"')) {
            ++pos;
            while (pos < size) {
                if (aText[pos] == QLatin1Char('"')) {
                    if (pos + 1 < size && aText[pos + 1] == QLatin1Char('"')) {
                        entry += QLatin1Char('"');
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                entry += aText[pos++];
            }
        } else {
            const qsizetype start = pos;
            while (pos < size && aText[pos] > QLatin1Char(' ') && aText[pos] != QLatin1Char(','))
                ++pos;
            entry = aText.mid(start, pos - start);
        }
        result << entry;
        skipBlanks();
        if (pos < size && aText[pos] == QLatin1Char(',')) {
            if (pos + 1 == size)
                result << QString();
            ++pos;
            skipBlanks();
        }
    }
    return result;
}
