#pragma once
// Readers for app tests: they answer from a script after scripted delays and
// count their calls, so the usage store can be driven without real tools.

#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "store/UsageStore.h"

namespace ostrel::testing {

using namespace std::chrono_literals;

constexpr Date start = dateFromReference(800000000);

inline ProviderReading readingOf(Provider provider, double usedPercent)
{
    ProviderReading reading;
    reading.provider = provider;
    reading.fetchedAt = start;
    reading.weekly = UsageWindow{usedPercent, start + Seconds{3 * 86400}, 604800};
    reading.source = "scripted";
    return reading;
}

/// Readers that answer from a script and count their calls; shared with the
/// worker threads the store runs them on.
struct Script
{
    struct Step
    {
        FetchResult result;
        std::chrono::milliseconds delay{0};
    };

    std::mutex lock;
    std::map<Provider, std::deque<Step>> steps;
    std::map<Provider, int> reads;
    std::atomic<int> scans{0};
    /// How long each scan takes, so a test can act while one is in flight.
    std::atomic<int> scanMilliseconds{0};
    std::atomic<int> locates{0};
    /// The home the tools' standard folders are found in; set before the first search.
    std::string home = "/home/user";
    std::atomic<double> now{secondsSince1970(start)};

    void add(Provider provider, FetchResult result, std::chrono::milliseconds delay = 0ms)
    {
        const std::scoped_lock guard(lock);
        steps[provider].push_back({std::move(result), delay});
    }

    int readsOf(Provider provider)
    {
        const std::scoped_lock guard(lock);
        return reads[provider];
    }

    void advance(double seconds)
    {
        now = now + seconds;
    }
};

inline UsageStore::Options optionsFor(const std::shared_ptr<Script>& script,
                                      std::optional<std::filesystem::path> folder = {})
{
    UsageStore::Options options;
    options.dataFolder = std::move(folder);
    options.clock = [script] {
        return dateFromSince1970(script->now);
    };
    options.readers.read = [script](Provider provider, const ToolChoice&, Date) -> FetchResult {
        Script::Step step{std::unexpected(FetchFailure::unreachable("no script")), 0ms};
        {
            const std::scoped_lock guard(script->lock);
            ++script->reads[provider];
            auto& queue = script->steps[provider];
            if (!queue.empty()) {
                step = queue.front();
                queue.pop_front();
            }
        }
        std::this_thread::sleep_for(step.delay);
        return step.result;
    };
    options.readers.scan = [script](Provider, const std::vector<ToolChoice>& choices, Date now) {
        ++script->scans;
        std::this_thread::sleep_for(std::chrono::milliseconds(script->scanMilliseconds.load()));
        ProviderActivity activity;
        activity.scannedAt = now;
        return std::vector<ProviderActivity>(choices.size(), activity);
    };
    options.readers.locate = [script](const UsageReaders::Choices& choices) {
        ++script->locates;
        UsageReaders::FoundTools found;
        for (const auto& [provider, choice] : choices) {
            found.emplace(provider,
                          UsageReaders::Found{"/usr/bin/" + std::string(cliName(provider)),
                                              ToolFolder::choose(provider, choice.folder, {}, {}, script->home)});
        }
        return found;
    };
    return options;
}

}  // namespace ostrel::testing
