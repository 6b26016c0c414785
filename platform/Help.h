#pragma once
// The help: a folder of HTML pages in the program's data folder, one page per help context
// number plus a contents page, opened in the user's browser.

#include <QString>
#include <QUrl>

// The folder of the help pages, without a trailing "/".
QString HelpFolder();
// The page of a help context, "<context>.html" in the help folder; the contents page
// "index.html" for a context of 0 or less.
QUrl HelpPageUrl(int context);
// Asks the desktop to open the page of the help context; false when nothing could open it.
bool ShowHelpContext(int context);
