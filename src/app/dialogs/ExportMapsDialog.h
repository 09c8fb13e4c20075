#pragma once
// "Export Maps": the folder, image format, padding and layers switch for writing a scene's
// maps, remembered in the INI file's "Export Maps" section between runs.

#include "io/MapExport.h"

#include <QDialog>

#include <filesystem>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace gessoria::app {

struct ExportMapsSettings {
    QString folder;
    MapExportOptions options;
};

// The settings last accepted, or the defaults (PNG, padding 8, no layers, no folder).
ExportMapsSettings LoadExportMapsSettings(const std::filesystem::path& iniPath);
void SaveExportMapsSettings(const std::filesystem::path& iniPath, const ExportMapsSettings& settings);

class ExportMapsDialog : public QDialog {
    Q_OBJECT
public:
    ExportMapsDialog(const ExportMapsSettings& settings, QWidget* parent);
    ExportMapsSettings settings() const;

private:
    QLineEdit* folder_;
    QComboBox* format_;
    QSpinBox* padding_;
    QCheckBox* layers_;
};

} // namespace gessoria::app
