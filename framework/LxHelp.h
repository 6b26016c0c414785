#pragma once
// Opening the help: the page of a help context in the user's browser, and the F1 key that opens
// the page of the window in use.

// Opens the page of the help context (the contents page for 0 or less). When the desktop has
// nothing that can show it, says so in an error box that names the page's path, so that the
// person can open it by hand; never fails otherwise.
void OpenHelp(int context);
// From now on, F1 in any window opens the page of the nearest help context of the widget that
// has the keyboard focus (see NearestHelpContext); F1 where none is found does nothing. Installed
// once per application; later calls do nothing.
void InstallHelpKey();
