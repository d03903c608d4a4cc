// The socket layer the link's both ends stand on, over real loopback connections. Also
// built into the Windows suites, where Winsock does the work.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "platform/TcpSocket.h"

using quillon::platform::PollRequest;
using quillon::platform::PollSockets;
using quillon::platform::SocketLibrary;
using quillon::platform::SocketWait;
using quillon::platform::TcpSocket;
using Io = TcpSocket::Io;

namespace {

constexpr int WaitMs = 5000;

std::vector<unsigned char> Pattern(std::size_t length) {
    std::vector<unsigned char> bytes(length);
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
    return bytes;
}

// Reads until `length` bytes came or the link ended.
std::vector<unsigned char> ReceiveUpTo(const TcpSocket& socket, std::size_t length) {
    std::vector<unsigned char> bytes(length);
    std::size_t got = 0;
    while (got < length) {
        const TcpSocket::IoResult result = socket.Receive(bytes.data() + got, length - got);
        if (result.status != Io::Done) break;
        got += result.bytes;
    }
    bytes.resize(got);
    return bytes;
}

// A listener on a free loopback port and one connection to it, both ends blocking.
class LoopbackPair : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.Ready());
        std::string error;
        std::optional<TcpSocket> listening = TcpSocket::Listen("127.0.0.1", 0, error);
        ASSERT_TRUE(listening) << error;
        listener = std::move(*listening);
        ASSERT_NE(listener.LocalPort(), 0);
        std::optional<TcpSocket> connected = TcpSocket::Connect("127.0.0.1", listener.LocalPort(), WaitMs, error);
        ASSERT_TRUE(connected) << error;
        client = std::move(*connected);
        ASSERT_EQ(listener.WaitReadable(WaitMs), SocketWait::Ready);
        std::optional<TcpSocket> accepted = listener.Accept();
        ASSERT_TRUE(accepted);
        server = std::move(*accepted);
    }

    SocketLibrary library;
    TcpSocket listener;
    TcpSocket client;
    TcpSocket server;
};

TEST_F(LoopbackPair, BytesCrossWholeBothWaysAndAClosedEndReadsAsClosed) {
    // More than the loopback buffers hold, so the writer waits for the reader.
    const std::vector<unsigned char> upstream = Pattern(8 << 20);
    std::future<std::vector<unsigned char>> received =
        std::async(std::launch::async, [&] { return ReceiveUpTo(server, upstream.size()); });
    EXPECT_TRUE(client.SendAll(upstream.data(), upstream.size()));
    EXPECT_TRUE(received.get() == upstream);

    const std::vector<unsigned char> downstream = Pattern(1000);
    EXPECT_TRUE(server.SendAll(downstream.data(), downstream.size()));
    EXPECT_TRUE(ReceiveUpTo(client, downstream.size()) == downstream);

    client.Close();
    EXPECT_FALSE(client.IsOpen());
    unsigned char byte;
    EXPECT_EQ(server.Receive(&byte, 1).status, Io::Closed);
    // Writing on into a link whose peer has gone fails instead of ending the process.
    bool sent = true;
    for (int i = 0; i < 100 && sent; ++i) sent = server.SendAll(downstream.data(), downstream.size());
    EXPECT_FALSE(sent);
}

TEST_F(LoopbackPair, AReceiveAfterAShutdownReturnsAtOnce) {
    server.Shutdown();
    std::future<Io> late = std::async(std::launch::async, [&] {
        unsigned char byte;
        return server.Receive(&byte, 1).status;
    });
    ASSERT_EQ(late.wait_for(std::chrono::milliseconds(WaitMs)), std::future_status::ready);
    EXPECT_EQ(late.get(), Io::Closed);
}

TEST_F(LoopbackPair, ShutdownFromAnotherThreadEndsABlockedReceiveAndTheLink) {
    std::future<Io> blocked = std::async(std::launch::async, [&] {
        unsigned char byte;
        return server.Receive(&byte, 1).status;
    });
    EXPECT_EQ(blocked.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout) << "nothing to read yet";
    server.Shutdown();
    ASSERT_EQ(blocked.wait_for(std::chrono::milliseconds(WaitMs)), std::future_status::ready);
    EXPECT_EQ(blocked.get(), Io::Closed);
    EXPECT_TRUE(server.IsOpen()) << "shut down, still owned until closed";
    ASSERT_EQ(client.WaitReadable(WaitMs), SocketWait::Ready);
    unsigned char byte;
    EXPECT_EQ(client.Receive(&byte, 1).status, Io::Closed);
}

TEST_F(LoopbackPair, WaitsAndPollsReportOnlyWhatIsThere) {
    EXPECT_EQ(server.WaitReadable(50), SocketWait::TimedOut);
    ASSERT_TRUE(server.SetNonBlocking(true));
    unsigned char buffer[16];
    EXPECT_EQ(server.Receive(buffer, sizeof buffer).status, Io::WouldBlock);
    std::vector<PollRequest> polls{{&server, true, true}, {&listener, true, false}};
    PollSockets(polls, 0);
    EXPECT_FALSE(polls[0].readable);
    EXPECT_TRUE(polls[0].writable);
    EXPECT_FALSE(polls[1].readable) << "no connection waits";
    ASSERT_TRUE(listener.SetNonBlocking(true));
    EXPECT_FALSE(listener.Accept()) << "no connection waits";

    const std::vector<unsigned char> bytes = Pattern(10);
    ASSERT_TRUE(client.SendAll(bytes.data(), bytes.size()));
    polls = {{&server, true, false}};
    PollSockets(polls, WaitMs);
    EXPECT_TRUE(polls[0].readable);
    EXPECT_EQ(server.WaitReadable(WaitMs), SocketWait::Ready);
    const TcpSocket::IoResult result = server.Receive(buffer, sizeof buffer);
    EXPECT_EQ(result.status, Io::Done);
    EXPECT_EQ(std::vector<unsigned char>(buffer, buffer + result.bytes), bytes);
}

TEST_F(LoopbackPair, ASendTimeOutEndsABlockedSendToAPeerThatDoesNotRead) {
    client.SetSendTimeout(200);
    const std::vector<unsigned char> flood = Pattern(64 << 20);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client.SendAll(flood.data(), flood.size()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(TcpSocket, ListeningAndConnectingFailWithAReasonAndInTime) {
    SocketLibrary library;
    std::string error;
    std::optional<TcpSocket> taken = TcpSocket::Listen("127.0.0.1", 0, error);
    ASSERT_TRUE(taken) << error;
    const std::uint16_t takenPort = taken->LocalPort();
    std::optional<TcpSocket> released = TcpSocket::Listen("127.0.0.1", 0, error);
    ASSERT_TRUE(released) << error;
    const std::uint16_t freePort = released->LocalPort();
    released->Close();

    struct ListenCase {
        std::string host;
        std::uint16_t port;
    };
    for (const ListenCase& c : {ListenCase{"127.0.0.1", takenPort}, ListenCase{"192.0.2.1", 0}}) {
        error.clear();
        EXPECT_FALSE(TcpSocket::Listen(c.host, c.port, error)) << c.host << ":" << c.port;
        EXPECT_FALSE(error.empty()) << c.host << ":" << c.port;
    }

    const auto start = std::chrono::steady_clock::now();
    error.clear();
    EXPECT_FALSE(TcpSocket::Connect("127.0.0.1", freePort, 300, error));
    EXPECT_NE(error.find(std::to_string(freePort)), std::string::npos) << error;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

}  // namespace
