#pragma once
// Makes the settings that change what is read take effect at once rather than
// at the next scheduled reading: a provider turned on is read and its logs
// scanned; a named account added is read, and one removed forgotten; a tool's
// path or folder, once the typing has paused, is searched for again and the
// tool read (and, for a folder, its logs scanned). Main thread only.

#include <chrono>
#include <set>

#include <QObject>
#include <QTimer>

#include "model/Provider.h"

namespace ostrel {

class AppSettings;
class UsageStore;

class SettingsFollower : public QObject
{
    Q_OBJECT

public:
    /// How long the typing in a path field must pause before the tool is searched and read.
    static constexpr std::chrono::milliseconds typingPause{800};

    SettingsFollower(const AppSettings& settings,
                     UsageStore& store,
                     std::chrono::milliseconds pause = typingPause,
                     QObject* parent = nullptr);

private:
    void turnedOn(Provider provider, bool enabled);
    void edited(Provider provider, bool folder);
    void applyEdits();

    const AppSettings& m_settings;
    UsageStore& m_store;
    QTimer m_pause;
    std::set<Provider> m_edited;
    bool m_folderEdited = false;
};

}  // namespace ostrel
