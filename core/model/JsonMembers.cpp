#include "model/JsonMembers.h"

namespace ostrel::Json::Members {

Value encodeValue(double value)
{
    return Fields::number(value);
}

Value encodeValue(const std::string& value)
{
    return value;
}

Value encodeValue(std::int64_t value)
{
    return value;
}

Value encodeValue(int value)
{
    return value;
}

}  // namespace ostrel::Json::Members
