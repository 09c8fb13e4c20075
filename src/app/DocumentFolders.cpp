#include "app/DocumentFolders.h"

#include "io/ProfileFile.h"

#include <QDir>
#include <QFileInfo>

namespace gessoria::app {
namespace {

constexpr const char* kSection = "Folders";
constexpr const char* kOpenKey = "Open";
constexpr std::size_t kPathBuffer = 4096;

} // namespace

QString OpenStartFolder(const QString& documentPath, const std::filesystem::path& iniPath)
{
    if (!documentPath.isEmpty())
        return QFileInfo(documentPath).absolutePath();
    const QString remembered =
        QString::fromStdString(ProfileFile::Load(iniPath).GetString(kSection, kOpenKey, "", kPathBuffer));
    // A folder since removed would leave the chooser nowhere; it then picks its own.
    return !remembered.isEmpty() && QDir(remembered).exists() ? remembered : QString();
}

void RememberOpenFolder(const QString& openedPath, const std::filesystem::path& iniPath)
{
    ProfileFile ini = ProfileFile::Load(iniPath);
    ini.SetString(kSection, kOpenKey, QFileInfo(openedPath).absolutePath().toStdString());
    ini.Save(iniPath);
}

QString ProposedProjectPath(const QString& projectPath, const QString& suggested, const QString& documentPath)
{
    if (!projectPath.isEmpty())
        return projectPath;
    if (!suggested.isEmpty())
        return suggested;
    if (documentPath.isEmpty())
        return {};
    const QFileInfo document(documentPath);
    return document.absoluteDir().filePath(document.completeBaseName() + ".gsr");
}

} // namespace gessoria::app
