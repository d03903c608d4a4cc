#include "support/LinkTestHost.h"

#include <optional>
#include <utility>

namespace quillon::test {

namespace {

std::optional<platform::TcpSocket> ListenOnLoopback() {
    std::string error;
    return platform::TcpSocket::Listen("127.0.0.1", 0, error);
}

}  // namespace

LinkTestHost::LinkTestHost() {
    if (std::optional<platform::TcpSocket> listener = ListenOnLoopback()) {
        listener_ = std::move(*listener);
        port_ = listener_.LocalPort();
    }
}

std::string LinkTestHost::Address() const {
    return "127.0.0.1:" + std::to_string(port_);
}

bool LinkTestHost::Accept(int timeoutMs) {
    Close();
    if (!listener_.IsOpen() || listener_.WaitReadable(timeoutMs) != platform::SocketWait::Ready) return false;
    std::optional<platform::TcpSocket> accepted = listener_.Accept();
    if (!accepted) return false;
    Attach(std::move(*accepted));
    return true;
}

void LinkTestHost::DropLink() {
    Close();
    listener_.Close();
}

std::uint16_t LinkTestHost::UnusedPort() {
    platform::SocketLibrary sockets;
    std::optional<platform::TcpSocket> listener = ListenOnLoopback();
    return listener ? listener->LocalPort() : 0;
}

}  // namespace quillon::test
