#include "store/UsageStore.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>
#include <utility>

#include <QtConcurrent>

#include "base/LocalCalendar.h"
#include "model/DemoData.h"
#include "platform/ConnectivityMonitor.h"
#include "platform/WakeMonitor.h"
#include "settings/AppSettings.h"
#include "store/CredentialWatch.h"
#include "store/SettingsFollower.h"
#include "store/StatusLineDrops.h"

namespace ostrel {
namespace {

/// Two readings, a scan and a tool search can all be in flight at once.
constexpr int workerThreads = 4;

int milliseconds(double seconds)
{
    // QTimer counts in int milliseconds; a huge stored interval must not wrap around.
    return static_cast<int>(std::clamp(std::round(seconds * 1000), 0.0, static_cast<double>(INT_MAX)));
}

}  // namespace

UsageStore::UsageStore(const AppSettings& settings, Options options, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_options(std::move(options))
{
    connect(&m_retries, &RetrySchedule::due, this, &UsageStore::retryFailing);
    m_workers.setMaxThreadCount(workerThreads);
    m_activity = std::make_unique<ActivityScans>(m_settings, m_options.readers.scan, m_options.clock, m_workers);
    connect(m_activity.get(), &ActivityScans::changed, this, &UsageStore::changed);
    if (m_options.demo) {
        // Demonstration data replaces every reader, scan and file for the whole run.
        ActivityScans::Map activity;
        if (const std::unique_ptr<icu::Calendar> calendar = localCalendar()) {
            DemoSample sample = DemoData::make(m_options.clock(), *calendar);
            m_saved.snapshots = std::move(sample.snapshots);
            m_saved.history = std::move(sample.history);
            for (auto& [provider, scanned] : sample.activity) {
                activity.emplace(AccountKey{provider, {}}, std::move(scanned));
            }
        }
        m_activity->freeze(std::move(activity));
        return;
    }
    if (m_options.dataFolder) {
        m_writer.emplace(ReadingsFile::filePath(*m_options.dataFolder));
        m_saved = m_writer->load(m_options.clock());
    }
}

UsageStore::~UsageStore()
{
    // Readings in flight end now rather than at their time-outs; results that arrive now are dropped.
    if (m_options.readers.stop) {
        m_options.readers.stop();
    }
    m_workers.waitForDone();
}

void UsageStore::start()
{
    if (m_options.demo) {
        return;
    }
    if (const std::optional<std::string> problem = m_writer ? m_writer->loadProblem() : std::nullopt) {
        tellReadingsNotKept(*problem);
    }
    reschedule();
    refresh();
    refreshActivity(0);
    (void)detectPaths();
    connect(&m_settings, &AppSettings::refreshMinutesChanged, this, &UsageStore::reschedule);
    m_wakeMonitor = std::make_unique<WakeMonitor>();
    connect(m_wakeMonitor.get(), &WakeMonitor::woke, this, &UsageStore::handleWake);
    connect(m_wakeMonitor.get(), &WakeMonitor::woke, this, &UsageStore::woke);
    m_connectivity = std::make_unique<ConnectivityMonitor>(m_options.networkBus.value_or(QDBusConnection::systemBus()));
    connect(m_connectivity.get(), &ConnectivityMonitor::backOnline, this, &UsageStore::retryAtOnce);
    if (m_options.dataFolder) {
        m_statusLineDrops = std::make_unique<StatusLineDrops>(*m_options.dataFolder);
        connect(m_statusLineDrops.get(), &StatusLineDrops::arrived, this, &UsageStore::takeStatusLine);
        m_statusLineDrops->check();
    }
    m_settingsFollower = std::make_unique<SettingsFollower>(m_settings, *this);
    m_credentialWatch = std::make_unique<CredentialWatch>(*this);
}

void UsageStore::takeStatusLine(const std::string& accountId, const ClaudeStatusLine::Figures& figures)
{
    // A drop left for an account removed since, or of a tool turned off, belongs to no one shown.
    const AccountKey key{Provider::claude, accountId};
    const std::vector<ToolAccount> enabled = enabledAccounts();
    if (std::ranges::none_of(enabled, [&key](const ToolAccount& account) { return account.key() == key; })) {
        return;
    }
    if (ClaudeStatusLine::fold(m_saved, figures, intervalMinutes() * 60.0, accountId)) {
        save();
        Q_EMIT changed();
    }
}

void UsageStore::handleWake()
{
    const double interval = intervalMinutes() * 60.0;
    refreshIfStale(interval);
    refreshActivity(interval);
}

int UsageStore::intervalMinutes() const
{
    return m_settings.refreshMinutes();
}

ToolChoice UsageStore::toolChoice(Provider provider) const
{
    return m_settings.toolChoice(provider);
}

std::vector<Provider> UsageStore::enabledProviders() const
{
    return m_settings.enabledProviders();
}

std::vector<ToolAccount> UsageStore::enabledAccounts() const
{
    return m_settings.enabledAccounts();
}

double UsageStore::staleAfter() const
{
    return ProviderDisplay::staleAfterFor(intervalMinutes());
}

void UsageStore::reschedule()
{
    if (m_options.demo) {
        return;
    }
    const double interval = intervalMinutes() * 60.0;
    m_scheduleTimer = std::make_unique<QTimer>();
    // Coarse: the system may batch the wake-up within a few percent of the interval.
    m_scheduleTimer->setTimerType(Qt::CoarseTimer);
    m_scheduleTimer->setInterval(milliseconds(interval));
    connect(m_scheduleTimer.get(), &QTimer::timeout, this, [this] {
        refresh();
        refreshActivity(0);
    });
    m_scheduleTimer->start();
}

void UsageStore::refresh(const std::optional<std::vector<Provider>>& providers)
{
    if (m_options.demo) {
        return;
    }
    if (!providers) {
        read(enabledAccounts());
        return;
    }
    std::vector<ToolAccount> accounts;
    for (const Provider provider : *providers) {
        std::ranges::move(m_settings.accounts(provider), std::back_inserter(accounts));
    }
    read(accounts);
}

void UsageStore::read(const std::vector<ToolAccount>& accounts)
{
    if (m_options.demo) {
        return;
    }
    for (const ToolAccount& account : accounts) {
        if (m_inFlight.contains(account.key())) {
            continue;
        }
        startReading(account).then(this,
                                   [this, key = account.key()](const FetchResult& result) { record(result, key); });
    }
}

void UsageStore::readAgain(const std::vector<Provider>& providers)
{
    std::vector<AccountKey> keys;
    for (const Provider provider : providers) {
        std::ranges::transform(m_settings.accounts(provider), std::back_inserter(keys), &ToolAccount::key);
    }
    readAccountsAgain(keys);
}

void UsageStore::readAccountsAgain(const std::vector<AccountKey>& accounts)
{
    if (m_options.demo) {
        return;
    }
    std::vector<ToolAccount> known;
    for (const AccountKey& key : accounts) {
        m_inFlight.readAgainWhenRecorded(key);
        if (std::optional<ToolAccount> found = m_settings.account(key)) {
            known.push_back(std::move(*found));
        }
    }
    read(known);
}

void UsageStore::followAccounts(Provider provider)
{
    if (forgetRemovedAccounts()) {
        save();
        Q_EMIT changed();
    }
    if (m_statusLineDrops && provider == Provider::claude) {
        m_statusLineDrops->removeAllBut([this](const std::string& id) {
            return m_settings.account({Provider::claude, id}).has_value();
        });
    }
    if (!m_settings.isEnabled(provider)) {
        return;
    }
    rescanActivity();
    // A new account has nothing kept yet; the others keep their schedule.
    std::vector<AccountKey> added;
    for (const ToolAccount& account : m_settings.accounts(provider)) {
        if (!account.isDefault() && ReadingsFile::snapshotOf(m_saved, account.key()) == nullptr) {
            added.push_back(account.key());
        }
    }
    readAccountsAgain(added);
}

bool UsageStore::forgetRemovedAccounts()
{
    return std::erase_if(m_saved.accounts, [this](const auto& entry) { return !m_settings.account(entry.first); }) > 0;
}

QFuture<FetchResult> UsageStore::startReading(const ToolAccount& account)
{
    m_inFlight.start(account.key());
    Q_EMIT changed();
    auto read = m_options.readers.read;
    auto clock = m_options.clock;
    return QtConcurrent::run(&m_workers,
                             [read, clock, provider = account.provider, choice = m_settings.toolChoice(account)] {
                                 return read(provider, choice, clock());
                             });
}

QFuture<void> UsageStore::refreshAndWait()
{
    if (m_options.demo) {
        return QtFuture::makeReadyFuture();
    }
    const std::vector<ToolAccount> accounts = enabledAccounts();
    std::vector<AccountKey> keys;
    std::ranges::transform(accounts, std::back_inserter(keys), &ToolAccount::key);
    QFuture<void> done = m_inFlight.allRecorded(keys);
    read(accounts);
    return done;
}

void UsageStore::record(const FetchResult& result, const AccountKey& account)
{
    const Date now = m_options.clock();
    m_inFlight.end(account);
    // A reading of an account removed while it was in flight is not kept.
    if (m_settings.account(account)) {
        ReadingsFile::record(m_saved, account, result, now);
    }
    m_retries.record(account, result);
    save();
    Q_EMIT changed();
    if (m_inFlight.settle(account)) {
        readAccountsAgain({account});
    }
}

void UsageStore::retryAtOnce()
{
    // A reading begun before the network came back is likely to fail: then it is retried as soon as it is told.
    for (const AccountKey& account : m_inFlight.accounts()) {
        m_inFlight.whenRecorded(account, [this, account] {
            if (m_retries.isFailing(account)) {
                retryFailing();
            }
        });
    }
    retryFailing();
}

void UsageStore::retryFailing()
{
    // Made early, the retry counts as the one that was due: a failure waits as long as the next would.
    m_retries.takeDue();
    std::vector<ToolAccount> failing = enabledAccounts();
    std::erase_if(failing, [this](const ToolAccount& account) { return !m_retries.isFailing(account.key()); });
    read(failing);
}

void UsageStore::refreshIfStale(double maxAge)
{
    const Date now = m_options.clock();
    std::vector<ToolAccount> stale = enabledAccounts();
    std::erase_if(stale, [&](const ToolAccount& account) {
        const ProviderSnapshot* snapshot = ReadingsFile::snapshotOf(m_saved, account.key());
        return snapshot != nullptr && snapshot->lastAttemptAt && (now - *snapshot->lastAttemptAt).count() <= maxAge;
    });
    read(stale);
}

QFuture<void> UsageStore::detectPaths()
{
    UsageReaders::Choices choices;
    for (const Provider provider : allProviders) {
        choices[provider] = toolChoice(provider);
    }
    auto locate = m_options.readers.locate;
    return QtConcurrent::run(&m_workers, [locate, choices] { return locate(choices); })
        .then(this, [this](UsageReaders::FoundTools found) {
            m_detectedTools = std::move(found);
            Q_EMIT changed();
        });
}

void UsageStore::save()
{
    if (!m_writer) {
        return;
    }
    forgetRemovedAccounts();
    // A failed save keeps the previous file; the next reading tries again.
    auto saved = m_writer->save(m_saved, m_options.clock());
    // What another writer kept of a removed account came back with the merge; this save drops it for good.
    if (saved && forgetRemovedAccounts()) {
        saved = m_writer->save(m_saved, m_options.clock());
    }
    m_saveProblem = saved ? std::nullopt : std::optional(saved.error().detail);
    if (m_saveProblem) {
        tellReadingsNotKept("Ostrel cannot save its readings (" + *m_saveProblem
                            + "); the readings of this session will be lost when it quits.");
    }
}

void UsageStore::tellReadingsNotKept(const std::string& text)
{
    // Once per run: every later save would fail the same way.
    if (!std::exchange(m_toldReadingsNotKept, true)) {
        Q_EMIT readingsNotKept(QString::fromStdString(text));
    }
}

}  // namespace ostrel
