#include "updates/UpdateDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "updates/UpdateController.h"

namespace ostrel {

UpdateDialog::UpdateDialog(UpdateController& updates, QWidget* parent)
    : QDialog(parent)
    , m_updates(updates)
    , m_headline(new QLabel(this))
    , m_detail(new QLabel(this))
    , m_busy(new QProgressBar(this))
    , m_openPage(new QPushButton(QStringLiteral("Open Release Page"), this))
    , m_close(new QPushButton(QStringLiteral("Close"), this))
{
    setWindowTitle(QStringLiteral("Check for Updates"));
    setAttribute(Qt::WA_QuitOnClose, false);
    QFont bold = m_headline->font();
    bold.setBold(true);
    m_headline->setFont(bold);
    m_detail->setWordWrap(true);
    m_detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_detail->setMinimumWidth(320);
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setAccessibleName(QStringLiteral("Checking for updates"));
    m_openPage->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_close);
    buttons->addWidget(m_openPage);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_headline);
    layout->addWidget(m_detail);
    layout->addWidget(m_busy);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_close, &QPushButton::clicked, this, &QDialog::hide);
    connect(m_openPage, &QPushButton::clicked, this, [this] {
        m_updates.openReleasePage();
        hide();
    });
    connect(&m_updates, &UpdateController::checkStarted, this, &UpdateDialog::showChecking);
    connect(&m_updates, &UpdateController::checkFinished, this, &UpdateDialog::showOutcome);
    showChecking();
}

void UpdateDialog::showChecking()
{
    m_headline->setText(QStringLiteral("Checking for updates…"));
    m_detail->setText(QStringLiteral("Asking Ostrel's signed release feed for the newest version."));
    m_busy->show();
    m_openPage->hide();
    m_close->setText(QStringLiteral("Cancel"));
}

void UpdateDialog::showOutcome(const UpdateCheckOutcome& outcome)
{
    m_busy->hide();
    m_close->setText(QStringLiteral("Close"));
    const QString current = qText(UpdateController::versionText());
    switch (outcome.kind) {
    case UpdateCheckOutcome::Kind::newer:
        // NOLINTNEXTLINE(bugprone-unchecked-optional-access): a newer outcome always carries its release
        m_headline->setText(QStringLiteral("Ostrel ") + qText(outcome.release->version)
                            + QStringLiteral(" is available"));
        m_detail->setText(QStringLiteral("You have Ostrel ") + current
                          + QStringLiteral(". Install the new version with the package you installed Ostrel from."));
        m_openPage->show();
        m_openPage->setFocus();
        break;
    case UpdateCheckOutcome::Kind::upToDate:
        m_headline->setText(QStringLiteral("You're up to date"));
        m_detail->setText(QStringLiteral("Ostrel ") + current + QStringLiteral(" is the newest version."));
        m_openPage->hide();
        break;
    case UpdateCheckOutcome::Kind::failed:
        m_headline->setText(QStringLiteral("Couldn't check for updates"));
        m_detail->setText(qText(outcome.failure));
        m_openPage->hide();
        break;
    }
}

QString UpdateDialog::headline() const
{
    return m_headline->text();
}

QString UpdateDialog::detail() const
{
    return m_detail->text();
}

bool UpdateDialog::offersReleasePage() const
{
    return !m_openPage->isHidden();
}

}  // namespace ostrel
