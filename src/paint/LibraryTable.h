#pragma once
// LibraryTable: what the brush and the paint tables share — entry 0 the built-in default, at
// most 100 entries, a current entry that is always valid, and the editor's flows: accept
// (create, replace or nothing), "Save To Scene", the scratch entry "stababanda" and delete,
// each asking and telling in its table's own words.
//
// A table supplies how an edit is compared and stored, and what an entry gives up when it
// stops being current or is removed (a bitmap paint's images).

#include "scene/UserInteraction.h"

#include <string>
#include <utility>
#include <vector>

namespace gessoria {

struct TableWording {
    const char* noun;              // "Brush": "Create a new Brush called ..."
    const char* tableFull;         // the string-table message for a full table
    const char* sceneFull;         // "Save To Scene" with a full table
    const char* deleteQuestion;
    const char* defaultUndeletable;
};

template <typename Entry>
class LibraryTable {
public:
    static constexpr int kMaxEntries = 100;
    static constexpr const char* kScratchName = "stababanda";

    virtual ~LibraryTable() = default;

    int count() const { return static_cast<int>(entries_.size()); }
    int currentIndex() const { return current_; }
    Entry& current() { return entries_[static_cast<std::size_t>(current_)]; }
    const Entry& current() const { return entries_[static_cast<std::size_t>(current_)]; }
    Entry& at(int index) { return entries_[static_cast<std::size_t>(index)]; }
    const Entry& at(int index) const { return entries_[static_cast<std::size_t>(index)]; }

    // Makes entry `index` current; the entry that stops being current is released.
    bool Select(int index)
    {
        if (index < 0 || index >= count())
            return false;
        if (index != current_)
            Released(current());
        current_ = index;
        return true;
    }

    // Appends an entry and makes it current; false when the table is full.
    bool Append(Entry entry)
    {
        if (count() >= kMaxEntries)
            return false;
        Released(current());
        entries_.push_back(std::move(entry));
        current_ = count() - 1;
        return true;
    }

    // The new-entry command: appends the scratch entry and makes it current.
    bool NewScratch(Entry scratch, UserInteraction& ui)
    {
        if (count() >= kMaxEntries) {
            ui.Tell(wording_.tableFull);
            return false;
        }
        scratch.name = kScratchName;
        return Append(std::move(scratch));
    }

    // The editor closed: a scratch entry still current is removed and entry 0 becomes current.
    void EditorClosed()
    {
        if (current_ > 0 && current().name == kScratchName)
            RemoveCurrent();
    }

    // Deletes the entry at index after asking; entry 0 refuses.
    bool Delete(int index, UserInteraction& ui)
    {
        if (index < 0 || index >= count())
            return false;
        if (index == 0) {
            ui.Tell(wording_.defaultUndeletable);
            return false;
        }
        if (!ui.Ask(wording_.deleteQuestion))
            return false;
        // Entry 0 becomes current: the deleted entry and the one that stops being current
        // both give up what they hold.
        Released(at(index));
        if (current_ != index && current_ != 0)
            Released(current());
        entries_.erase(entries_.begin() + index);
        current_ = 0;
        return true;
    }

protected:
    LibraryTable(Entry defaultEntry, const TableWording& wording) : entries_{std::move(defaultEntry)}, wording_(wording) {}

    // Whether the editor's values differ in nothing the editor shows.
    virtual bool SameSettings(const Entry& a, const Entry& b) const = 0;
    // Stores the editor's values (name already trimmed) into `target`.
    virtual void Overwrite(Entry& target, const Entry& edit, bool contentEdited) const = 0;
    // An entry stops being current or is removed.
    virtual void Released(Entry&) {}

    // The editor's accept. contentEdited: something the settings cannot show was edited (a head).
    void SaveEditedEntry(const Entry& edit, bool contentEdited, UserInteraction& ui)
    {
        const Entry trimmed = Trimmed(edit);
        Entry& entry = current();
        if (!contentEdited && SameSettings(trimmed, entry))
            return;
        const std::string& name = trimmed.name;
        if (name == entry.name) {
            if (ui.Ask("Replace existing " + name + "?"))
                Overwrite(entry, trimmed, contentEdited);
            return;
        }
        if (entry.name == kScratchName) {
            Overwrite(entry, trimmed, contentEdited);
        } else if (ui.Ask(std::string("Create a new ") + wording_.noun + " called " + name + "? If you select 'No' the " +
                          Lower(wording_.noun) + " you edited will be replaced.")) {
            if (count() >= kMaxEntries) {
                ui.Tell(wording_.tableFull);
                return;
            }
            Append(Created(trimmed));
        } else {
            Overwrite(entry, trimmed, contentEdited);
        }
    }

    // "Save To Scene": a new name makes a new entry, the same name overwrites after asking.
    void SaveEntryToScene(const Entry& edit, bool contentEdited, UserInteraction& ui)
    {
        const Entry trimmed = Trimmed(edit);
        const std::string& name = trimmed.name;
        if (name != current().name) {
            if (count() >= kMaxEntries) {
                ui.Tell(wording_.sceneFull);
                return;
            }
            Append(Created(trimmed));
            return;
        }
        if (ui.Ask("Do you really want to overwrite existing " + name))
            Overwrite(current(), trimmed, contentEdited);
    }

    std::vector<Entry> entries_;
    int current_ = 0;

private:
    // A new entry takes everything the editor holds, content (a bitmap head) included:
    // there is no earlier content of its own to keep.
    Entry Created(const Entry& edit) const
    {
        Entry created;
        Overwrite(created, edit, true);
        return created;
    }

    static std::string Lower(std::string text)
    {
        for (char& c : text)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return text;
    }

    // The typed name without its surrounding blanks, cut to what the library's 255-byte
    // read buffer gives back (254 characters), so a saved name reads back unchanged.
    static Entry Trimmed(Entry edit)
    {
        const auto first = edit.name.find_first_not_of(' ');
        edit.name = first == std::string::npos ? std::string() : edit.name.substr(first, edit.name.find_last_not_of(' ') - first + 1);
        if (edit.name.size() > 254)
            edit.name.resize(254);
        return edit;
    }

    void RemoveCurrent()
    {
        Released(current());
        entries_.erase(entries_.begin() + current_);
        current_ = 0;
    }

    TableWording wording_;
};

} // namespace gessoria
