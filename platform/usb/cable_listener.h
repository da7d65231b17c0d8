// The listening socket of the cable's device end, at a path in the file
// system that outlives any one server.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace qm::usb::cable {

struct ListeningSocket {
    int fd = -1;
    // Which file the path named when it was bound, so that it is only ever
    // removed while it is still this socket.
    dev_t device = 0;
    ino_t inode = 0;
};

// Binds and listens at the path. A socket left there by a server that is
// gone is replaced; a live server's socket, or anything that is not a socket,
// keeps the path (nullopt, and the reason in *error).
std::optional<ListeningSocket> listenAt(const std::string& path, std::string* error);

// Removes the path unless it no longer names this socket: another server
// may have taken it over since.
void removeIfStillOurs(const std::string& path, const ListeningSocket& socket);

}  // namespace qm::usb::cable
