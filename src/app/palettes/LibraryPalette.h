#pragma once
// LibraryPalette: a floating list of a library's entries (brushes or paints) with "Edit...",
// "New" and "Delete". Choosing an entry makes it current; the flows behind the buttons are
// the tables' own, reached through the hooks a palette supplies.

#include <QIcon>
#include <QWidget>

class QListWidget;

namespace gessoria::app {

class LibraryPalette : public QWidget {
    Q_OBJECT
public:
    LibraryPalette(const QString& title, const QString& noun, QWidget* parent);
    void Refresh();
    void EditCurrent();
    void NewEntry();
    void DeleteChosen();

    QListWidget* list() const { return list_; }

signals:
    // The current entry, or an entry's values, changed.
    void libraryChanged();

protected:
    void showEvent(QShowEvent* event) override;

    virtual int EntryCount() const = 0;
    virtual QString EntryName(int index) const = 0;
    virtual QIcon EntryIcon(int) const { return {}; }
    virtual int CurrentEntry() const = 0;
    virtual void SelectEntry(int index) = 0;
    // Runs the settings dialog on the current entry; the editor-closed step follows it.
    virtual void RunSettings() = 0;
    virtual bool AppendScratch() = 0;
    virtual bool DeleteEntry(int index) = 0;

private:
    QListWidget* list_;
    bool filling_ = false;
};

} // namespace gessoria::app
