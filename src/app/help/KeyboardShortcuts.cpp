#include "app/help/KeyboardShortcuts.h"

#include <QAction>
#include <QKeySequence>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace gessoria::app {

QString KeyboardShortcutsHtml(const QList<QAction*>& actions)
{
    struct Row {
        QString name, keys, prompt;
    };
    std::vector<Row> rows;
    for (const QAction* action : actions) {
        if (action->shortcuts().isEmpty())
            continue;
        QStringList keys;
        for (const QKeySequence& key : action->shortcuts())
            keys << key.toString(QKeySequence::NativeText).toHtmlEscaped();
        QString name = action->text();
        name.remove(QRegularExpression("&(?!&)"));
        // The tools' prompts end by pointing at F1, which this page is already part of.
        QString prompt = action->statusTip();
        prompt.remove(QRegularExpression("\\s*For help press F1$"));
        rows.push_back({name.toHtmlEscaped(), keys.join(", "), prompt.toHtmlEscaped()});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.name.localeAwareCompare(b.name) < 0;
    });
    QString html = "<h1>Keyboard shortcuts</h1><p>Every key the program answers to, as it is set up now.</p>"
                   "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\">"
                   "<tr><th align=\"left\">Command</th><th align=\"left\">Keys</th><th align=\"left\">What it does</th></tr>";
    for (const Row& row : rows)
        html += QString("<tr><td>%1</td><td><b>%2</b></td><td>%3</td></tr>").arg(row.name, row.keys, row.prompt);
    return html + "</table>";
}

} // namespace gessoria::app
