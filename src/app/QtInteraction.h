#pragma once
// QtInteraction: the engine's way to the user in the desktop program.
//
// Message boxes, yes/no questions, the file and directory choosers, the two layer
// production dialogs, status-bar texts, progress, Paint Wizard hints (shown only while the
// wizard is on) and warnings for the Warning Window. In batch mode (the --grab run) nobody
// is asked: messages go to standard error, questions are answered No, choosers are
// cancelled and the production dialogs take their presets, as gessoria-cli does.

#include "scene/UserInteraction.h"

#include <QLabel>
#include <QPointer>
#include <QString>

#include <memory>

class QInputDialog;
class QProgressDialog;
class QWidget;

namespace gessoria::app {

class WarningWindow;

class QtInteraction : public UserInteraction {
public:
    static constexpr const char* kWizardTitle = "Painting Wizard";

    QtInteraction(const bool& paintWizard, WarningWindow& warnings, bool batch)
        : paintWizard_(paintWizard), warnings_(warnings), batch_(batch)
    {
    }

    void SetWindow(QWidget* window) { window_ = window; }
    // The status bar's message pane, where status texts go.
    void SetStatusPane(QLabel* pane) { statusPane_ = pane; }
    bool batch() const { return batch_; }

    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    bool AskOkCancel(const std::string& text, const std::string& title) override;
    std::optional<std::string> ChooseFileToOpen(const std::string& filter, const std::string& presetName) override;
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
    void EndProgress() override;
    void ShowHint(int id, const std::string& text) override;
    void RaiseWarning(const std::string& text) override;
    void PutOutWarning() override;

private:
    const bool& paintWizard_;
    WarningWindow& warnings_;
    bool batch_;
    QPointer<QWidget> window_;
    QPointer<QLabel> statusPane_;
    QProgressDialog* progress_ = nullptr;
};

// The one-line text prompt AskText shows, wide enough for its whole title.
std::unique_ptr<QInputDialog> MakeTextPrompt(const std::string& title, const std::string& defaultText, QWidget* parent);

// A message as a message box shows it: line breaks that fall mid-sentence become blanks.
QString FlowingText(const std::string& text);

// The filter of a chooser as the engine gives it ("All Files (*.*) |*.*||") in Qt's form.
QString QtFileFilter(const std::string& filter);

} // namespace gessoria::app
