#pragma once
// The About box: the program's name and version, the counts of the scene and the memory
// figures the system reports.

#include "session/AboutInfo.h"

#include <QDialog>

namespace gessoria::app {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(const AboutInfo& info, QWidget* parent);
};

} // namespace gessoria::app
