#pragma once
// TipOfTheDay: reads the tips file one tip at a time and remembers where it stopped.
//
// A tip is the next line (at most 1000 characters) that does not start with a blank, a tab,
// a line feed or ";" (a comment). At the end of the file reading starts again at the top.
// The INI file's "Tip" section keeps the offset of the next tip ("FilePos"), whether tips
// show at start-up ("StartUp" 0 means they do) and the tips file's modification time
// ("TimeStamp"): a changed file starts again at its first tip.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace gessoria {

class TipOfTheDay {
public:
    static constexpr const char* kMissingFile =
        "I can't find the tips file (TIPS.TXT) in the Gessoria root directory, check to make sure it's there.";
    static constexpr const char* kTroubleReading = "Trouble reading the tips file";

    TipOfTheDay(std::filesystem::path iniPath, std::filesystem::path tipsPath);
    ~TipOfTheDay();  // writes "FilePos"

    bool showAtStartup() const { return showAtStartup_; }
    // The tip shown when the dialog opens.
    const std::string& text() const { return text_; }
    // "&Next Tip".
    const std::string& Next();
    // "&Close": writes "StartUp" as 0 when the box is checked, else 1.
    void Close(bool showTipsOnStartup);

private:
    std::filesystem::path iniPath_;
    std::ifstream file_;
    bool open_ = false;
    bool showAtStartup_ = true;
    std::string text_;
};

// Whether start-up should show the tip of the day.
bool TipsShownAtStartup(const std::filesystem::path& iniPath);

} // namespace gessoria
