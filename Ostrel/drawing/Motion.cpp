#include "drawing/Motion.h"

#include <QtGlobal>

namespace ostrel::Motion {

bool reduced()
{
    if (qEnvironmentVariableIntValue("OSTREL_REDUCE_MOTION") != 0) {
        return true;
    }
    bool isNumber = false;
    const int factor = qEnvironmentVariableIntValue("QT_ANIMATION_DURATION_FACTOR", &isNumber);
    return isNumber && factor == 0;
}

}  // namespace ostrel::Motion
