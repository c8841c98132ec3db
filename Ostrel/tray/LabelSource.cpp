#include "tray/LabelSource.h"

#include "settings/AppSettings.h"
#include "store/UsageStore.h"

namespace ostrel {

LabelContent labelContent(const UsageStore& store, const AppSettings& settings, Date now)
{
    LabelContent content;
    content.style = settings.trayStyle();
    for (const Provider provider : settings.enabledProviders()) {
        content.marks.push_back(MarkState::from(store.display(provider, now)));
    }
    return content;
}

}  // namespace ostrel
