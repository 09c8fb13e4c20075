#include "app/DataDirectory.h"

#include "app/Resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <system_error>

namespace gessoria::app {
namespace {

std::filesystem::path FromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? std::filesystem::path(value) : std::filesystem::path();
}

} // namespace

std::filesystem::path UserDataDirectory()
{
    if (auto named = FromEnvironment("GESSORIA_DATA"); !named.empty())
        return named;
    if (auto xdg = FromEnvironment("XDG_DATA_HOME"); !xdg.empty() && xdg.is_absolute())
        return xdg / "gessoria";
    return FromEnvironment("HOME") / ".local" / "share" / "gessoria";
}

std::filesystem::path InstalledDataDirectory()
{
    if (QCoreApplication::instance() == nullptr)
        return {};
    const std::filesystem::path installed =
        std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / ".." / "share" / "gessoria";
    std::error_code error;
    if (!std::filesystem::is_regular_file(installed / "Brushes.Dat", error))
        return {};
    return std::filesystem::weakly_canonical(installed, error);
}

bool SeedDataDirectory(const std::filesystem::path& directory)
{
    std::error_code error;
    if (std::filesystem::exists(directory, error))
        return true;
    if (!std::filesystem::create_directories(directory, error))
        return false;
    InitResources();
    // The starter files are those under the :/seed resource, with their folders; each is
    // taken from the installed copy when there is one.
    const std::filesystem::path installed = InstalledDataDirectory();
    const QDir installedDir(QString::fromStdString(installed.string()));
    bool ok = true;
    QDirIterator it(":/seed", QDir::Files, QDirIterator::Subdirectories);
    const QDir target(QString::fromStdString(directory.string()));
    while (it.hasNext()) {
        QString source = it.next();
        const QString relative = source.mid(QString(":/seed/").size());
        if (!installed.empty() && QFileInfo::exists(installedDir.filePath(relative)))
            source = installedDir.filePath(relative);
        const QString destination = target.filePath(relative);
        target.mkpath(QFileInfo(destination).path());
        ok = QFile::copy(source, destination) && ok;
        QFile::setPermissions(destination, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return ok;
}

std::filesystem::path TipsFilePath()
{
    return UserDataDirectory() / "tips.txt";
}

} // namespace gessoria::app
