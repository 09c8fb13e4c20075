#include "session/TipOfTheDay.h"

#include "io/ProfileFile.h"

#include <chrono>
#include <system_error>

namespace gessoria {
namespace {

constexpr const char* kSection = "Tip";
constexpr std::size_t kMaxLine = 1000;

std::string ModificationTime(const std::filesystem::path& path)
{
    std::error_code error;
    const auto time = std::filesystem::last_write_time(path, error);
    if (error)
        return {};
    return std::to_string(std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count());
}

bool IsSkipped(const std::string& line)
{
    return line.empty() || line[0] == ' ' || line[0] == '\t' || line[0] == '\n' || line[0] == '\r' || line[0] == ';';
}

} // namespace

TipOfTheDay::TipOfTheDay(std::filesystem::path iniPath, std::filesystem::path tipsPath) : iniPath_(std::move(iniPath))
{
    const ProfileFile ini = ProfileFile::Load(iniPath_);
    showAtStartup_ = ini.GetInt(kSection, "StartUp", 0) == 0;
    long long position = ini.GetInt(kSection, "FilePos", 0);

    file_.open(tipsPath, std::ios::binary);
    std::error_code error;
    if (!file_ || !std::filesystem::is_regular_file(tipsPath, error)) {
        text_ = kMissingFile;
        return;
    }
    open_ = true;
    const std::string stamp = ModificationTime(tipsPath);
    if (stamp != ini.GetString(kSection, "TimeStamp", "", 256)) {
        position = 0;
        WriteProfileString(iniPath_, kSection, "TimeStamp", stamp);
    }
    file_.seekg(position < 0 ? -1 : position);
    if (!file_ || position < 0) {
        text_ = kTroubleReading;
        return;
    }
    Next();
}

const std::string& TipOfTheDay::Next()
{
    if (!open_)
        return text_;
    // At most one pass over the whole file, so a file without tips cannot loop forever.
    bool wrapped = false;
    for (;;) {
        std::string line;
        if (std::getline(file_, line)) {
            if (line.size() > kMaxLine)
                line.resize(kMaxLine);
            if (!IsSkipped(line)) {
                if (line.back() == '\r')
                    line.pop_back();
                text_ = line;
                return text_;
            }
            continue;
        }
        if (wrapped) {
            text_.clear();
            return text_;
        }
        wrapped = true;
        file_.clear();
        file_.seekg(0);
        if (!file_) {
            text_ = kTroubleReading;
            return text_;
        }
    }
}

void TipOfTheDay::Close(bool showTipsOnStartup)
{
    showAtStartup_ = showTipsOnStartup;
    WriteProfileInt(iniPath_, kSection, "StartUp", showTipsOnStartup ? 0 : 1);
}

TipOfTheDay::~TipOfTheDay()
{
    if (!open_)
        return;
    file_.clear();
    const auto position = static_cast<long long>(file_.tellg());
    if (position >= 0)
        WriteProfileInt(iniPath_, kSection, "FilePos", static_cast<int>(position));
}

bool TipsShownAtStartup(const std::filesystem::path& iniPath)
{
    return ProfileFile::Load(iniPath).GetInt(kSection, "StartUp", 0) == 0;
}

} // namespace gessoria
