#include "app/dialogs/TipDialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace gessoria::app {

TipDialog::TipDialog(const std::filesystem::path& iniPath, const std::filesystem::path& tipsPath, QWidget* parent)
    : QDialog(parent), tips_(iniPath, tipsPath)
{
    setWindowTitle("Tip of the Day");
    auto* layout = new QVBoxLayout(this);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setStyleSheet("QFrame { background: #fffbe6; }");
    auto* panelLayout = new QHBoxLayout(panel);
    auto* bulb = new QLabel(panel);
    bulb->setPixmap(QIcon(":/icons/wizard.svg").pixmap(40, 40));
    bulb->setAlignment(Qt::AlignTop);
    panelLayout->addWidget(bulb);
    auto* column = new QVBoxLayout;
    auto* heading = new QLabel("<b>Did you know...</b>", panel);
    text_ = new QLabel(QString::fromStdString(tips_.text()), panel);
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text_->setMinimumSize(340, 90);
    column->addWidget(heading);
    column->addWidget(text_, 1);
    panelLayout->addLayout(column, 1);
    layout->addWidget(panel, 1);

    auto* row = new QHBoxLayout;
    showOnStartup_ = new QCheckBox("&Show Tips on StartUp", this);
    showOnStartup_->setChecked(tips_.showAtStartup());
    row->addWidget(showOnStartup_);
    row->addStretch(1);
    auto* next = new QPushButton("&Next Tip", this);
    auto* close = new QPushButton("&Close", this);
    close->setDefault(true);
    row->addWidget(next);
    row->addWidget(close);
    layout->addLayout(row);
    connect(next, &QPushButton::clicked, this, &TipDialog::NextTip);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

QString TipDialog::tipText() const
{
    return text_->text();
}

void TipDialog::NextTip()
{
    text_->setText(QString::fromStdString(tips_.Next()));
}

void TipDialog::SetShowOnStartup(bool show)
{
    showOnStartup_->setChecked(show);
}

void TipDialog::done(int result)
{
    // Only "&Close" keeps the check box's choice; Esc and the title bar's close button
    // (both a rejection) leave the start-up setting as it was.
    if (result == QDialog::Accepted)
        tips_.Close(showOnStartup_->isChecked());
    QDialog::done(result);
}

} // namespace gessoria::app
