#pragma once
// CommandTable: the one place every command is made, as a QAction with its menu text, key
// bindings, icon, status prompt, tooltip and check state.
//
// A command whose feature is not in the program yet is made disabled, so menus and bars
// show it greyed. Handlers are connected by the main window.

#include "app/Command.h"

#include <QAction>
#include <QObject>

#include <array>

class QWidget;

namespace gessoria::app {

struct CommandInfo {
    Command id;
    const char* text;       // menu text with its mnemonic
    const char* prompt;     // status-bar description, a line feed, the tooltip
    const char* keys;       // key sequences separated by ';'
    const char* icon;       // resource name under :/icons, or nullptr
    bool checkable;
    bool available;         // false: the feature is not built yet, the action stays disabled
};

class CommandTable : public QObject {
    Q_OBJECT
public:
    // The actions are added to `window`, so their keys work wherever the focus is in it.
    explicit CommandTable(QWidget* window);

    QAction* operator[](Command id) const { return actions_[static_cast<std::size_t>(id)]; }
    static const CommandInfo& Info(Command id);
    // The status-bar half of a prompt (tabs shown as spaces).
    static QString StatusText(const char* prompt);
    // What's This: the status prompt and a link to the manual's page about the command
    // (the link's target is the page's file name).
    static QString WhatsThisText(Command id);

private:
    std::array<QAction*, static_cast<std::size_t>(Command::Count)> actions_{};
};

} // namespace gessoria::app
