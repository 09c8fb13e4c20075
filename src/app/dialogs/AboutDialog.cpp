#include "app/dialogs/AboutDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace gessoria::app {
namespace {

QLabel* Number(long long value, QWidget* parent)
{
    auto* label = new QLabel(QString::number(value), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

AboutDialog::AboutDialog(const AboutInfo& info, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("About Gessoria");
    auto* layout = new QVBoxLayout(this);

    auto* header = new QHBoxLayout;
    auto* logo = new QLabel(this);
    logo->setPixmap(QIcon(":/icons/gessoria.svg").pixmap(64, 64));
    header->addWidget(logo);
    auto* title = new QLabel("<b>Gessoria</b> version " GESSORIA_VERSION
                             "<br>A 3D texture painter: paint straight onto the surfaces of textured scenes.",
                             this);
    title->setWordWrap(true);
    header->addWidget(title, 1);
    layout->addLayout(header);

    auto* scene = new QGroupBox("Scene", this);
    auto* sceneForm = new QFormLayout(scene);
    sceneForm->addRow("Objects:", Number(info.objects, scene));
    sceneForm->addRow("Vertices:", Number(info.vertices, scene));
    sceneForm->addRow("Faces:", Number(info.faces, scene));
    sceneForm->addRow("Materials:", Number(info.materials, scene));

    auto* memory = new QGroupBox("Memory Usage (kB)", this);
    auto* memoryForm = new QFormLayout(memory);
    memoryForm->addRow("Free physical memory:", Number(info.freePhysicalKb, memory));
    memoryForm->addRow("Total physical memory:", Number(info.totalPhysicalKb, memory));
    memoryForm->addRow("Total page space:", Number(info.totalPageKb, memory));
    memoryForm->addRow("Free page space:", Number(info.freePageKb, memory));

    auto* groups = new QHBoxLayout;
    groups->addWidget(scene);
    groups->addWidget(memory);
    layout->addLayout(groups);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace gessoria::app
