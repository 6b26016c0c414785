#include "LxConfigValues.h"

#include "Exception.h"

#include <QLocale>

namespace {
bool NeedsQuotes(const QString& text) {
    for (QChar c : text)
        if ((c.unicode() >= 9 && c.unicode() <= 13) || c.unicode() == 32)
            return true;
    return false;
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

std::optional<qint32> ParseHex(QStringView digits) {
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    quint32 value = 0;
    for (QChar c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<quint32>(digit);
    }
    return static_cast<qint32>(value);
}

// A field of a date-time text: a field that is not a number counts as 0.
int Field(const QString& text, qsizetype from, qsizetype length) {
    return ParseInteger(text.mid(from, length)).value_or(0);
}
} // namespace

QString EncodeTextValue(const QString& text) {
    if (text.isEmpty())
        return QStringLiteral("\"\"");
    if (!NeedsQuotes(text))
        return text;
    QString result = QStringLiteral("\"");
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 32 || u == '"' || u == '=')
            result += QStringLiteral("%%1").arg(int(u), 2, 16, QLatin1Char('0')).toUpper();
        else if (u == '%')
            result += QStringLiteral("%%");
        else
            result += c;
    }
    return result + QLatin1Char('"');
}

QString DecodeTextValue(const QString& stored) {
    if (stored.size() < 2 || !stored.startsWith(QLatin1Char('"')) ||
        !stored.endsWith(QLatin1Char('"')))
        return stored;
    const QStringView body = QStringView(stored).mid(1, stored.size() - 2);
    QString result;
    result.reserve(body.size());
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] != QLatin1Char('%')) {
            result += body[i];
            continue;
        }
        if (i + 1 < body.size() && body[i + 1] == QLatin1Char('%')) {
            result += QLatin1Char('%');
            ++i;
            continue;
        }
        if (i + 2 >= body.size())
            throw Exception(QStringLiteral("Badly formed quoted string"));
        const int high = HexDigit(body[i + 1]);
        const int low = HexDigit(body[i + 2]);
        if (high < 0 || low < 0)
            throw EConvertError(QStringLiteral("'$%1' is not a valid integer value")
                                    .arg(body.mid(i + 1, 2).toString()));
        if (high * 16 + low != 0)
            result += QChar(high * 16 + low);
        i += 2;
    }
    return result;
}

std::optional<qint32> ParseInteger(const QString& text) {
    if (text.startsWith(QLatin1Char('$')))
        return ParseHex(QStringView(text).mid(1));
    if (text.size() >= 3 &&
        (text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X"))))
        return ParseHex(QStringView(text).mid(2));
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || text.contains(QLatin1Char(' ')))
        return std::nullopt;
    return value;
}

QString FormatDateTimeValue(TDateTime value) {
    if (value < 1.0)
        return QString();
    QDate date;
    QTime time;
    DecodeDateTime(value, date, time);
    return date.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('T') +
           time.toString(QStringLiteral("HHmmss"));
}

std::optional<TDateTime> ParseDateTimeValue(const QString& stored, int schemaVersion) {
    if (stored.isEmpty())
        return std::nullopt;
    if (schemaVersion == 0) {
        bool ok = false;
        const double value = QLocale().toDouble(stored, &ok);
        return ok ? std::optional<TDateTime>(value) : std::nullopt;
    }
    if (stored.size() != 15)
        return std::nullopt;
    TDateTime result = 0;
    if (!TryEncodeDateTime(Field(stored, 0, 4), Field(stored, 4, 2), Field(stored, 6, 2),
                           Field(stored, 9, 2), Field(stored, 11, 2), Field(stored, 13, 2), result))
        return std::nullopt;
    return result;
}

QString EncodeBinaryValue(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

std::optional<QByteArray> DecodeBinaryValue(const QString& text, qsizetype size) {
    if (text.size() != size * 2)
        return std::nullopt;
    QByteArray result(size, '\0');
    for (qsizetype i = 0; i < size; ++i) {
        const int high = HexDigit(text[2 * i]);
        const int low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        result[i] = static_cast<char>(high * 16 + low);
    }
    return result;
}
