// The program carries the project's version information in its file.
#include "VelloriaVersion.h"
#include "VersionInfo.h"

#include <gtest/gtest.h>

TEST(ProgramVersion, ProgramFileCarriesTheProjectVersion) {
    const TVersionInfo info = ReadVersionInfo(QStringLiteral(VELLORIA_PROGRAM));
    EXPECT_EQ(info.StringValue("ProductName"), "Velloria");
    EXPECT_EQ(info.StringValue("CompanyName"), "Ornwick");
    EXPECT_EQ(info.StringValue("OriginalFilename"), "velloria");
    EXPECT_TRUE(info.StringValue("LegalCopyright").contains("Ornwick"));
    const QString version = QString::fromLatin1(VelloriaVersion);
    EXPECT_TRUE(FormatFileVersion(info.FileVersion).startsWith(version + " ("))
        << FormatFileVersion(info.FileVersion).toStdString();
    EXPECT_TRUE(info.StringValue("ProductVersion").startsWith(version));
#ifdef NDEBUG
    const bool debugBuild = false;
#else
    const bool debugBuild = true;
#endif
    EXPECT_EQ((info.EffectiveFlags() & VS_FF_DEBUG) != 0, debugBuild);
}
