#include "app/QtInteraction.h"

#include "app/WarningWindow.h"
#include "app/dialogs/BitmapTextureDialog.h"
#include "app/dialogs/TextureMapSizeDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>

#include <algorithm>
#include <iostream>

namespace gessoria::app {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A prompt dialog is at least this wide, so a window manager has room for its whole title
// beside the title bar's buttons.
constexpr int kPromptTitleRoom = 200;
constexpr int kPromptMinimumWidth = 320;

} // namespace

QString FlowingText(const std::string& text)
{
    // Many messages keep the line breaks of a narrow box ("click an area\nfor initial
    // placement"). A break followed by a lower-case letter falls mid-sentence: it becomes a
    // blank, and the box wraps the paragraph at its own width. Breaks before a capital, a
    // tab (a list) or another break are kept.
    QString flowing = Q(text);
    for (qsizetype i = 0; i + 1 < flowing.size(); ++i)
        if (flowing[i] == '\n' && flowing[i + 1].isLower())
            flowing[i] = ' ';
    return flowing;
}

QString QtFileFilter(const std::string& filter)
{
    // "Name (*.a;*.b) |*.a;*.b||": the descriptions name their patterns already.
    QStringList parts = Q(filter).split('|', Qt::SkipEmptyParts);
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(';', ' ');
        if (patterns == "*.*")
            patterns = "*";
        filters << parts[i].trimmed().section('(', 0, 0).trimmed() + " (" + patterns + ")";
    }
    return filters.join(";;");
}

void QtInteraction::ShowMessage(const std::string& text, const std::string& title, MessageIcon icon)
{
    ShowMessageWithReason(text, {}, title, icon);
}

void QtInteraction::ShowMessageWithReason(const std::string& text, const std::string& reason, const std::string& title,
                                          MessageIcon icon)
{
    if (batch_) {
        std::cerr << text << '\n';
        if (!reason.empty())
            std::cerr << reason << '\n';
        return;
    }
    const QMessageBox::Icon qtIcon = icon == MessageIcon::Error     ? QMessageBox::Critical
                                     : icon == MessageIcon::Warning ? QMessageBox::Warning
                                     : icon == MessageIcon::None    ? QMessageBox::NoIcon
                                                                    : QMessageBox::Information;
    QMessageBox box(qtIcon, Q(title), FlowingText(text), QMessageBox::Ok, window_);
    if (!reason.empty())
        box.setInformativeText(Q(reason));
    box.exec();
}

std::size_t QtInteraction::AskChoice(const std::string& text, const std::string& title,
                                     const std::vector<std::string>& buttons)
{
    const std::size_t last = buttons.empty() ? 0 : buttons.size() - 1;
    if (batch_) {
        std::cerr << text << " (answered " << (buttons.empty() ? std::string() : buttons[last]) << ")\n";
        return last;
    }
    QMessageBox box(QMessageBox::Question, Q(title), Q(text), QMessageBox::NoButton, window_);
    std::vector<QPushButton*> pushButtons;
    for (const std::string& label : buttons)
        pushButtons.push_back(box.addButton("&" + Q(label), QMessageBox::ActionRole));  // Alt+initial
    if (!pushButtons.empty()) {
        box.setDefaultButton(pushButtons.front());
        box.setEscapeButton(pushButtons.back());
    }
    box.exec();
    for (std::size_t i = 0; i < pushButtons.size(); ++i)
        if (box.clickedButton() == pushButtons[i])
            return i;
    return last;
}

