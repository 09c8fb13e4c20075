#pragma once
// The keyboard shortcuts page: one row per action that has keys, with its name (the menu
// text without its mnemonic), every key sequence bound to it and its status prompt, sorted
// by name. Made from the actions themselves, so a key added to a command shows up here.

#include <QList>
#include <QString>

class QAction;

namespace gessoria::app {

QString KeyboardShortcutsHtml(const QList<QAction*>& actions);

} // namespace gessoria::app
