#include "base/LocalCalendar.h"

#include <QByteArray>
#include <QTimeZone>
#include <unicode/locid.h>
#include <unicode/timezone.h>

namespace ostrel {
namespace {

icu::TimeZone* systemZone()
{
    // Qt notices a changed TZ or /etc/localtime; ICU keeps the zone it saw first.
    const QByteArray id = QTimeZone::systemTimeZoneId();
    if (!id.isEmpty()) {
        icu::TimeZone* zone = icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(id.toStdString()));
        if (zone != nullptr && *zone != icu::TimeZone::getUnknown()) {
            return zone;
        }
        delete zone;
    }
    return icu::TimeZone::detectHostTimeZone();
}

}  // namespace

std::unique_ptr<icu::Calendar> localCalendar()
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(
        icu::Calendar::createInstance(systemZone(), icu::Locale::getDefault(), status));
    if (status > U_ZERO_ERROR) {
        return nullptr;
    }
    return calendar;
}

}  // namespace ostrel
