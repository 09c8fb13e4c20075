#pragma once
// HelpWindow: the program's manual in a window of its own, titled "Gessoria Help": the
// contents list on the left, the page on the right with its links followed inside the
// window. Pages are the manual's Markdown files; the keyboard shortcuts page is made from
// the program's own actions each time it is shown, so it lists exactly the keys that work.
//
// A manual that cannot be found says so on the page and names where it was looked for.

#include <QList>
#include <QWidget>

class QAction;
class QListWidget;
class QTextBrowser;

namespace gessoria::app {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Gessoria Help";
    // The contents entry of the page made from the actions.
    static constexpr const char* kShortcutsTopic = "shortcuts";

    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the window at a topic (a page's file name, or kShortcutsTopic); an unknown or
    // empty topic shows the contents page.
    void ShowTopic(const QString& topic);
    // The actions whose keys the shortcuts page lists.
    void SetActions(QList<QAction*> actions) { actions_ = std::move(actions); }

    // The topic shown, as ShowTopic names it.
    QString currentTopic() const { return current_; }
    QTextBrowser* browser() const { return browser_; }
    QListWidget* contents() const { return contents_; }

private:
    void Open(const QString& topic);
    void SelectInContents(const QString& topic);

    QListWidget* contents_;
    QTextBrowser* browser_;
    QList<QAction*> actions_;
    QString manual_;
    QString current_;
};

} // namespace gessoria::app
