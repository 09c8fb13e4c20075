#pragma once
// ForwardingInteraction: a UserInteraction that hands every call on to another one. A class
// that changes how one question is answered derives from it and overrides that question
// alone.

#include "scene/UserInteraction.h"

namespace gessoria {

class ForwardingInteraction : public UserInteraction {
public:
    explicit ForwardingInteraction(UserInteraction& inner) : inner_(inner) {}

    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) override
    {
        inner_.ShowMessage(text, title, icon);
    }
    bool AskYesNo(const std::string& text, const std::string& title) override { return inner_.AskYesNo(text, title); }
    bool AskOkCancel(const std::string& text, const std::string& title) override
    {
        return inner_.AskOkCancel(text, title);
    }
    std::optional<std::string> ChooseFileToOpen(const std::string& filter, const std::string& presetName) override
    {
        return inner_.ChooseFileToOpen(filter, presetName);
    }
    std::optional<std::string> ChooseDocumentToOpen(const std::string& filter, const std::string& folder) override
    {
        return inner_.ChooseDocumentToOpen(filter, folder);
    }
    std::optional<std::string> ChooseFileToSave(const std::string& filter, const std::string& defaultExtension,
                                                const std::string& presetName) override
    {
        return inner_.ChooseFileToSave(filter, defaultExtension, presetName);
    }
    YesNoCancel AskYesNoCancel(const std::string& text, const std::string& title) override
    {
        return inner_.AskYesNoCancel(text, title);
    }
    std::size_t AskChoice(const std::string& text, const std::string& title,
                          const std::vector<std::string>& buttons) override
    {
        return inner_.AskChoice(text, title, buttons);
    }
    void ShowMessageWithReason(const std::string& text, const std::string& reason, const std::string& title,
                               MessageIcon icon) override
    {
        inner_.ShowMessageWithReason(text, reason, title, icon);
    }
    std::string ChooseDirectory() override { return inner_.ChooseDirectory(); }
    std::optional<std::string> AskText(const std::string& title, const std::string& defaultText) override
    {
        return inner_.AskText(title, defaultText);
    }
    std::optional<BitmapTextureAnswer> AskBitmapTexture(const BitmapTextureRequest& request) override
    {
        return inner_.AskBitmapTexture(request);
    }
    std::optional<TextureMapSizeAnswer> AskTextureMapSize(const TextureMapSizeRequest& request) override
    {
        return inner_.AskTextureMapSize(request);
    }
    void SetStatusText(const std::string& text) override { inner_.SetStatusText(text); }
    void BeginProgress(const std::string& title) override { inner_.BeginProgress(title); }
    void SetProgress(int percent) override { inner_.SetProgress(percent); }
    void EndProgress() override { inner_.EndProgress(); }
    void ShowHint(int id, const std::string& text) override { inner_.ShowHint(id, text); }
    void RaiseWarning(const std::string& text) override { inner_.RaiseWarning(text); }
    void PutOutWarning() override { inner_.PutOutWarning(); }

protected:
    UserInteraction& inner_;
};

} // namespace gessoria
