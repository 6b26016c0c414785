#include "LXCommandLine.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// A parser with the framework's option and, for the argument rules, two more.
struct Parsed {
    TLXCommandLine Line;
    explicit Parsed(const QStringList& parameters) {
        Line.AddOption("noconfig", "nc", akNone);
        Line.AddOption("output", "o", akRequired);
        Line.AddOption("level", "l", akOptional);
        Line.Parse(parameters);
    }
    QStringList Positional() const { return Line.Args.mid(1); }
};
} // namespace

TEST(CommandLine, EverySpellingOfNoConfigIsRecordedUnderItsLongName) {
    for (const char* form :
         {"-noconfig", "/noconfig", "-nc", "/NC", "-NoConfig", "--noconfig", "--nc"}) {
        Parsed parsed({QString(form)});
        EXPECT_TRUE(parsed.Line.HasOption("noconfig")) << form;
        EXPECT_EQ(parsed.Line.Values, QStringList{"noconfig= "}) << form;
    }
}

TEST(CommandLine, InlineValueOfAnOptionWithoutArgumentIsDropped) {
    Parsed parsed({"/nc:yes"});
    EXPECT_EQ(parsed.Line.Values, QStringList{"noconfig= "});
}

TEST(CommandLine, UnknownOptionsAreRecordedAsTypedWithoutError) {
    Parsed parsed({"-x", "-nc", "-Zed:value"});
    EXPECT_EQ(parsed.Line.Values, (QStringList{"x= ", "noconfig= ", "Zed= "}));
}

TEST(CommandLine, FirstPositionalOrDoubleDashEndsTheOptions) {
    Parsed report({"report.txt", "-nc"});
    EXPECT_FALSE(report.Line.HasOption("noconfig"));
    EXPECT_EQ(report.Positional(), (QStringList{"report.txt", "-nc"}));

    Parsed dashes({"--", "-nc"});
    EXPECT_FALSE(dashes.Line.HasOption("noconfig"));
    EXPECT_EQ(dashes.Positional(), QStringList{"-nc"});

    Parsed empty({"", "-nc"});
    EXPECT_FALSE(empty.Line.HasOption("noconfig"));
    EXPECT_EQ(empty.Positional(), (QStringList{"", "-nc"}));

    // A Linux path begins with the other option prefix: one that exists is a folder or file
    // given to the program, one that does not is still an option.
    QTemporaryDir folder;
    Parsed path({"/nc", folder.path(), "-nc"});
    EXPECT_TRUE(path.Line.HasOption("noconfig"));
    EXPECT_EQ(path.Positional(), (QStringList{folder.path(), "-nc"}));
    Parsed output({"/o", folder.path()});
    EXPECT_EQ(output.Line.Value("output"), folder.path());
}

TEST(CommandLine, ArgsStartWithTheExecutablePath) {
    Parsed parsed({"a"});
    ASSERT_EQ(parsed.Line.Args.size(), 2);
    EXPECT_TRUE(parsed.Line.Args[0].startsWith('/'));
}

TEST(CommandLine, TheLaterOfTwoValuesWins) {
    Parsed parsed({"-o", "first", "-output:second"});
    EXPECT_EQ(parsed.Line.Values, QStringList{"output=second"});
    EXPECT_EQ(parsed.Line.Value("OUTPUT"), "second");
}

TEST(CommandLine, RequiredArgumentRules) {
    EXPECT_EQ(Parsed({"-o", "last"}).Line.Value("output"), "last");
    try {
        Parsed({"-o"});
        FAIL() << "no error for a missing argument";
    } catch (const ELXBadOption& error) {
        EXPECT_EQ(error.Message(), "Argument missing for option: o");
        EXPECT_EQ(error.ClassName(), "ELXBadOption");
    }
    EXPECT_THROW(Parsed({"-o", "-p"}), ELXBadOption);
    EXPECT_THROW(Parsed({"-OUTPUT", "/p"}), ELXBadOption);
}

TEST(CommandLine, OptionalArgumentFollowedByAnOptionStaysBlank) {
    Parsed parsed({"-l", "-nc", "file"});
    EXPECT_EQ(parsed.Line.Values, (QStringList{"level= ", "noconfig= "}));
    EXPECT_EQ(parsed.Positional(), QStringList{"file"});
    EXPECT_EQ(Parsed({"-l", "3"}).Line.Value("level"), "3");
}

TEST(CommandLine, FindOptionTriesNameThenShortName) {
    TLXCommandLine line;
    line.AddOption("alpha", "b", akNone);
    line.AddOption("b", "c", akNone);
    EXPECT_EQ(line.FindOption("B")->Name, "alpha");
    EXPECT_EQ(line.FindOption("C")->Name, "b");
    EXPECT_EQ(line.FindOption("d"), nullptr);
}
