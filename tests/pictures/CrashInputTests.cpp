// Inputs that once made a reader crash or hang (tests/data/crash, named after the fault) must
// now end in the format's own clean error.
#include "Ani.h"
#include "Icon.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

QString CrashFile(const QString& name)
{
    return QDir::cleanPath(QStringLiteral(VELLORIA_TEST_DATA "/../../data/crash/") + name);
}

} // namespace

TEST(CrashInputs, TruncatedFrameClaimingAHugeStripIsAnInvalidIcon)
{
    TJvAni ani;
    try {
        ani.LoadFromFile(CrashFile(QStringLiteral("ani_truncated_frame_claims_huge_strip.ani")));
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Icon image is not valid"));
    }
    EXPECT_TRUE(ani.Empty());
}

TEST(CrashInputs, TruncatedDibClaimingAHugeImageIsAnInvalidIcon)
{
    TIcon icon;
    try {
        icon.LoadFromFile(CrashFile(QStringLiteral("ico_truncated_dib_claims_huge_image.ico")));
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Icon image is not valid"));
    }
    EXPECT_TRUE(icon.Empty());
}
