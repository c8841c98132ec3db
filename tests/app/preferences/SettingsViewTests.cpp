#include "preferences/SettingsView.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

#include "drawing/Theme.h"
#include "drawing/TrayLabel.h"
#include "preferences/StatusLineRow.h"
#include "settings/AppSettings.h"
#include "store/UsageStore.h"
#include "support/EventLoop.h"
#include "support/FileBytes.h"
#include "support/ScriptedReaders.h"
#include "support/TempSettings.h"

namespace ostrel {
namespace {

/// The first child of type `W` whose accessible name is `name`: found as a screen reader finds it.
template <class W>
W* named(const QWidget& root, const QString& name)
{
    const auto children = root.findChildren<W*>();
    const auto found = std::ranges::find(children, name, &QWidget::accessibleName);
    return found != children.end() ? *found : nullptr;
}

class SettingsViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        script->home = temp.folder.path().toStdString();
        store.reschedule();
    }

    std::unique_ptr<SettingsView> makeView(std::optional<UpdateControls> updates = std::nullopt)
    {
        SettingsView::Hooks hooks;
        hooks.sendTestReport = [this] {
            ++testReports;
        };
        hooks.updates = std::move(updates);
        hooks.clock = clock;
        hooks.home = temp.folder.path().toStdString();
        hooks.statusLineCommand = "/opt/ostrel/bin/ostrel --statusline";
        auto view = std::make_unique<SettingsView>(settings, store, std::move(hooks));
        view->show();
        view->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(view.get()));
        return view;
    }

    /// The value in the settings file, read afresh from disk.
    [[nodiscard]] QString stored(const char* key) const
    {
        const QSettings file(QString::fromStdString(settings.filePath().string()), QSettings::IniFormat);
        return file.value(QString::fromLatin1(key)).toString();
    }

    testing::TempSettings temp;
    AppSettings& settings = temp.settings;
    std::shared_ptr<testing::Script> script = std::make_shared<testing::Script>();
    UsageStore store{settings, testing::optionsFor(script)};
    Clock clock = [this] {
        return dateFromSince1970(script->now);
    };
    int testReports = 0;
};

