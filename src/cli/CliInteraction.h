#pragma once
// CliInteraction: answers the engine's questions without asking anyone.
//
// Every message goes to standard error. "Locate it manually?" and every other yes/no
// question is answered No (a Yes/No/Cancel question as a script asked); "Texturemap Size" takes its presets (the largest size, Scale for
// every map type); "Bitmap Texture" generates a bitmap from the diffuse colour at 300 x 300.
// Each answer given is noted on standard error too, so a log shows what was decided.

#include "scene/UserInteraction.h"

#include <ostream>

namespace gessoria::cli {

class CliInteraction : public UserInteraction {
public:
    explicit CliInteraction(std::ostream& err) : err_(err) {}

    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    bool AskOkCancel(const std::string& text, const std::string& title) override;
    std::optional<std::string> ChooseFileToOpen(const std::string& filter, const std::string& presetName) override;
    std::optional<std::string> ChooseFileToSave(const std::string& filter, const std::string& defaultExtension,
                                                const std::string& presetName) override;
    YesNoCancel AskYesNoCancel(const std::string& text, const std::string& title) override;
    std::string ChooseDirectory() override;
    std::optional<std::string> AskText(const std::string& title, const std::string& defaultText) override;
    std::optional<BitmapTextureAnswer> AskBitmapTexture(const BitmapTextureRequest& request) override;
    std::optional<TextureMapSizeAnswer> AskTextureMapSize(const TextureMapSizeRequest& request) override;
    void SetStatusText(const std::string&) override {}
    void BeginProgress(const std::string&) override {}
    void SetProgress(int) override {}
    void EndProgress() override {}
    void ShowHint(int, const std::string& text) override { err_ << "hint: " << text << '\n'; }
    void RaiseWarning(const std::string& text) override
    {
        ++messages_;
        err_ << "warning: " << text << '\n';
    }

    int messageCount() const { return messages_; }

    // The answer the next text prompt gets (a script's layer name); the default when none.
    std::optional<std::string> nextText;
    // The file the next save chooser returns, and the next Yes/No/Cancel answer (a script's
    // export); without one the chooser is cancelled and the question answered No.
    std::optional<std::string> nextSaveFile;
    YesNoCancel nextAnswer = YesNoCancel::No;

private:
    std::ostream& err_;
    int messages_ = 0;
};

} // namespace gessoria::cli
