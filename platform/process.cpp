#include "platform/process.h"

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

std::function<void(int)> &endhandler()
{
    static std::function<void(int)> handler;
    return handler;
}

} // namespace

void endprocess(int code)
{
    if (endhandler()) {
        endhandler()(code);
        return;
    }
    std::fflush(nullptr);
    std::_Exit(code);
}

void setendprocesshandler(std::function<void(int)> handler)
{
    endhandler() = std::move(handler);
}

} // namespace platform