TEST_F(SettingsViewTest, TheKeyboardAloneReachesEveryNamedControlInOrderAndEachWritesItsKeyAtOnce)
{
    store.start();
    const auto view = makeView(UpdateControls{.version = QStringLiteral("1.0 (1)")});
    std::vector<QWidget*> controls;
    for (QWidget* widget : view->findChildren<QWidget*>()) {
        if (widget->isVisible() && (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus) {
            controls.push_back(widget);
        }
    }
    // Two providers, three pickers, a toggle, the report time and a button, five alert toggles and the threshold,
    // a toggle, two update controls, two paths, two folders, the new account's tool, name, button and folder, the
    // status line's entry and button.
    ASSERT_EQ(controls.size(), 28U);
    for (const QWidget* control : controls) {
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
    }

    named<QCheckBox>(*view, QStringLiteral("Claude"))->setFocus();
    std::vector<QWidget*> visited;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        visited.push_back(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(QApplication::focusWidget(), visited.front()) << "Tab wraps round to the first control";
    std::vector<QWidget*> sortedVisited = visited;
    std::ranges::sort(sortedVisited);
    std::ranges::sort(controls);
    EXPECT_EQ(sortedVisited, controls);
    // Top to bottom, as the form reads.
    for (std::size_t i = 1; i < visited.size(); ++i) {
        EXPECT_GE(visited[i]->mapTo(view.get(), QPoint()).y(), visited[i - 1]->mapTo(view.get(), QPoint()).y())
            << visited[i]->accessibleName().toStdString();
    }

    auto* time = named<QComboBox>(*view, QStringLiteral("Report time"));
    ASSERT_NE(time, nullptr);
    time->setFocus();
    QTest::keyClick(time, Qt::Key_Down);
    QTest::keyClick(time, Qt::Key_Down);
    EXPECT_EQ(stored("morningReportTime"), QStringLiteral("07:00"));
    auto* send = named<QPushButton>(*view, QStringLiteral("Send a test report now"));
    ASSERT_NE(send, nullptr);
    send->setFocus();
    QTest::keyClick(send, Qt::Key_Space);
    EXPECT_EQ(testReports, 1);

    // Each picker's last choice, and each switch turned off; the report's switch names the time just chosen.
    constexpr auto writes = std::to_array<std::array<const char*, 3>>({
        {"Check every", "refreshMinutes", "240"},
        {"Style", "menuBarStyle", "stacked"},
        {"Tray icon", "trayIcon", "darkPanel"},
        {"Gauge shows", "gaugeWindow", "binding"},
        {"Threshold", "alertThresholdPercent", "95"},
        {"Morning report at 7:00 AM", "morningReport", "false"},
        {"Pace turns Getting tight or Very tight", "alertPace", "false"},
        {"A limit will run out within 3 hours", "alertRunsOut", "false"},
        {"A limit passes its threshold", "alertThreshold", "false"},
        {"A limit renews after passing it", "alertRenewed", "false"},
        {"A tool signs out or back in", "alertAccount", "false"},
    });
    for (const auto& [label, key, last] : writes) {
        SCOPED_TRACE(label);
        auto* control = named<QWidget>(*view, QString::fromLatin1(label));
        ASSERT_NE(control, nullptr);
        const auto* box = qobject_cast<QCheckBox*>(control);
        EXPECT_TRUE(box == nullptr || box->isChecked());
        control->setFocus();
        QTest::keyClick(control, box != nullptr ? Qt::Key_Space : Qt::Key_End);
        EXPECT_EQ(stored(key), QString::fromLatin1(last));
    }
    // The store reads on the new interval, and the preview shows the new style.
    ASSERT_NE(store.scheduleTimer(), nullptr);
    EXPECT_EQ(store.scheduleTimer()->interval(), 240 * 60 * 1000);
    ASSERT_NE(view->preview(), nullptr);
    EXPECT_EQ(view->preview()->content().style, TrayStyle::stacked);
}

/// What the status-line row meets in settings.json in claude's folder.
struct StatusLineCase
{
    std::string_view name;
    std::optional<std::string_view> settings;  ///< absent: no file
    bool backupBlocked;                        ///< a folder where the copy of the file would go
    std::string_view shown;                    ///< the state text before the click
    bool offered;                              ///< the button can be pressed
    std::string_view afterClick;               ///< the state text after it
    std::string_view folder = ".claude";       ///< claude's folder in the home; another is set in the settings
};

constexpr std::string_view offer =
    "Adds this entry to ~/.claude/settings.json, keeping a copy of the file beside it. Claude Code then shows the pace "
    "under its prompt and hands Ostrel the allowance.";
constexpr std::string_view isSet = "Set in ~/.claude/settings.json: Claude Code shows the pace under its prompt.";

constexpr auto statusLineCases = std::to_array<StatusLineCase>({
    {"no settings file", std::nullopt, false, offer, true, isSet},
    {"another status line",
     R"({"statusLine": {"type": "command", "command": "~/bin/line.sh"}})",
     false,
     "Claude Code already runs another status line, and Ostrel leaves it alone. To add the pace, have that command "
     "feed its input to /opt/ostrel/bin/ostrel --statusline too and print the line it returns.",
     false,
     ""},
    {"a file that cannot be copied first",
     R"({"model": "opus"})",
     true,
     offer,
     true,
     "Could not save a copy of Claude Code's settings file (cannot replace what is in the file's place: Is a "
     "directory); Ostrel left it unchanged."},
    {"claude's folder moved",
     std::nullopt,
     false,
     "Adds this entry to ~/work/settings.json, keeping a copy of the file beside it. Claude Code then shows the pace "
     "under its prompt and hands Ostrel the allowance.",
     true,
     "Set in ~/work/settings.json: Claude Code shows the pace under its prompt.",
     "work"},
});

/// Puts the case's Claude Code settings into `home`, after clearing what an earlier case left.
void prepare(const StatusLineCase& c, const std::filesystem::path& home)
{
    const auto folder = home / c.folder;
    std::filesystem::remove_all(folder);
    if (c.settings) {
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "settings.json") << *c.settings;
    }
    if (c.backupBlocked) {
        std::filesystem::create_directories(folder / "settings.json.ostrel-backup");
    }
}

TEST_F(SettingsViewTest, AccountsAreAddedFromASuggestionOrByHandAndRemoved)
{
    const std::filesystem::path home = temp.folder.path().toStdString();
    std::filesystem::create_directories(home / ".claude-work");
    std::ofstream(home / ".claude-work" / ".credentials.json") << "{}";
    const auto view = makeView();

    struct Step
    {
        std::string_view name;
        std::string_view click;  ///< the button's accessible name
        int tool = 0;            ///< for the typed form: the picker's index (0 Claude, 1 OpenAI)
        std::string_view typedName;
        std::string_view typedFolder;
        std::size_t claudeAccounts;
        std::size_t openaiAccounts;
        std::string_view problem;  ///< the form's complaint; empty: none shown
    };

    constexpr auto steps = std::to_array<Step>({
        {"a suggested folder", "Add ~/.claude-work as Claude \u00B7 Work", 0, "", "", 2, 1, ""},
        {"typed, under ~", "Add Account", 1, "Home", "~/.codex-home", 2, 2, ""},
        {"typed, relative",
         "Add Account",
         1,
         "Lab",
         "codex-lab",
         2,
         2,
         "Type the account's folder as a full path, or one starting with ~/."},
        {"the same folder again", "Add Account", 0, "Again", "~/.claude-work", 2, 2, ""},
        {"removed", "Remove Claude \u00B7 Work", 0, "", "", 1, 2, ""},
    });
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        auto* tool = named<QComboBox>(*view, QStringLiteral("Tool of the new account"));
        ASSERT_NE(tool, nullptr);
        tool->setCurrentIndex(step.tool);
        named<QLineEdit>(*view, QStringLiteral("Name of the new account"))->setText(QString::fromUtf8(step.typedName));
        named<QLineEdit>(*view, QStringLiteral("Folder of the new account"))
            ->setText(QString::fromUtf8(step.typedFolder));
        auto* button = named<QPushButton>(*view, QString::fromUtf8(step.click));
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_EQ(settings.accounts(Provider::claude).size(), step.claudeAccounts);
        EXPECT_EQ(settings.accounts(Provider::openai).size(), step.openaiAccounts);
        const auto problems = view->findChildren<QLabel*>();
        const bool complained = std::ranges::any_of(problems, [&step](const QLabel* label) {
            return label->isVisible() && !step.problem.empty() && label->text() == QString::fromUtf8(step.problem);
        });
        EXPECT_EQ(complained, !step.problem.empty());
    }
    EXPECT_EQ(settings.accounts(Provider::openai).back().folder, home / ".codex-home");
    EXPECT_EQ(named<QComboBox>(*view, QStringLiteral("Style"))->itemText(0), QStringLiteral("Stacked"))
        << "three tray items: stacked is offered first";
    EXPECT_NE(named<QPushButton>(*view, QStringLiteral("Add ~/.claude-work as Claude \u00B7 Work")), nullptr)
        << "offered again once removed";
}

