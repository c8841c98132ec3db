#include "preferences/SettingsView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "drawing/Theme.h"
#include "drawing/TrayLabel.h"
#include "preferences/AccountsBox.h"
#include "preferences/FormParts.h"
#include "preferences/PathField.h"
#include "preferences/ProviderToggleRow.h"
#include "preferences/StatusLineRow.h"
#include "settings/AppSettings.h"
#include "store/UsageStore.h"
#include "tray/LabelSource.h"

namespace ostrel {
namespace {

using form::boxPadding;
using form::captionPoints;
using form::headerPoints;
using form::labelledRow;
using form::picker;
using form::rowGap;
using form::rowPoints;
using form::secondaryLabel;
using form::select;
using form::toggle;

constexpr int formMargin = 20;
constexpr int sectionGap = 18;

}  // namespace

SettingsView::SettingsView(AppSettings& settings, UsageStore& store, Hooks hooks, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_store(store)
    , m_hooks(std::move(hooks))
{
    if (m_hooks.home.empty()) {
        m_hooks.home = QDir::homePath().toStdString();
    }
    setFixedWidth(formWidth);
    m_form = new QVBoxLayout(this);
    m_form->setContentsMargins(formMargin, formMargin, formMargin, formMargin);
    m_form->setSpacing(4);

    addProviders();
    addRefresh();
    addTraySection();
    addDailyReport();
    addAlerts();
    addGeneral();
    if (m_hooks.updates) {
        addUpdates(*m_hooks.updates);
    }
    addTools();

    connect(&m_settings, &AppSettings::changed, this, &SettingsView::refresh);
    connect(&m_settings, &AppSettings::launchAtLoginErrorChanged, this, &SettingsView::refresh);
    connect(&m_store, &UsageStore::changed, this, [this] {
        m_preview->reevaluate();
        refreshDetectedTools();
    });
    refresh();
}

QVBoxLayout* SettingsView::addSection(const QString& header, const QString& footer)
{
    if (!m_sections.isEmpty()) {
        m_form->addSpacing(sectionGap);
    }
    m_sections.append(header);
    auto* title = secondaryLabel(header, headerPoints, this);
    QFont font = title->font();
    font.setWeight(QFont::DemiBold);
    title->setFont(font);
    title->setAccessibleName(header);
    m_form->addWidget(title);
    return addBox(footer);
}

QVBoxLayout* SettingsView::addBox(const QString& footer)
{
    auto* box = new form::SectionBox(this);
    auto* rows = new QVBoxLayout(box);
    rows->setContentsMargins(boxPadding, boxPadding, boxPadding, boxPadding);
    rows->setSpacing(rowGap);
    m_form->addWidget(box);

    if (!footer.isEmpty()) {
        auto* note = secondaryLabel(footer, captionPoints, this);
        note->setWordWrap(true);
        note->setContentsMargins(boxPadding, 2, boxPadding, 0);
        m_form->addWidget(note);
    }
    return rows;
}

void SettingsView::addProviders()
{
    QVBoxLayout* rows = addSection(QStringLiteral("Providers"), {});
    for (const Provider provider : allProviders) {
        rows->addWidget(new ProviderToggleRow(provider, m_settings, m_store, m_hooks.clock, this));
    }
}

void SettingsView::addRefresh()
{
    QVBoxLayout* rows =
        addSection(QStringLiteral("Refresh"),
                   QStringLiteral("Ostrel also checks when you open its panel (at most once a minute). Every check is "
                                  "read-only: no prompts are sent and reset credits are never used."));
    m_interval = picker(offeredRefreshMinutes, refreshIntervalLabel, this);
    rows->addLayout(labelledRow(QStringLiteral("Check every"), m_interval, this));
    connect(m_interval, &QComboBox::activated, this, [this](int index) {
        m_settings.setRefreshMinutes(m_interval->itemData(index).toInt());
    });
}

void SettingsView::addTraySection()
{
    QVBoxLayout* rows = addSection(QStringLiteral("Menu bar"), {});
    m_style = picker(allTrayStyles, trayStyleLabel, this);
    rows->addLayout(labelledRow(QStringLiteral("Style"), m_style, this));
    connect(m_style, &QComboBox::activated, this, [this](int index) {
        m_settings.setTrayStyle(static_cast<TrayStyle>(m_style->itemData(index).toInt()));
    });

    m_gauge = picker(allGaugeWindows, gaugeWindowLabel, this);
    rows->addLayout(labelledRow(QStringLiteral("Gauge shows"), m_gauge, this));
    connect(m_gauge, &QComboBox::activated, this, [this](int index) {
        m_settings.setGaugeWindow(static_cast<GaugeWindow>(m_gauge->itemData(index).toInt()));
    });

    m_trayIcon = picker(allTrayIconModes, trayIconModeLabel, this);
    rows->addLayout(labelledRow(QStringLiteral("Tray icon"), m_trayIcon, this));
    connect(m_trayIcon, &QComboBox::activated, this, [this](int index) {
        m_settings.setTrayIconMode(static_cast<TrayIconMode>(m_trayIcon->itemData(index).toInt()));
    });

    // The view's own clock rather than the label's, so the preview agrees with the status lines.
    m_preview =
        new TrayLabel([this](Date /*now*/) { return labelContent(m_store, m_settings, m_hooks.clock()); }, this);
    m_preview->setAccessibleName(QStringLiteral("Preview"));
    auto* row = new QHBoxLayout();
    row->addWidget(secondaryLabel(QStringLiteral("Preview"), rowPoints, this));
    row->addStretch(1);
    row->addWidget(new form::PreviewPlate(m_preview, this));
    rows->addLayout(row);
}

void SettingsView::addDailyReport()
{
    QVBoxLayout* rows = addSection(
        QStringLiteral("Daily report"),
        QStringLiteral("A notification with one line per provider, plus any reset credits. If the computer was "
                       "asleep at that time, it arrives when it wakes (within six hours, the same day)."));
    m_morning = toggle({}, this);
    rows->addWidget(m_morning, 0, Qt::AlignLeft);
    connect(m_morning, &QCheckBox::clicked, &m_settings, &AppSettings::setMorningReport);
    // Half hours: a picker like the others, reached and changed with the keyboard in one step.
    std::array<int, 48> halfHours{};
    for (std::size_t index = 0; index < halfHours.size(); ++index) {
        halfHours.at(index) = static_cast<int>(index) * 30;
    }
    m_reportTime = picker(
        halfHours,
        [](int minuteOfDay) { return ClockTime{.hour = minuteOfDay / 60, .minute = minuteOfDay % 60}.label(); },
        this);
    rows->addLayout(labelledRow(QStringLiteral("Report time"), m_reportTime, this));
    connect(m_reportTime, &QComboBox::activated, this, [this](int index) {
        const int minuteOfDay = m_reportTime->itemData(index).toInt();
        m_settings.setMorningReportTime({.hour = minuteOfDay / 60, .minute = minuteOfDay % 60});
    });

    auto* send = new QPushButton(QStringLiteral("Send a test report now"), this);
    send->setFont(Theme::font(rowPoints));
    send->setAccessibleName(send->text());
    rows->addWidget(send, 0, Qt::AlignLeft);
    connect(send, &QPushButton::clicked, this, [this] { m_hooks.sendTestReport(); });
}

void SettingsView::addAlerts()
{
    QVBoxLayout* rows = addSection(QStringLiteral("Alerts"),
                                   QStringLiteral("Each alert comes once per limit period. One whose moment passed "
                                                  "while the computer slept is not sent late."));
    for (const AlertTopic topic : allCases<AlertTopic>) {
        QCheckBox* box = toggle(qText(labelOf(topic)), this);
        rows->addWidget(box, 0, Qt::AlignLeft);
        connect(box, &QCheckBox::clicked, this, [this, topic](bool on) { m_settings.setAlertOn(topic, on); });
        m_alertSwitches.push_back(box);
        if (topic == AlertTopic::threshold) {
            m_threshold = picker(
                alertThresholds,
                [](int percent) { return std::to_string(percent) + "% used"; },
                this);
            // Under the switch it belongs to, its label aligned with the switch's text.
            QHBoxLayout* row = labelledRow(QStringLiteral("Threshold"), m_threshold, this);
            row->setContentsMargins(style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box)
                                        + style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box),
                                    0,
                                    0,
                                    0);
            rows->addLayout(row);
            connect(m_threshold, &QComboBox::activated, this, [this](int index) {
                m_settings.setAlertThresholdPercent(m_threshold->itemData(index).toInt());
            });
        }
    }
}

