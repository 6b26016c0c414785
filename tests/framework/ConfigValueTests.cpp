#include "Exception.h"
#include "LxConfigValues.h"

#include <gtest/gtest.h>

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
