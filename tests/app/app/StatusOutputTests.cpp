#include "app/StatusOutput.h"

#include <array>
#include <string>

#include <gtest/gtest.h>

#include "support/TempSettings.h"

namespace ostrel {
namespace {

constexpr Date now = dateFromSince1970(1796000000);

[[nodiscard]] ProviderSnapshot readingOf(double usedPercent)
{
    ProviderReading reading;
    reading.fetchedAt = now - Seconds{60};
    reading.weekly = UsageWindow{usedPercent, now + Seconds{302400}, UsageWindow::week};
    ProviderSnapshot snapshot;
    snapshot.lastAttemptAt = reading.fetchedAt;
    snapshot.lastReading = reading;
    return snapshot;
}

TEST(StatusOutput, ShowsEachAccountOfTheSettingsWithItsOwnReading)
{
    testing::TempSettings temp;
    temp.settings.setOpenaiEnabled(false);
    const std::filesystem::path home = temp.folder.path().toStdString();
    ASSERT_TRUE(temp.settings.addAccount(Provider::claude, "Work", home / ".claude-work"));
    ASSERT_TRUE(temp.settings.addAccount(Provider::claude, "Spare", home / ".claude-spare"));
    Saved saved;
    saved.snapshots[Provider::claude] = readingOf(40);
    saved.accounts[{Provider::claude, "work"}].snapshot = readingOf(90);
    // Kept for an account no longer in the settings: not shown.
    saved.accounts[{Provider::claude, "gone"}].snapshot = readingOf(10);

    struct Row
    {
        std::string id;
        std::string title;
        ProviderDisplay::Status status;
        int percentLeft;
    };

    const auto rows = std::to_array<Row>({
        {"", "Claude", ProviderDisplay::Status::live, 60},
        {"work", "Claude \u00B7 Work", ProviderDisplay::Status::live, 10},
        {"spare", "Claude \u00B7 Spare", ProviderDisplay::Status::loading, -1},
    });
    const std::vector<ProviderDisplay> displays = StatusOutput::displays(saved, temp.settings, now);
    ASSERT_EQ(displays.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].title);
        EXPECT_EQ(displays[i].accountId, rows[i].id);
        EXPECT_EQ(displays[i].title(), rows[i].title);
        EXPECT_EQ(displays[i].status, rows[i].status);
        EXPECT_EQ(displays[i].pace ? displays[i].pace->percentLeft() : -1, rows[i].percentLeft);
    }
}

}  // namespace
}  // namespace ostrel