void SettingsView::addGeneral()
{
    QVBoxLayout* rows = addSection(QStringLiteral("General"), {});
    m_login = toggle(QStringLiteral("Launch at login"), this);
    rows->addWidget(m_login, 0, Qt::AlignLeft);
    connect(m_login, &QCheckBox::clicked, &m_settings, &AppSettings::setLaunchAtLogin);

    m_loginError = new QLabel(this);
    m_loginError->setFont(Theme::font(captionPoints));
    m_loginError->setWordWrap(true);
    QPalette red = m_loginError->palette();
    red.setColor(QPalette::WindowText, Theme::red());
    m_loginError->setPalette(red);
    m_loginError->hide();
    rows->addWidget(m_loginError);
}

void SettingsView::addUpdates(const UpdateControls& updates)
{
    QVBoxLayout* rows =
        addSection(QStringLiteral("Updates"),
                   QStringLiteral("Ostrel checks its signed release feed; install updates with the package you "
                                  "installed it from."));
    m_automaticUpdates = toggle(QStringLiteral("Check for updates automatically"), this);
    rows->addWidget(m_automaticUpdates, 0, Qt::AlignLeft);
    connect(m_automaticUpdates, &QCheckBox::clicked, this, [this](bool on) {
        if (m_hooks.updates->setAutomaticChecks) {
            m_hooks.updates->setAutomaticChecks(on);
        }
    });

    auto* check = new QPushButton(QStringLiteral("Check Now"), this);
    check->setFont(Theme::font(rowPoints));
    rows->addLayout(labelledRow(QStringLiteral("Version ") + updates.version, check, this));
    check->setAccessibleName(check->text());
    connect(check, &QPushButton::clicked, this, [this] {
        if (m_hooks.updates->checkNow) {
            m_hooks.updates->checkNow();
        }
    });
}

