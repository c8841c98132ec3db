// Writes, with this tree's writer, the readings files of named accounts that
// the compatibility check (previous-decoder.sh) gives the previous release's
// decoder: FOLDER/<shape>.json, each with FOLDER/<shape>.expected beside it,
// the text of its default accounts (DefaultAccounts.h), which every release
// must read alike.
//   named_account_files FOLDER

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DefaultAccounts.h"
#include "model/AccountReadings.h"
#include "posix/AtomicFile.h"

namespace {

using namespace ostrel;

constexpr double hour = 3600;
constexpr double day = 24 * hour;

struct Account
{
    Provider provider;
    std::string id;
    std::optional<double> used;  ///< the week's used percentage; none: the account is signed out
    double historyDays = 0;      ///< how far back its history goes, a point every half hour
};

struct Shape
{
    std::string_view name;
    bool defaultReadings;
    std::vector<Account> accounts;
    /// Entries that this release passes over, as a later release may write
    /// them: a provider it does not know and a snapshot that does not read.
    bool entriesThatDoNotRead = false;
};

/// The account's own week, which renews on another day than the default account's.
ProviderReading readingOf(const Account& account)
{
    ProviderReading reading{
        .provider = account.provider,
        .fetchedAt = compat::writtenAt - Seconds{300},
        .plan = account.provider == Provider::claude ? "Pro" : "Plus",
        .weekly = UsageWindow{.usedPercent = *account.used, .resetsAt = compat::writtenAt + Seconds{2.5 * day}},
        .source = account.provider == Provider::claude ? "usage API" : "codex app-server"};
    if (account.provider == Provider::claude) {
        reading.session = UsageWindow{.usedPercent = 12,
                                      .resetsAt = compat::writtenAt + Seconds{3 * hour},
                                      .duration = UsageWindow::fiveHours};
    }
    return reading;
}

/// Points climbing steadily through each week, back over `historyDays`.
std::vector<AllowancePoint> historyOf(const ProviderReading& reading, double historyDays)
{
    std::vector<AllowancePoint> points;
    const Date renewal = *reading.weekly->resetsAt;
    const double doneNow = 1 - (renewal - reading.fetchedAt).count() / UsageWindow::week;
    for (int halfHours = static_cast<int>(historyDays * 48); halfHours > 0; --halfHours) {
        const Date at = reading.fetchedAt - Seconds{halfHours * hour / 2};
        Date weekEnd = renewal;
        while (weekEnd - Seconds{UsageWindow::week} > at) {
            weekEnd -= Seconds{UsageWindow::week};
        }
        const double weekDone = 1 - (weekEnd - at).count() / UsageWindow::week;
        points.push_back({at, std::min(100.0, reading.weekly->usedPercent * weekDone / doneNow), weekEnd});
    }
    return points;
}

Saved savedOf(const Shape& shape)
{
    Saved saved = shape.defaultReadings ? compat::defaultReadings() : Saved{};
    for (const Account& account : shape.accounts) {
        const AccountKey key{account.provider, account.id};
        if (!account.used) {
            ReadingsFile::record(saved, key, std::unexpected(FetchFailure::notLoggedIn()), compat::writtenAt);
            continue;
        }
        const ProviderReading reading = readingOf(account);
        saved.accounts[key].history = historyOf(reading, account.historyDays);
        ReadingsFile::record(saved, key, reading, compat::writtenAt);
    }
    return saved;
}

std::string textOf(const Shape& shape, const Saved& saved)
{
    auto text = ReadingsFile::encode(saved);
    if (!text) {
        throw compat::Failure(std::string(shape.name) + " cannot be encoded: " + text.error().text());
    }
    if (!shape.entriesThatDoNotRead) {
        return *text;
    }
    Json::Value document = Json::parse(*text).value();
    Json::Value& entries = document[AccountReadingsJson::key];
    entries.insert(entries.begin(),
                   Json::parse(R"({"provider":"gemini","account":"work","snapshot":{},"history":[]})").value());
    entries.push_back(
        Json::parse(R"({"provider":"claude","account":"laptop","snapshot":{"lastAttemptAt":"soon"},"history":[]})")
            .value());
    return Json::serialize(document).value();
}

void writeAll(const std::filesystem::path& folder)
{
    const std::vector<Shape> shapes{
        {"one-account-per-tool", true, {{Provider::claude, "work", 62, 3}, {Provider::openai, "work", std::nullopt}}},
        {"four-claude-accounts",
         true,
         {{Provider::claude, "work", 62, 3},
          {Provider::claude, "client-a", 8, 1},
          {Provider::claude, "home-2", 95, 6}}},
        {"accounts-with-two-weeks-of-history",
         true,
         {{Provider::claude, "work", 47, 14}, {Provider::openai, "side-project", 30, 14}}},
        {"entries-a-later-release-wrote", true, {{Provider::claude, "work", 62, 3}}, true},
        {"named-accounts-alone", false, {{Provider::claude, "work", 62, 3}, {Provider::openai, "work", 5, 2}}},
    };
    for (const Shape& shape : shapes) {
        const Saved saved = savedOf(shape);
        const std::string text = textOf(shape, saved);
        // This tree must read back every account it wrote, and pass over the rest.
        const auto decoded = ReadingsFile::decode(text);
        if (!decoded || *decoded != saved) {
            throw compat::Failure(std::string(shape.name) + ": this tree does not read back what it wrote");
        }
        const std::filesystem::path file = folder / (std::string(shape.name) + ".json");
        if (const auto written = ReadingsFile::saveText(file, text); !written) {
            throw compat::Failure(file.string() + " cannot be saved: " + written.error().detail);
        }
        std::filesystem::path expected = file;
        expected.replace_extension(".expected");
        if (!posix::writeAtomically(expected, compat::defaultsText(saved, saved), 0600)) {
            throw compat::Failure(expected.string() + " cannot be written");
        }
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> arguments(argv, argv + argc);
    if (arguments.size() != 2) {
        std::fputs("usage: named_account_files FOLDER\n", stderr);
        return 2;
    }
    try {
        writeAll(arguments[1]);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    return 0;
}
