#pragma once
// HelpTopics: the manual's pages as the help window lists them, where the manual is found,
// and which page tells about a command or a control panel page. A topic is a page's file
// name inside the manual folder ("brush.md").
//
// The manual is docs/manual in the sources; an installation puts it in
// share/gessoria/manual, found from the program as ../share/gessoria/manual. The installed
// copy wins, so a program run from a build tree reads the sources' pages.

#include "app/Command.h"
#include "app/panel/PanelPage.h"

#include <QString>

#include <span>

namespace gessoria::app {

struct HelpTopic {
    const char* file;   // page file inside the manual folder
    const char* title;  // as the contents list shows it
};

// Every page, in the contents list's order; the first is the contents page.
std::span<const HelpTopic> HelpTopics();

// The page about a command; empty for commands without one.
QString HelpTopicOfCommand(Command id);
// The page about a control panel page (a tool's page tells about the tool).
QString HelpTopicOfPage(PanelPage page);

// The folder holding the manual's pages; empty when no copy holds the contents page.
QString ManualDirectory();

} // namespace gessoria::app