void SettingsView::addTools()
{
    QVBoxLayout* rows = addSection(QStringLiteral("Command-line tools"),
                                   QStringLiteral("Leave blank to find them on your login shell's PATH."));
    // One field per tool and kind, each storing what is typed under its own key.
    const auto field = [this](QVBoxLayout* box,
                              const QString& tool,
                              PathField::Kind kind,
                              void (AppSettings::*store)(const std::string&)) {
        auto* made = new PathField(tool, m_hooks.home, kind, this);
        box->addWidget(made);
        connect(made, &PathField::edited, this, [this, store](const QString& text) {
            (m_settings.*store)(text.toStdString());
        });
        return made;
    };
    m_claudePath = field(rows, QStringLiteral("claude"), PathField::Kind::executable, &AppSettings::setClaudePath);
    m_codexPath = field(rows, QStringLiteral("codex"), PathField::Kind::executable, &AppSettings::setCodexPath);

    // Boxes of their own: each footer speaks of its rows only.
    m_form->addSpacing(rowGap);
    QVBoxLayout* folders = addBox(QStringLiteral("The folders the tools keep their sign-in and logs in. Leave blank "
                                                 "for the ones CLAUDE_CONFIG_DIR and CODEX_HOME name, or else "
                                                 "~/.claude and ~/.codex."));
    m_claudeFolder = field(folders, QStringLiteral("claude"), PathField::Kind::folder, &AppSettings::setClaudeFolder);
    m_codexFolder = field(folders, QStringLiteral("codex"), PathField::Kind::folder, &AppSettings::setCodexFolder);

    m_form->addSpacing(rowGap);
    addBox(
        QStringLiteral("Another account of a tool keeps its own folder: start it as CLAUDE_CONFIG_DIR=~/.claude-work "
                       "claude or CODEX_HOME=~/.codex-work codex. Ostrel reads each account and paces it against "
                       "its own week; up to four per tool."))
        ->addWidget(new AccountsBox(m_settings, m_hooks.home, this));

    m_form->addSpacing(rowGap);
    m_statusLine = new StatusLineRow(m_hooks.home, m_hooks.statusLineCommand, this);
    addBox({})->addWidget(m_statusLine);
    refreshDetectedTools();
}

