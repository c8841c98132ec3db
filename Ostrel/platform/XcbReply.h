#pragma once
// Owns an xcb reply, which xcb allocates with malloc.

#include <cstdlib>
#include <memory>

namespace ostrel {

struct FreeXcbReply
{
    void operator()(void* reply) const
    {
        std::free(reply);  // NOLINT(cppcoreguidelines-no-malloc): xcb allocates its replies with malloc
    }
};

template <typename Reply>
using XcbReply = std::unique_ptr<Reply, FreeXcbReply>;

}  // namespace ostrel
