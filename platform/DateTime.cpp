#include "DateTime.h"

#include <cmath>

namespace {
const QDate Epoch(1899, 12, 30);
constexpr double MillisecondsPerDay = 86400000.0;

TDateTime FromParts(const QDate& date, const QTime& time) {
    return static_cast<double>(Epoch.daysTo(date)) +
           time.msecsSinceStartOfDay() / MillisecondsPerDay;
}
} // namespace

TDateTime Now() {
    return QDateTimeToDateTime(QDateTime::currentDateTime());
}

TDateTime QDateTimeToDateTime(const QDateTime& value) {
    if (!value.isValid())
        return 0.0;
    const QDateTime local = value.toLocalTime();
    return FromParts(local.date(), local.time());
}

void DecodeDateTime(TDateTime value, QDate& date, QTime& time) {
    auto days = static_cast<qint64>(std::floor(value));
    auto ms = std::llround((value - std::floor(value)) * MillisecondsPerDay);
    if (ms >= qint64(MillisecondsPerDay)) {
        ++days;
        ms = 0;
    }
    date = Epoch.addDays(days);
    time = QTime::fromMSecsSinceStartOfDay(int(ms));
}

bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                       TDateTime& result) {
    if (year < 1 || year > 9999 || !QDate::isValid(year, month, day) ||
        !QTime::isValid(hour, minute, second))
        return false;
    result = FromParts(QDate(year, month, day), QTime(hour, minute, second));
    return true;
}
