#pragma once
// UserInteraction: every way the engine reaches the user.
//
// The engine never opens a window or prints. Message boxes, yes/no questions, file and
// directory choosers, the layer production dialogs, status-bar texts and progress all go
// through this interface, which the caller hands in. The desktop application implements it
// with real dialogs, gessoria-cli answers without asking anyone, and tests record every
// text and answer from a script. Texts passed here are the program's exact wording.

#include "scene/MapType.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace gessoria {

enum class MessageIcon { None, Information, Warning, Error };

// "Bitmap Texture": a material with no bitmap at all.
enum class BitmapTextureChoice { GenerateFromDiffuse, UseDiffuseForRendering };

struct BitmapTextureRequest {
    std::string materialName;
    int x = 300;
    int y = 300;
};

struct BitmapTextureAnswer {
    BitmapTextureChoice choice = BitmapTextureChoice::GenerateFromDiffuse;
    int x = 300;
    int y = 300;
};

// "Texturemap Size": the loaded maps of a material differ in size.
enum class MapFitting { Scale, Tile, Decal };

struct TextureMapSizeRequest {
    struct LoadedMap {
        int slot = 0;          // map slot 0..5
        std::string fileName;
        int width = 0;
        int height = 0;
    };
    std::string materialName;
    std::vector<LoadedMap> maps;  // the user may take the size of one of these
    int x = 0;                    // preset: the largest width
    int y = 0;                    // preset: the largest height
    std::array<MapFitting, kMapTypeCount> fitting{};  // preset, by storage order: Scale
};

struct TextureMapSizeAnswer {
    int x = 0;
    int y = 0;
    std::array<MapFitting, kMapTypeCount> fitting{};  // by storage order
    bool keep = false;  // the same answer for the same scene from now on, without asking
};

enum class YesNoCancel { Yes, No, Cancel };

class UserInteraction {
public:
    virtual ~UserInteraction() = default;

    static constexpr const char* kDefaultTitle = "Gessoria";

    virtual void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) = 0;
    virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;
    // A question answered with OK (true) or Cancel. Front ends without their own OK/Cancel
    // box ask it as a yes/no question.
    virtual bool AskOkCancel(const std::string& text, const std::string& title) { return AskYesNo(text, title); }

    // File chooser for opening one file; nothing when cancelled.
    virtual std::optional<std::string> ChooseFileToOpen(const std::string& filter,
                                                        const std::string& presetName) = 0;
    // File chooser for the document to open, starting in `folder` (the current one when
    // empty); nothing when cancelled.
    virtual std::optional<std::string> ChooseDocumentToOpen(const std::string& filter, const std::string& folder)
    {
        (void)folder;
        return ChooseFileToOpen(filter, {});
    }
    // File chooser for saving, with the default extension added to a name typed without
    // one; nothing when cancelled.
    virtual std::optional<std::string> ChooseFileToSave(const std::string& filter, const std::string& defaultExtension,
                                                        const std::string& presetName) = 0;
    // A question with Yes, No and Cancel.
    virtual YesNoCancel AskYesNoCancel(const std::string& text, const std::string& title) = 0;
    // A question answered by one of `buttons`, the first being the default and the last the
    // one that leaves everything as it is; returns the index of the button chosen. A front
    // end that asks nobody answers with the last.
    virtual std::size_t AskChoice(const std::string& text, const std::string& title,
                                  const std::vector<std::string>& buttons)
    {
        ShowMessage(text, title, MessageIcon::None);
        return buttons.empty() ? 0 : buttons.size() - 1;
    }
    // A message box whose text is followed by why it happened (the system's reason for a
    // failed write, the first fault found in a file), shown below the text.
    virtual void ShowMessageWithReason(const std::string& text, const std::string& reason, const std::string& title,
                                       MessageIcon icon)
    {
        ShowMessage(reason.empty() ? text : text + "\n" + reason, title, icon);
    }
    // Directory chooser; an empty string when cancelled.
    virtual std::string ChooseDirectory() = 0;
    // A one-line text prompt such as "New Layer Name"; nothing when cancelled.
    virtual std::optional<std::string> AskText(const std::string& title, const std::string& defaultText) = 0;

    virtual std::optional<BitmapTextureAnswer> AskBitmapTexture(const BitmapTextureRequest& request) = 0;
    virtual std::optional<TextureMapSizeAnswer> AskTextureMapSize(const TextureMapSizeRequest& request) = 0;

    virtual void SetStatusText(const std::string& text) = 0;
    // A modal progress dialog with a bar from 0 to 100.
    virtual void BeginProgress(const std::string& title) = 0;
    virtual void SetProgress(int percent) = 0;
    virtual void EndProgress() = 0;

    // A Paint Wizard hint (shown only while the wizard is on) with its message id and text.
    virtual void ShowHint(int id, const std::string& text) = 0;
    // A notice for the Warning Window, which lights up (and may beep).
    virtual void RaiseWarning(const std::string& text) = 0;
    // Puts the Warning Window's light out, as Ignore Warning does, keeping its message and
    // showing nothing. Front ends without a Warning Window have nothing to put out.
    virtual void PutOutWarning() {}

    // Convenience for the common message box with the program's title.
    void Tell(const std::string& text, MessageIcon icon = MessageIcon::Information)
    {
        ShowMessage(text, kDefaultTitle, icon);
    }
    bool Ask(const std::string& text) { return AskYesNo(text, kDefaultTitle); }
    bool Confirm(const std::string& text) { return AskOkCancel(text, kDefaultTitle); }
    void TellWithReason(const std::string& text, const std::string& reason, MessageIcon icon = MessageIcon::Error)
    {
        ShowMessageWithReason(text, reason, kDefaultTitle, icon);
    }
};

} // namespace gessoria
