#pragma once
// RecordingInteraction: a UserInteraction for tests. It answers from a script (queues of
// answers per kind of question; an empty queue gives the non-interactive default: No,
// cancel, presets) and keeps every text shown, in order.

#include "scene/UserInteraction.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace gessoria::test {

struct Shown {
    enum class Kind { Message, Question, FileChooser, DirectoryChooser, TextPrompt, BitmapTexture, TextureMapSize, Status, Progress, Hint, Warning };
    Kind kind;
    std::string text;
    std::string title;
};

class RecordingInteraction : public UserInteraction {
public:
    // Scripted answers, consumed in order.
    std::deque<bool> yesNo;
    std::deque<YesNoCancel> yesNoCancel;
    std::deque<std::size_t> choices;  // button indices; empty: the last button
    std::deque<std::optional<std::string>> saveFiles;
    std::deque<std::optional<std::string>> files;
    std::deque<std::string> directories;
    std::deque<std::optional<std::string>> texts;
    std::deque<std::optional<BitmapTextureAnswer>> bitmapTexture;
    std::deque<std::optional<TextureMapSizeAnswer>> textureMapSize;

    std::vector<Shown> shown;
    // The buttons of every question asked, in order: "Yes/No", "OK/Cancel" or "Yes/No/Cancel".
    std::vector<std::string> questionButtons;
    std::vector<TextureMapSizeRequest> textureMapSizeRequests;
    std::vector<int> progress;
    // The reason given below each message that had one: the message's index in `shown`.
    std::vector<std::pair<std::size_t, std::string>> reasons;

    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    // Answered from `yesNo` (true = OK).
    bool AskOkCancel(const std::string& text, const std::string& title) override;
    std::optional<std::string> ChooseFileToOpen(const std::string& filter, const std::string& presetName) override;
    // Recorded as a file chooser whose text is the starting folder; answered from `files`.
    std::optional<std::string> ChooseDocumentToOpen(const std::string& filter, const std::string& folder) override;
    std::optional<std::string> ChooseFileToSave(const std::string& filter, const std::string& defaultExtension,
                                                const std::string& presetName) override;
    YesNoCancel AskYesNoCancel(const std::string& text, const std::string& title) override;
    std::size_t AskChoice(const std::string& text, const std::string& title,
                          const std::vector<std::string>& buttons) override;
    void ShowMessageWithReason(const std::string& text, const std::string& reason, const std::string& title,
                               MessageIcon icon) override;
    std::string ChooseDirectory() override;
    std::optional<std::string> AskText(const std::string& title, const std::string& defaultText) override;
    std::optional<BitmapTextureAnswer> AskBitmapTexture(const BitmapTextureRequest& request) override;
    std::optional<TextureMapSizeAnswer> AskTextureMapSize(const TextureMapSizeRequest& request) override;
    void SetStatusText(const std::string& text) override;
    void BeginProgress(const std::string& title) override;
    void SetProgress(int percent) override;
    void EndProgress() override {}
    void ShowHint(int id, const std::string& text) override { shown.push_back({Shown::Kind::Hint, text, std::to_string(id)}); }
    void RaiseWarning(const std::string& text) override { shown.push_back({Shown::Kind::Warning, text, {}}); }
    void PutOutWarning() override { ++warningsPutOut; }
    int warningsPutOut = 0;

    // The reason shown below the last message box; empty when it had none.
    std::string LastReason() const;
    // Texts of message boxes and questions only, in order.
    std::vector<std::string> Dialogs() const;
    std::vector<std::string> Texts(Shown::Kind kind) const;
};

} // namespace gessoria::test
