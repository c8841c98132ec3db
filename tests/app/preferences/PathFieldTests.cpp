#include "preferences/PathField.h"

#include <array>
#include <filesystem>
#include <string_view>

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "support/FakeHome.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

TEST(PathField, PlaceholderShowsTheHomeFolderAsTilde)
{
    struct Case
    {
        std::string_view name;
        std::optional<std::string_view> detected;
        std::string_view placeholder;
    };

    constexpr auto cases = std::to_array<Case>({
        {"a path under home starts with ~", "/home/ann/.local/bin/claude", "~/.local/bin/claude"},
        {"a path elsewhere stays whole", "/usr/local/bin/codex", "/usr/local/bin/codex"},
        {"a neighbour whose name starts like home is not under it", "/home/ann2/bin/claude", "/home/ann2/bin/claude"},
        {"home itself", "/home/ann", "~"},
        {"an empty detection", "", "not found"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto detected = c.detected ? std::optional<std::string>(*c.detected) : std::nullopt;
        EXPECT_EQ(PathField::placeholder(detected, "/home/ann").toStdString(), c.placeholder);
    }
}

TEST(PathField, WarnsWhileTheTypedOrSetPathIsNoExecutableFileOrNoFolder)
{
    const testing::FakeHome fake;
    const fs::path& home = fake.path();
    fake.write("bin/tool", "#!/bin/sh\n", true);
    fake.write("bin/notes", "text\n");

    using Kind = PathField::Kind;

    struct Case
    {
        std::string_view name;
        PathField::Kind kind;
        std::string_view typed;  ///< "@" stands for the home folder
        bool warns;
    };

    constexpr auto cases = std::to_array<Case>({
        {"spaces and tabs count as blank and search instead", Kind::executable, " \t ", false},
        {"an executable file with blanks around it", Kind::executable, " @/bin/tool\t", false},
        {"an executable file under ~", Kind::executable, "~/bin/tool", false},
        {"nothing at the path", Kind::executable, "@/bin/missing", true},
        {"a folder", Kind::executable, "@/bin", true},
        {"a file that cannot be run", Kind::executable, "@/bin/notes", true},
        {"a folder for a folder, under ~ with a slash after it", Kind::folder, "~/bin/", false},
        {"a file for a folder", Kind::folder, "@/bin/notes", true},
        {"a relative folder", Kind::folder, "bin", true},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string typed(c.typed);
        if (const auto at = typed.find('@'); at != std::string::npos) {
            typed.replace(at, 1, home.string());
        }
        EXPECT_EQ(PathField::needsWarning(c.kind, typed, home.string()), c.warns);
    }
    // Set from the settings, the text warns but is not reported as typed; typed, it is, warning and all.
    PathField field(QStringLiteral("claude"), home.string());
    field.setAttribute(Qt::WA_DontShowOnScreen);
    field.show();
    QSignalSpy edited(&field, &PathField::edited);
    field.setText(QStringLiteral("/nowhere/claude"));
    EXPECT_TRUE(edited.isEmpty());
    EXPECT_TRUE(field.warning()->isVisibleTo(&field));
    EXPECT_EQ(field.edit()->accessibleName(), QStringLiteral("claude"));
    field.setDetected(home.string() + "/bin/tool");
    EXPECT_EQ(field.edit()->placeholderText(), QStringLiteral("~/bin/tool"));
    field.setText({});
    QTest::keyClicks(field.edit(), QStringLiteral("~/bin"));
    EXPECT_TRUE(field.warning()->isVisibleTo(&field));
    ASSERT_FALSE(edited.isEmpty());
    EXPECT_EQ(edited.last().at(0).toString(), QStringLiteral("~/bin"));
}

}  // namespace
}  // namespace ostrel
