#include "cli/CliInteraction.h"

namespace gessoria::cli {

void CliInteraction::ShowMessage(const std::string& text, const std::string& title, MessageIcon)
{
    ++messages_;
    if (title != kDefaultTitle)
        err_ << title << ": ";
    err_ << text << '\n';
}

bool CliInteraction::AskYesNo(const std::string& text, const std::string&)
{
    ++messages_;
    err_ << text << " [answered No]\n";
    return false;
}

bool CliInteraction::AskOkCancel(const std::string& text, const std::string&)
{
    ++messages_;
    err_ << text << " [answered Cancel]\n";
    return false;
}

std::optional<std::string> CliInteraction::ChooseFileToOpen(const std::string&, const std::string&)
{
    return std::nullopt;
}

std::optional<std::string> CliInteraction::ChooseFileToSave(const std::string&, const std::string&, const std::string&)
{
    std::optional<std::string> answer = nextSaveFile;
    nextSaveFile.reset();
    return answer;
}

YesNoCancel CliInteraction::AskYesNoCancel(const std::string& text, const std::string&)
{
    ++messages_;
    const YesNoCancel answer = nextAnswer;
    nextAnswer = YesNoCancel::No;
    err_ << text << (answer == YesNoCancel::Yes ? " [answered Yes]\n" : answer == YesNoCancel::No ? " [answered No]\n" : " [answered Cancel]\n");
    return answer;
}

std::string CliInteraction::ChooseDirectory() { return {}; }

std::optional<std::string> CliInteraction::AskText(const std::string&, const std::string& defaultText)
{
    std::optional<std::string> answer = nextText ? nextText : defaultText;
    nextText.reset();
    return answer;
}

std::optional<BitmapTextureAnswer> CliInteraction::AskBitmapTexture(const BitmapTextureRequest& request)
{
    err_ << "Bitmap Texture: material \"" << request.materialName
         << "\" has no bitmap; generating one from the diffuse colour at " << request.x << " x " << request.y << '\n';
    return BitmapTextureAnswer{BitmapTextureChoice::GenerateFromDiffuse, request.x, request.y};
}

std::optional<TextureMapSizeAnswer> CliInteraction::AskTextureMapSize(const TextureMapSizeRequest& request)
{
    err_ << "Texturemap Size: material \"" << request.materialName << "\" has maps of different sizes; using "
         << request.x << " x " << request.y << ", Scale for every map type\n";
    TextureMapSizeAnswer answer;
    answer.x = request.x;
    answer.y = request.y;
    answer.fitting.fill(MapFitting::Scale);
    return answer;
}

} // namespace gessoria::cli