void SettingsView::refresh()
{
    select(m_interval, m_settings.storedRefreshMinutes());
    orderStyles();
    select(m_style, static_cast<int>(m_settings.trayStyle()));
    select(m_trayIcon, static_cast<int>(m_settings.trayIconMode()));
    select(m_gauge, static_cast<int>(m_settings.gaugeWindow()));
    m_morning->setChecked(m_settings.morningReport());
    const ClockTime reportTime = m_settings.morningReportTime();
    m_morning->setText(QStringLiteral("Morning report at ") + qText(reportTime.label()));
    m_morning->setAccessibleName(m_morning->text());
    select(m_reportTime, reportTime.minuteOfDay());
    m_reportTime->setEnabled(m_settings.morningReport());
    for (const AlertTopic topic : allCases<AlertTopic>) {
        m_alertSwitches.at(static_cast<std::size_t>(topic))->setChecked(m_settings.alertOn(topic));
    }
    select(m_threshold, m_settings.alertThresholdPercent());
    m_threshold->setEnabled(m_settings.alertOn(AlertTopic::threshold) || m_settings.alertOn(AlertTopic::renewed));
    m_login->setChecked(m_settings.launchAtLogin());
    const auto& error = m_settings.launchAtLoginError();
    m_loginError->setText(error ? qText(*error) : QString());
    m_loginError->setAccessibleName(m_loginError->text());
    m_loginError->setVisible(error.has_value());
    if (m_automaticUpdates && m_hooks.updates && m_hooks.updates->automaticChecks) {
        m_automaticUpdates->setChecked(m_hooks.updates->automaticChecks());
    }
    m_claudePath->setText(qText(m_settings.claudePath()));
    m_codexPath->setText(qText(m_settings.codexPath()));
    m_claudeFolder->setText(qText(m_settings.claudeFolder()));
    m_codexFolder->setText(qText(m_settings.codexFolder()));
    m_preview->reevaluate();
}

void SettingsView::orderStyles()
{
    // Stacked first where more than two items would crowd the tray.
    const bool stackedFirst = m_settings.enabledAccounts().size() > 2;
    const int stacked = m_style->findData(static_cast<int>(TrayStyle::stacked));
    if ((stacked == 0) == stackedFirst) {
        return;
    }
    const QString text = m_style->itemText(stacked);
    m_style->removeItem(stacked);
    m_style->insertItem(stackedFirst ? 0 : m_style->count(), text, static_cast<int>(TrayStyle::stacked));
}

void SettingsView::refreshDetectedTools()
{
    const auto& detected = m_store.detectedTools();
    const auto show = [&detected](Provider provider, PathField* path, PathField* folder) {
        const auto found = detected.find(provider);
        path->setDetected(found == detected.end() ? std::nullopt : found->second.path);
        folder->setDetected(found == detected.end() ? std::nullopt : std::optional(found->second.folder.path.string()));
    };
    show(Provider::claude, m_claudePath, m_claudeFolder);
    show(Provider::openai, m_codexPath, m_codexFolder);
    if (const auto claude = detected.find(Provider::claude); claude != detected.end()) {
        m_statusLine->setClaudeFolder(claude->second.folder.path);
    }
}

}  // namespace ostrel
