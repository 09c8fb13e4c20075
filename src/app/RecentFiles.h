#pragma once
// RecentFiles: the File menu's list of the last four files opened, newest first, kept in the
// preferences file's "Recent File List" section as "File1" .. "File4".

#include <QStringList>

#include <filesystem>

namespace gessoria::app {

class RecentFiles {
public:
    static constexpr int kEntries = 4;

    void Load(const std::filesystem::path& iniPath);
    // Writes the section (and the "Settings" section that goes with it) into the file.
    bool Save(const std::filesystem::path& iniPath) const;
    // A file opened: it moves to the top; the oldest entry beyond four drops off.
    void Add(const QString& path);
    void Remove(const QString& path);
    const QStringList& entries() const { return entries_; }

private:
    QStringList entries_;
};

} // namespace gessoria::app
