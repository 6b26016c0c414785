#pragma once
// The text forms of configuration values: quoted texts, integers, Booleans, date-times and binary
// buffers, as they stand after "=" in the configuration file.

#include "DateTime.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The stored form of a text: two double quotes for the empty text, the quoted form when the text
// holds TAB, LF, VT, FF, CR or a space, else the text itself.
QString EncodeTextValue(const QString& text);
// The text of a stored value: a value of two or more characters enclosed in double quotes is
// decoded, anything else returned as stored. Raises Exception "Badly formed quoted string" or
// EConvertError for a "%" escape that is cut short or not hexadecimal.
QString DecodeTextValue(const QString& stored);
// A 32-bit integer in decimal with optional sign, "$" + hex, or "0x"/"0X" + hex (3 or more
// characters); nothing for anything else, including values out of range.
std::optional<qint32> ParseInteger(const QString& text);
// yyyymmddThhmmss in local time; a value below 1.0 gives the empty text.
QString FormatDateTimeValue(TDateTime value);
// The date-time of a stored value: 15 characters yyyymmdd?hhmmss in schema 1, a number in the
// user's locale in schema 0; nothing when the value cannot be read.
std::optional<TDateTime> ParseDateTimeValue(const QString& stored, int schemaVersion);
// Two upper-case hexadecimal digits per byte, in memory order.
QString EncodeBinaryValue(const QByteArray& bytes);
// The bytes of a hexadecimal text of exactly 2 × size digits (either case); nothing otherwise.
std::optional<QByteArray> DecodeBinaryValue(const QString& text, qsizetype size);
