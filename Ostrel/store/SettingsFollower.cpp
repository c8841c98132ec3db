#include "store/SettingsFollower.h"

#include <vector>

#include "settings/AppSettings.h"
#include "store/UsageStore.h"

namespace ostrel {

SettingsFollower::SettingsFollower(const AppSettings& settings,
                                   UsageStore& store,
                                   std::chrono::milliseconds pause,
                                   QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_store(store)
{
    m_pause.setSingleShot(true);
    m_pause.setInterval(pause);
    connect(&m_pause, &QTimer::timeout, this, &SettingsFollower::applyEdits);

    connect(&settings, &AppSettings::claudeEnabledChanged, this, [this](bool enabled) {
        turnedOn(Provider::claude, enabled);
    });
    connect(&settings, &AppSettings::openaiEnabledChanged, this, [this](bool enabled) {
        turnedOn(Provider::openai, enabled);
    });
    connect(&settings, &AppSettings::accountsChanged, this, [this](Provider provider) {
        m_store.followAccounts(provider);
    });
    connect(&settings, &AppSettings::claudePathChanged, this, [this] { edited(Provider::claude, false); });
    connect(&settings, &AppSettings::codexPathChanged, this, [this] { edited(Provider::openai, false); });
    connect(&settings, &AppSettings::claudeFolderChanged, this, [this] { edited(Provider::claude, true); });
    connect(&settings, &AppSettings::codexFolderChanged, this, [this] { edited(Provider::openai, true); });
}

void SettingsFollower::turnedOn(Provider provider, bool enabled)
{
    if (!enabled) {
        return;
    }
    m_store.readAgain({provider});
    m_store.rescanActivity();
}

void SettingsFollower::edited(Provider provider, bool folder)
{
    m_edited.insert(provider);
    m_folderEdited = m_folderEdited || folder;
    // Each key typed is stored at once; the tool is looked for once the typing pauses.
    m_pause.start();
}

void SettingsFollower::applyEdits()
{
    (void)m_store.detectPaths();
    std::vector<Provider> read;
    for (const Provider provider : m_edited) {
        if (m_settings.isEnabled(provider)) {
            read.push_back(provider);
        }
    }
    m_store.readAgain(read);
    if (m_folderEdited) {
        m_store.rescanActivity();
    }
    m_edited.clear();
    m_folderEdited = false;
}

}  // namespace ostrel
