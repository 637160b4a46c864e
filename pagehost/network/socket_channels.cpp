#include "pagehost/network/socket_channels.h"

#include <algorithm>
#include <stdexcept>

namespace kestrune {

std::size_t SocketRequestSource::Read(char* destination, std::size_t count) {
    std::size_t wanted = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(count), std::max<std::int64_t>(Left(), 0)));
    std::size_t done = 0;
    while (done < wanted) {
        std::size_t got = connection_.Receive(destination + done, wanted - done);
        if (got == 0) throw std::runtime_error("the client went away before the whole body arrived");
        done += got;
        taken_ += static_cast<std::int64_t>(got);
    }
    return done;
}

}  // namespace kestrune
