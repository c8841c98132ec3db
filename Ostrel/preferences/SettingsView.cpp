#include "preferences/SettingsView.h"

#include <type_traits>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "drawing/Theme.h"
#include "drawing/TrayLabel.h"
#include "preferences/PathField.h"
#include "preferences/ProviderToggleRow.h"
#include "preferences/StatusLineRow.h"
#include "settings/AppSettings.h"
#include "store/UsageStore.h"
#include "tray/LabelSource.h"

namespace ostrel {
namespace {

constexpr double headerPoints = 11;
constexpr double rowPoints = 13;
constexpr double captionPoints = 11;
constexpr int formMargin = 20;
constexpr int sectionGap = 18;
constexpr int boxPadding = 10;
constexpr int rowGap = 10;
constexpr double boxRadius = 8;
constexpr double boxFillOpacity = 0.04;
constexpr double boxEdgeOpacity = 0.1;
constexpr double previewRadius = 6;
constexpr double previewFillOpacity = 0.06;
constexpr int previewPadding = 6;
constexpr int pickerWidth = 150;

/// The rounded box that holds one section's rows.
class SectionBox : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        const Theme theme = Theme::fromPalette(palette());
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(theme.primaryAt(boxEdgeOpacity), 1));
        painter.setBrush(theme.primaryAt(boxFillOpacity));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), boxRadius, boxRadius);
    }
};

/// The live tray label on its faint rounded plate.
class PreviewPlate : public QWidget
{
public:
    PreviewPlate(TrayLabel* label, QWidget* parent)
        : QWidget(parent)
    {
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(previewPadding, 0, previewPadding, 0);
        row->addWidget(label);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::fromPalette(palette()).primaryAt(previewFillOpacity));
        painter.drawRoundedRect(QRectF(rect()), previewRadius, previewRadius);
    }
};

QLabel* secondaryLabel(const QString& text, double points, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(Theme::font(points));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Theme::fromPalette(palette).secondary);
    label->setPalette(palette);
    return label;
}

QCheckBox* toggle(const QString& text, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setFont(Theme::font(rowPoints));
    box->setAccessibleName(text);
    return box;
}

/// A row of a label, a flexible space and `control`, which takes the label's text as its name.
QHBoxLayout* labelledRow(const QString& text, QWidget* control, QWidget* parent)
{
    auto* row = new QHBoxLayout();
    auto* label = new QLabel(text, parent);
    label->setFont(Theme::font(rowPoints));
    label->setBuddy(control);
    control->setAccessibleName(text);
    row->addWidget(label);
    row->addStretch(1);
    row->addWidget(control);
    return row;
}

template <class Choice, std::size_t Count, class Label>
QComboBox* picker(const std::array<Choice, Count>& choices, Label label, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setFont(Theme::font(rowPoints));
    // One width for all pickers, so their right edges and arrows line up.
    box->setMinimumWidth(pickerWidth);
    for (const Choice choice : choices) {
        if constexpr (std::is_enum_v<Choice>) {
            box->addItem(qText(label(choice)), static_cast<int>(choice));
        } else {
            box->addItem(qText(label(choice)), choice);
        }
    }
    return box;
}

/// Shows `value` in `box`, or nothing when it is none of the choices (a hand-edited interval).
void select(QComboBox* box, int value)
{
    box->setCurrentIndex(box->findData(value));
}

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
    auto* box = new SectionBox(this);
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
    row->addWidget(new PreviewPlate(m_preview, this));
    rows->addLayout(row);
}

void SettingsView::addDailyReport()
{
    QVBoxLayout* rows = addSection(
        QStringLiteral("Daily report"),
        QStringLiteral("A notification with one line per provider, plus any reset credits. If the computer was "
                       "asleep at 6, it arrives when it wakes (until noon)."));
    m_morning = toggle(QStringLiteral("Morning report at 6:00 AM"), this);
    rows->addWidget(m_morning, 0, Qt::AlignLeft);
    connect(m_morning, &QCheckBox::clicked, &m_settings, &AppSettings::setMorningReport);

    auto* send = new QPushButton(QStringLiteral("Send a test report now"), this);
    send->setFont(Theme::font(rowPoints));
    send->setAccessibleName(send->text());
    rows->addWidget(send, 0, Qt::AlignLeft);
    connect(send, &QPushButton::clicked, this, [this] { m_hooks.sendTestReport(); });
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
    m_statusLine = new StatusLineRow(m_hooks.home, m_hooks.statusLineCommand, this);
    addBox({})->addWidget(m_statusLine);
    refreshDetectedTools();
}

void SettingsView::refresh()
{
    select(m_interval, m_settings.storedRefreshMinutes());
    select(m_style, static_cast<int>(m_settings.trayStyle()));
    select(m_trayIcon, static_cast<int>(m_settings.trayIconMode()));
    select(m_gauge, static_cast<int>(m_settings.gaugeWindow()));
    m_morning->setChecked(m_settings.morningReport());
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
