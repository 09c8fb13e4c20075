#include "support/RecordingInteraction.h"

namespace gessoria::test {
namespace {

template <typename T>
T Next(std::deque<T>& queue, T fallback)
{
    if (queue.empty())
        return fallback;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

} // namespace

void RecordingInteraction::ShowMessage(const std::string& text, const std::string& title, MessageIcon)
{
    shown.push_back({Shown::Kind::Message, text, title});
}

bool RecordingInteraction::AskYesNo(const std::string& text, const std::string& title)
{
    shown.push_back({Shown::Kind::Question, text, title});
    questionButtons.push_back("Yes/No");
    return Next(yesNo, false);
}

bool RecordingInteraction::AskOkCancel(const std::string& text, const std::string& title)
{
    shown.push_back({Shown::Kind::Question, text, title});
    questionButtons.push_back("OK/Cancel");
    return Next(yesNo, false);
}

std::optional<std::string> RecordingInteraction::ChooseFileToOpen(const std::string& filter, const std::string& presetName)
{
    shown.push_back({Shown::Kind::FileChooser, presetName, filter});
    return Next<std::optional<std::string>>(files, std::nullopt);
}

std::optional<std::string> RecordingInteraction::ChooseDocumentToOpen(const std::string& filter, const std::string& folder)
{
    shown.push_back({Shown::Kind::FileChooser, folder, filter});
    return Next<std::optional<std::string>>(files, std::nullopt);
}

std::optional<std::string> RecordingInteraction::ChooseFileToSave(const std::string& filter, const std::string&,
                                                                  const std::string& presetName)
{
    shown.push_back({Shown::Kind::FileChooser, presetName, filter});
    return Next<std::optional<std::string>>(saveFiles, std::nullopt);
}

YesNoCancel RecordingInteraction::AskYesNoCancel(const std::string& text, const std::string& title)
{
    shown.push_back({Shown::Kind::Question, text, title});
    questionButtons.push_back("Yes/No/Cancel");
    return Next(yesNoCancel, YesNoCancel::Cancel);
}

std::size_t RecordingInteraction::AskChoice(const std::string& text, const std::string& title,
                                           const std::vector<std::string>& buttons)
{
    shown.push_back({Shown::Kind::Question, text, title});
    return Next(choices, buttons.empty() ? 0 : buttons.size() - 1);
}

void RecordingInteraction::ShowMessageWithReason(const std::string& text, const std::string& reason,
                                                 const std::string& title, MessageIcon)
{
    reasons.emplace_back(shown.size(), reason);
    shown.push_back({Shown::Kind::Message, text, title});
}

std::string RecordingInteraction::LastReason() const
{
    for (std::size_t i = shown.size(); i-- > 0;)
        if (shown[i].kind == Shown::Kind::Message)
            return !reasons.empty() && reasons.back().first == i ? reasons.back().second : std::string();
    return {};
}

std::string RecordingInteraction::ChooseDirectory()
{
    shown.push_back({Shown::Kind::DirectoryChooser, {}, {}});
    return Next<std::string>(directories, {});
}

std::optional<std::string> RecordingInteraction::AskText(const std::string& title, const std::string& defaultText)
{
    shown.push_back({Shown::Kind::TextPrompt, defaultText, title});
    return Next<std::optional<std::string>>(texts, defaultText);
}

std::optional<BitmapTextureAnswer> RecordingInteraction::AskBitmapTexture(const BitmapTextureRequest& request)
{
    shown.push_back({Shown::Kind::BitmapTexture, request.materialName, "Bitmap Texture"});
    return Next<std::optional<BitmapTextureAnswer>>(bitmapTexture,
                                                    BitmapTextureAnswer{BitmapTextureChoice::GenerateFromDiffuse, request.x, request.y});
}

std::optional<TextureMapSizeAnswer> RecordingInteraction::AskTextureMapSize(const TextureMapSizeRequest& request)
{
    shown.push_back({Shown::Kind::TextureMapSize, request.materialName, "Texturemap Size"});
    textureMapSizeRequests.push_back(request);
    TextureMapSizeAnswer preset;
    preset.x = request.x;
    preset.y = request.y;
    preset.fitting.fill(MapFitting::Scale);
    return Next<std::optional<TextureMapSizeAnswer>>(textureMapSize, preset);
}

void RecordingInteraction::SetStatusText(const std::string& text)
{
    shown.push_back({Shown::Kind::Status, text, {}});
}

void RecordingInteraction::BeginProgress(const std::string& title)
{
    shown.push_back({Shown::Kind::Progress, title, {}});
}

void RecordingInteraction::SetProgress(int percent)
{
    progress.push_back(percent);
}

std::vector<std::string> RecordingInteraction::Dialogs() const
{
    std::vector<std::string> result;
    for (const Shown& s : shown)
        if (s.kind == Shown::Kind::Message || s.kind == Shown::Kind::Question)
            result.push_back(s.text);
    return result;
}

std::vector<std::string> RecordingInteraction::Texts(Shown::Kind kind) const
{
    std::vector<std::string> result;
    for (const Shown& s : shown)
        if (s.kind == kind)
            result.push_back(s.text);
    return result;
}

} // namespace gessoria::test
