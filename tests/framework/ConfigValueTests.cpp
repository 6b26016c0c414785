#include "Exception.h"
#include "LxConfigValues.h"

#include <gtest/gtest.h>
#include <time.h>

namespace {
// Puts the process in the named time zone for one scope, as TZ set at start-up would.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const char* zone)
        : FSaved(qgetenv("TZ")), FHadZone(qEnvironmentVariableIsSet("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZoneScope() {
        if (FHadZone)
            qputenv("TZ", FSaved);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray FSaved;
    bool FHadZone;
};
} // namespace

TEST(TextValue, QuotedFormOnlyForWhitespace) {
    EXPECT_EQ(EncodeTextValue(""), "\"\"");
    EXPECT_EQ(EncodeTextValue("plain"), "plain");
    EXPECT_EQ(EncodeTextValue("a=b"), "a=b");
    EXPECT_EQ(EncodeTextValue("50%"), "50%");
    EXPECT_EQ(EncodeTextValue("/home/me/My Pictures"), "\"/home/me/My Pictures\"");
    EXPECT_EQ(EncodeTextValue("x\ty"), "\"x%09y\"");
    EXPECT_EQ(EncodeTextValue("50% off"), "\"50%% off\"");
    EXPECT_EQ(EncodeTextValue("a=b c"), "\"a%3Db c\"");
    EXPECT_EQ(EncodeTextValue("say \"hi\" now"), "\"say %22hi%22 now\"");
    EXPECT_EQ(EncodeTextValue(" lead"), "\" lead\"");
    EXPECT_EQ(EncodeTextValue(QString("a\x1f b")), "\"a%1F b\"");
}

TEST(TextValue, DecodingRoundTripsAndKeepsUnquotedTextAsStored) {
    for (const char* text : {"x\ty", "50% off", "a=b c", "say \"hi\" now", " lead ",
                             "line\r\nbreak", "Zürich Ünïcode ✓"})
        EXPECT_EQ(DecodeTextValue(EncodeTextValue(text)), QString(text));
    EXPECT_EQ(DecodeTextValue("\"abc\""), "abc");
    EXPECT_EQ(DecodeTextValue("100%"), "100%");
    EXPECT_EQ(DecodeTextValue("\""), "\"");
    EXPECT_EQ(DecodeTextValue("\"a%00b\""), "ab");
    EXPECT_EQ(DecodeTextValue("\"a%4a\""), "aJ");
}

TEST(TextValue, MalformedEscapes) {
    try {
        DecodeTextValue("\"ab%4\"");
        FAIL();
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "Badly formed quoted string");
    }
    EXPECT_THROW(DecodeTextValue("\"%\""), Exception);
    EXPECT_THROW(DecodeTextValue("\"x%ZZ\""), EConvertError);
    EXPECT_EQ(DecodeTextValue("\"%%\""), "%");
}

TEST(IntegerValue, Forms) {
    EXPECT_EQ(ParseInteger("150"), 150);
    EXPECT_EQ(ParseInteger("-42"), -42);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_EQ(ParseInteger("$1F"), 31);
    EXPECT_EQ(ParseInteger("0x10"), 16);
    EXPECT_EQ(ParseInteger("0X1a"), 26);
    EXPECT_EQ(ParseInteger("$FFFFFFFF"), -1);
    EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
    for (const char* bad : {"", "abc", "0x", "$", "1.5", "2147483648", "$123456789", "1 2", "0xG1"})
        EXPECT_FALSE(ParseInteger(bad).has_value()) << bad;
}

