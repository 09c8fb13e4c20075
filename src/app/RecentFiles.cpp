#include "app/RecentFiles.h"

#include "io/ProfileFile.h"

#include <QFileInfo>

namespace gessoria::app {
namespace {

constexpr const char* kSection = "Recent File List";

QString Canonical(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

void RecentFiles::Load(const std::filesystem::path& iniPath)
{
    const ProfileFile ini = ProfileFile::Load(iniPath);
    entries_.clear();
    for (int i = 1; i <= kEntries; ++i) {
        const std::string name = ini.GetString(kSection, "File" + std::to_string(i), "", 4096);
        if (!name.empty() && !entries_.contains(QString::fromStdString(name)))
            entries_ << QString::fromStdString(name);
    }
}

bool RecentFiles::Save(const std::filesystem::path& iniPath) const
{
    ProfileFile ini = ProfileFile::Load(iniPath);
    for (int i = 1; i <= kEntries; ++i)
        ini.SetString(kSection, "File" + std::to_string(i),
                      i <= entries_.size() ? entries_[i - 1].toStdString() : std::string());
    ini.SetInt("Settings", "PreviewPages", 0);
    return ini.Save(iniPath);
}

void RecentFiles::Add(const QString& path)
{
    const QString name = Canonical(path);
    entries_.removeAll(name);
    entries_.prepend(name);
    while (entries_.size() > kEntries)
        entries_.removeLast();
}

void RecentFiles::Remove(const QString& path)
{
    entries_.removeAll(Canonical(path));
}

} // namespace gessoria::app
