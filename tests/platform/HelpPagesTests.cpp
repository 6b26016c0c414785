// The help pages as the program finds them beside itself in the build tree: a page for every
// help context, and every link of every page leading to a file (and anchor) that is there.
#include "Help.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
const QString BuiltHelpFolder = QStringLiteral(VELLORIA_BINARY_DIR "/product/help/");

QString ReadPage(const QString& fileName) {
    QFile file(fileName);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << fileName.toStdString();
    return QString::fromUtf8(file.readAll());
}
} // namespace

TEST(HelpPages, EveryHelpContextHasItsPage) {
    // The contents page, the main window, Options, the image viewer, About and the dialogs'
    // validation warning.
    for (const int context : {0, 1000, 2000, 2100, 30500, 35020}) {
        SCOPED_TRACE(context);
        const QString page = BuiltHelpFolder + HelpPageUrl(context).fileName();
        ASSERT_TRUE(QFile::exists(page)) << page.toStdString();
        EXPECT_TRUE(
            ReadPage(page).contains(QRegularExpression("<title>Velloria Help: [^<]+</title>")));
    }
}

TEST(HelpPages, EveryLinkOfEveryPageResolves) {
    const QRegularExpression link(QStringLiteral(R"re(\b(?:href|src)\s*=\s*["']([^"']*)["'])re"));
    const QStringList pages = QDir(BuiltHelpFolder).entryList({QStringLiteral("*.html")});
    ASSERT_GE(pages.size(), 6);
    int links = 0;
    for (const QString& page : pages) {
        const QString text = ReadPage(BuiltHelpFolder + page);
        for (const auto& match : link.globalMatch(text)) {
            const QString target = match.captured(1);
            SCOPED_TRACE((page + QStringLiteral(" -> ") + target).toStdString());
            ++links;
            // The pages are read from disk without a network: only links within the folder.
            ASSERT_FALSE(target.contains(QLatin1Char(':'))) << "link out of the help folder";
            const QString file = target.section(QLatin1Char('#'), 0, 0);
            const QString anchor = target.section(QLatin1Char('#'), 1);
            const QString path = BuiltHelpFolder + (file.isEmpty() ? page : file);
            ASSERT_TRUE(QFile::exists(path));
            if (!anchor.isEmpty()) {
                EXPECT_TRUE(ReadPage(path).contains(QStringLiteral("id=\"%1\"").arg(anchor)));
            }
        }
    }
    EXPECT_GE(links, pages.size() * 2);
}