bool QtInteraction::AskYesNo(const std::string& text, const std::string& title)
{
    if (batch_) {
        std::cerr << text << " (answered No)\n";
        return false;
    }
    return QMessageBox::question(window_, Q(title), Q(text), QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool QtInteraction::AskOkCancel(const std::string& text, const std::string& title)
{
    if (batch_) {
        std::cerr << text << " (answered Cancel)\n";
        return false;
    }
    return QMessageBox::question(window_, Q(title), Q(text), QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

std::optional<std::string> QtInteraction::ChooseFileToOpen(const std::string& filter, const std::string& presetName)
{
    if (batch_)
        return std::nullopt;
    // The engine asks for a file by hand when a scene's bitmap is in none of the Map Paths.
    const QString title = presetName.empty() ? QString("Open") : "Locate " + Q(presetName);
    QFileDialog dialog(window_, title, QString(), QtFileFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.selectFile(Q(presetName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

std::optional<std::string> QtInteraction::ChooseDocumentToOpen(const std::string& filter, const std::string& folder)
{
    if (batch_)
        return std::nullopt;
    QFileDialog dialog(window_, "Open", Q(folder), QtFileFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

std::optional<std::string> QtInteraction::ChooseFileToSave(const std::string& filter,
                                                           const std::string& defaultExtension,
                                                           const std::string& presetName)
{
    if (batch_)
        return std::nullopt;
    // A preset with a folder starts the chooser in that folder with the name filled in.
    const QFileInfo preset(Q(presetName));
    const bool inFolder = !presetName.empty() && preset.isAbsolute();
    QFileDialog dialog(window_, "Save As", inFolder ? preset.absolutePath() : QString(), QtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(Q(defaultExtension).remove('.'));
    dialog.selectFile(inFolder ? preset.fileName() : Q(presetName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

YesNoCancel QtInteraction::AskYesNoCancel(const std::string& text, const std::string& title)
{
    if (batch_) {
        std::cerr << text << " (answered Cancel)\n";
        return YesNoCancel::Cancel;
    }
    const auto answer = QMessageBox::question(window_, Q(title), Q(text),
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return answer == QMessageBox::Yes ? YesNoCancel::Yes : answer == QMessageBox::No ? YesNoCancel::No : YesNoCancel::Cancel;
}

std::string QtInteraction::ChooseDirectory()
{
    if (batch_)
        return {};
    return QFileDialog::getExistingDirectory(window_, "Choose a Map Path").toStdString();
}

std::unique_ptr<QInputDialog> MakeTextPrompt(const std::string& title, const std::string& defaultText, QWidget* parent)
{
    // The prompt ("New Bookmark:", "New Layer Name") labels the field; the window is titled
    // with it less any colon.
    QString windowTitle = Q(title);
    if (windowTitle.endsWith(':'))
        windowTitle.chop(1);
    QString label = Q(title);
    if (!label.endsWith(':'))
        label += ':';
    if (title == "New Custom")
        label = "Name:";  // the custom colour dialog is titled by what it makes
    auto dialog = std::make_unique<QInputDialog>(parent);
    dialog->setWindowTitle(windowTitle);
    dialog->setLabelText(label);
    dialog->setTextValue(Q(defaultText));
    // The dialog's layout sets its size from its contents, so the field is what is widened.
    const int width = std::max(kPromptMinimumWidth, dialog->fontMetrics().horizontalAdvance(windowTitle) + kPromptTitleRoom);
    if (auto* field = dialog->findChild<QLineEdit*>()) {
        const QMargins margins = dialog->layout() != nullptr ? dialog->layout()->contentsMargins() : QMargins();
        field->setMinimumWidth(width - margins.left() - margins.right());
    }
    return dialog;
}

std::optional<std::string> QtInteraction::AskText(const std::string& title, const std::string& defaultText)
{
    if (batch_)
        return std::nullopt;
    const std::unique_ptr<QInputDialog> dialog = MakeTextPrompt(title, defaultText, window_);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog->textValue().toStdString();
}

std::optional<BitmapTextureAnswer> QtInteraction::AskBitmapTexture(const BitmapTextureRequest& request)
{
    if (batch_)
        return BitmapTextureAnswer{BitmapTextureChoice::GenerateFromDiffuse, request.x, request.y};
    BitmapTextureDialog dialog(request, window_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.answer();
}

std::optional<TextureMapSizeAnswer> QtInteraction::AskTextureMapSize(const TextureMapSizeRequest& request)
{
    if (batch_) {
        TextureMapSizeAnswer answer;
        answer.x = request.x;
        answer.y = request.y;
        answer.fitting.fill(MapFitting::Scale);
        return answer;
    }
    TextureMapSizeDialog dialog(request, window_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.answer();
}

void QtInteraction::SetStatusText(const std::string& text)
{
    if (!statusPane_)
        return;
    statusPane_->setText(Q(text).replace('\t', "    "));
    statusPane_->repaint();
}

void QtInteraction::BeginProgress(const std::string& title)
{
    if (batch_)
        return;
    delete progress_;
    progress_ = new QProgressDialog(Q(title), QString(), 0, 100, window_);
    progress_->setWindowTitle(UserInteraction::kDefaultTitle);
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(0);
    progress_->setValue(0);
}

void QtInteraction::SetProgress(int percent)
{
    if (progress_)
        progress_->setValue(percent);
}

void QtInteraction::EndProgress()
{
    delete progress_;
    progress_ = nullptr;
}

void QtInteraction::ShowHint(int, const std::string& text)
{
    if (!paintWizard_ || batch_)
        return;
    QMessageBox box(QMessageBox::Information, kWizardTitle, Q(text), QMessageBox::NoButton, window_);
    box.addButton("Close", QMessageBox::AcceptRole);
    box.exec();
}

void QtInteraction::RaiseWarning(const std::string& text)
{
    if (batch_)
        std::cerr << text << '\n';
    warnings_.Raise(Q(text));
}

void QtInteraction::PutOutWarning()
{
    warnings_.Ignore();
}

} // namespace gessoria::app
