#include "app/dialogs/ExportMapsDialog.h"

#include "app/dialogs/DialogLayout.h"
#include "io/ProfileFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace gessoria::app {
namespace {

constexpr const char* kSection = "Export Maps";
constexpr int kMaxPadding = 1024;

} // namespace

ExportMapsSettings LoadExportMapsSettings(const std::filesystem::path& iniPath)
{
    const ProfileFile ini = ProfileFile::Load(iniPath);
    ExportMapsSettings settings;
    settings.folder = QString::fromStdString(ini.GetString(kSection, "Folder", "", 4096));
    const std::string format = ini.GetString(kSection, "Format", "png", 16);
    settings.options.format = IsMapExportFormat(format) ? format : "png";
    settings.options.padding = std::clamp(ini.GetInt(kSection, "Padding", kDefaultMapPadding), -1, kMaxPadding);
    settings.options.layers = ini.GetInt(kSection, "Layers", 0) != 0;
    return settings;
}

void SaveExportMapsSettings(const std::filesystem::path& iniPath, const ExportMapsSettings& settings)
{
    ProfileFile ini = ProfileFile::Load(iniPath);
    ini.SetString(kSection, "Folder", settings.folder.toStdString());
    ini.SetString(kSection, "Format", settings.options.format);
    ini.SetInt(kSection, "Padding", settings.options.padding);
    ini.SetInt(kSection, "Layers", settings.options.layers ? 1 : 0);
    ini.Save(iniPath);
}

ExportMapsDialog::ExportMapsDialog(const ExportMapsSettings& settings, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Export Maps");
    auto* layout = new QVBoxLayout(this);
    auto* explanation = new QLabel("Writes every textured material's maps as image files named "
                                   "<material>_<map type>, padded past the edges of the texture islands so "
                                   "filtering never shows the background along a seam.",
                                   this);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);

    auto* form = new QFormLayout;
    auto* folderRow = new QHBoxLayout;
    folder_ = new QLineEdit(settings.folder, this);
    folder_->setMinimumWidth(280);
    auto* browse = new QPushButton("&Browse...", this);
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(browse);
    auto* folderLabel = new QLabel("&Folder:", this);
    folderLabel->setBuddy(folder_);
    form->addRow(folderLabel, folderRow);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getExistingDirectory(this, "Export Maps Folder", folder_->text());
        if (!chosen.isEmpty())
            folder_->setText(chosen);
    });

    format_ = new QComboBox(this);
    for (const char* format : {"png", "tga", "tif", "jpg"})
        format_->addItem(QString(format).toUpper(), QString(format));
    format_->setCurrentIndex(std::max(0, format_->findData(QString::fromStdString(settings.options.format))));
    form->addRow("F&ormat:", format_);

    padding_ = new QSpinBox(this);
    padding_->setRange(-1, kMaxPadding);
    padding_->setSpecialValueText("Every unused texel");
    padding_->setSuffix(" texels");
    padding_->setValue(settings.options.padding);
    form->addRow("&Padding:", padding_);

    layers_ = new QCheckBox("Every &layer and its alpha too", this);
    layers_->setChecked(settings.options.layers);
    form->addRow("", layers_);
    layout->addLayout(form);
    layout->addWidget(OkCancelButtons(this));
}

ExportMapsSettings ExportMapsDialog::settings() const
{
    ExportMapsSettings settings;
    settings.folder = folder_->text();
    settings.options.format = format_->currentData().toString().toStdString();
    settings.options.padding = padding_->value();
    settings.options.layers = layers_->isChecked();
    return settings;
}

} // namespace gessoria::app