TEST(DateTimeValue, IsoFormInSchemaOne) {
    const TDateTime when = QDateTimeToDateTime(QDateTime(QDate(2026, 12, 7), QTime(10, 5, 9)));
    EXPECT_EQ(FormatDateTimeValue(when), "20261207T100509");
    EXPECT_EQ(FormatDateTimeValue(0.0), "");
    EXPECT_EQ(FormatDateTimeValue(0.99), "");
    EXPECT_EQ(ParseDateTimeValue("20261207T100509", 1), when);
    EXPECT_EQ(ParseDateTimeValue("20261207 100509", 1), when);
    EXPECT_FALSE(ParseDateTimeValue("20261207T10050", 1));
    EXPECT_FALSE(ParseDateTimeValue("20261307T100509", 1));
    EXPECT_FALSE(ParseDateTimeValue("20260230T100509", 1));
    EXPECT_FALSE(ParseDateTimeValue("", 1));
    // A field that is not a number counts as 0: a zero hour is still a valid time.
    EXPECT_EQ(ParseDateTimeValue("20261207Txx0509", 1),
              QDateTimeToDateTime(QDateTime(QDate(2026, 12, 7), QTime(0, 5, 9))));
}

// The stored form is the local wall clock: on the days clocks change it must not move by the shift.
TEST(DateTimeValue, WallClockOnDaysClocksChange) {
    struct Case {
        const char* Zone;
        QDate Date;
        QTime Time;
        const char* Stored;
    };
    const Case cases[] = {
        {"Europe/Berlin", {2026, 3, 29}, {1, 59, 59}, "20260329T015959"},
        {"Europe/Berlin", {2026, 3, 29}, {3, 0, 0}, "20260329T030000"},
        {"Europe/Berlin", {2026, 3, 29}, {10, 0, 0}, "20260329T100000"},
        {"Europe/Berlin", {2026, 3, 29}, {23, 59, 59}, "20260329T235959"},
        {"Europe/Berlin", {2026, 10, 25}, {1, 30, 0}, "20261025T013000"},
        {"Europe/Berlin", {2026, 10, 25}, {3, 0, 1}, "20261025T030001"},
        {"Europe/Berlin", {2026, 10, 25}, {18, 45, 0}, "20261025T184500"},
        {"America/New_York", {2026, 3, 8}, {12, 0, 0}, "20260308T120000"},
        {"America/New_York", {2026, 11, 1}, {23, 59, 59}, "20261101T235959"},
        // Half-hour shift, and a zone whose clocks change at midnight.
        {"Australia/Lord_Howe", {2026, 10, 4}, {9, 15, 30}, "20261004T091530"},
        {"America/Havana", {2026, 3, 8}, {12, 0, 0}, "20260308T120000"},
    };
    for (const Case& c : cases) {
        const TimeZoneScope zone(c.Zone);
        const TDateTime value = QDateTimeToDateTime(QDateTime(c.Date, c.Time));
        EXPECT_EQ(FormatDateTimeValue(value).toStdString(), c.Stored) << c.Zone;
        EXPECT_EQ(ParseDateTimeValue(c.Stored, 1), value) << c.Zone << " " << c.Stored;
    }
}

// A time that the clock skipped (written by hand or by another machine) reads and writes back
// unchanged.
TEST(DateTimeValue, SkippedHourSurvivesARoundTrip) {
    const TimeZoneScope zone("Europe/Berlin");
    const auto value = ParseDateTimeValue("20260329T023000", 1);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(FormatDateTimeValue(*value).toStdString(), "20260329T023000");
}

TEST(DateTimeValue, NumberInSchemaZero) {
    EXPECT_EQ(ParseDateTimeValue("46363.5", 0), 46363.5);
    EXPECT_FALSE(ParseDateTimeValue("20261207T100509", 0));
}

TEST(BinaryValue, ExactlyTwoHexDigitsPerByte) {
    EXPECT_EQ(EncodeBinaryValue(QByteArray::fromHex("12ab00ff")), "12AB00FF");
    EXPECT_EQ(DecodeBinaryValue("12ab00FF", 4), QByteArray::fromHex("12ab00ff"));
    EXPECT_FALSE(DecodeBinaryValue("12AB00F", 4));
    EXPECT_FALSE(DecodeBinaryValue("12AB00FF00", 4));
    EXPECT_FALSE(DecodeBinaryValue("12AB00FG", 4));
}
