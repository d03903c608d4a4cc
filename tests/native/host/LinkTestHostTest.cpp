// The test host that later suites drive the link with, checked against a plain client
// socket: frames both ways, a frame cut short, and the end of the link.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "support/LinkTestHost.h"

using quillon::test::LinkTestHost;
using namespace quillon::host;

namespace {

class ClientSocket {
public:
    explicit ClientSocket(std::uint16_t port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~ClientSocket() { Close(); }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }
    bool Connected() const { return connected_; }
    bool Write(const std::vector<unsigned char>& bytes) {
        return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    std::vector<unsigned char> ReadExactly(std::size_t length) {
        std::vector<unsigned char> bytes(length);
        std::size_t got = 0;
        while (got < length) {
            ssize_t n = recv(fd_, bytes.data() + got, length - got, 0);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
        return bytes;
    }

private:
    int fd_;
    bool connected_ = false;
};

}  // namespace

TEST(LinkTestHost, ExchangesFramesWithAClientAndSeesTheLinkEnd) {
    LinkTestHost host;
    ASSERT_TRUE(host.Listening());
    EXPECT_EQ(host.Address(), "127.0.0.1:" + std::to_string(host.Port()));
    ClientSocket client(host.Port());
    ASSERT_TRUE(client.Connected());
    ASSERT_TRUE(host.Accept(2000));

    std::vector<unsigned char> hello = EncodeHello({"Quillon", "731", 5, 6});
    ASSERT_TRUE(client.Write(*EncodeFrame(LinkHelloType, 6, 0, hello.data(), hello.size())));
    std::optional<Frame> frame = host.ReadFrame(2000);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->header.value, 6);
    EXPECT_EQ(DecodeHello(frame->payload.data(), frame->payload.size()), (HelloPayload{"Quillon", "731", 5, 6}));

    // Half a frame is not a frame.
    std::vector<unsigned char> request = *EncodeFrame(0x3003, 0, 9, "abcdef", 6);
    ASSERT_TRUE(client.Write(std::vector<unsigned char>(request.begin(), request.begin() + 18)));
    EXPECT_FALSE(host.ReadFrame(50));
    ASSERT_TRUE(client.Write(std::vector<unsigned char>(request.begin() + 18, request.end())));
    frame = host.ReadFrame(2000);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->header.requestId, 9);
    EXPECT_EQ(frame->payload, (std::vector<unsigned char>{'a', 'b', 'c', 'd', 'e', 'f'}));

    const unsigned char quote[3] = {1, 2, 3};
    ASSERT_TRUE(host.Send(0x7003, 0, 0, quote, sizeof quote));
    std::vector<unsigned char> back = client.ReadExactly(FrameHeaderSize + 3);
    EXPECT_EQ(DecodeFrameHeader(back.data(), back.size()), (FrameHeader{0x7003, 0, 0, 3}));

    EXPECT_FALSE(host.WaitForLinkEnd(50));
    client.Close();
    EXPECT_TRUE(host.WaitForLinkEnd(2000));
    EXPECT_FALSE(host.Connected());
}

TEST(LinkTestHost, UnusedPortRefusesConnections) {
    ClientSocket client(LinkTestHost::UnusedPort());
    EXPECT_FALSE(client.Connected());
}
