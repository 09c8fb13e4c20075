#pragma once
// DocumentChanges: whether the session holds work that a save would keep and that is not
// saved yet.
//
// Every operation that changes what a save writes calls Mark. A save records the change
// count it wrote (taken before it starts), so a change made while a save or an autosave copy
// is under way still counts as unsaved. Opening a document starts it unchanged; a recovered
// document starts changed, since it is saved nowhere the user chose. One listener hears
// every switch between changed and unchanged (the window title shows it).

#include <cstdint>
#include <functional>
#include <utility>

namespace gessoria {

class DocumentChanges {
public:
    void Mark()
    {
        const bool was = Modified();
        ++count_;
        Notify(was);
    }
    bool Modified() const { return count_ != saved_; }
    // The count a save or an autosave copy takes before it writes.
    std::uint64_t count() const { return count_; }
    // The document as it stood at `count` is on disk where the user wants it.
    void SavedAt(std::uint64_t count)
    {
        const bool was = Modified();
        saved_ = count;
        Notify(was);
    }
    // A document just opened, or none: nothing to save.
    void Reset() { SavedAt(count_); }
    // A document that holds work saved nowhere yet (a recovered scene).
    void MarkUnsaved()
    {
        Reset();
        Mark();
    }
    void SetListener(std::function<void(bool modified)> listener) { listener_ = std::move(listener); }

private:
    void Notify(bool was)
    {
        if (listener_ && was != Modified())
            listener_(Modified());
    }

    std::uint64_t count_ = 0;
    std::uint64_t saved_ = 0;
    std::function<void(bool)> listener_;
};

} // namespace gessoria