TEST_F(SettingsViewTest, TheStatusLineRowAddsTheEntryOnlyWhereNoStatusLineIsSet)
{
    const std::filesystem::path home = temp.folder.path().toStdString();
    for (const StatusLineCase& c : statusLineCases) {
        SCOPED_TRACE(c.name);
        prepare(c, home);
        const auto file = home / c.folder / "settings.json";
        settings.setClaudeFolder(c.folder == ".claude" ? "" : (home / c.folder).string());
        const QFuture<void> detected = store.detectPaths();
        ASSERT_TRUE(testing::spinUntil([&] { return detected.isFinished(); }));
        const auto shown = makeView();
        const SettingsView& view = *shown;
        auto* row = view.findChild<StatusLineRow*>();
        ASSERT_NE(row, nullptr);
        const auto* entry = named<QLabel>(view, QStringLiteral("Status line entry"));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->text(),
                  QStringLiteral("\"statusLine\": {\n  \"type\": \"command\",\n  \"command\": "
                                 "\"/opt/ostrel/bin/ostrel --statusline\"\n}"));
        EXPECT_TRUE(entry->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
        EXPECT_EQ(row->stateLabel()->accessibleName().toStdString(), c.shown);
        auto* add = named<QPushButton>(view, QStringLiteral("Add to Claude Code"));
        ASSERT_NE(add, nullptr);
        EXPECT_EQ(add->isEnabled(), c.offered);
        const std::string before = c.settings ? testing::contents(file) : std::string();
        QTest::mouseClick(add, Qt::LeftButton);
        if (!c.offered) {
            EXPECT_EQ(testing::contents(file), before) << "a click on the disabled button changes nothing";
            continue;
        }
        EXPECT_EQ(row->stateLabel()->accessibleName().toStdString(), c.afterClick);
        const bool added = !c.backupBlocked;
        EXPECT_EQ(add->isEnabled(), !added) << "a failed add may be tried again";
        EXPECT_EQ(testing::contents(file).find("/opt/ostrel/bin/ostrel --statusline") != std::string::npos, added);
        EXPECT_EQ(row->stateLabel()->palette().color(QPalette::WindowText) == Theme::red(), !added);
    }
}

}  // namespace
}  // namespace ostrel
