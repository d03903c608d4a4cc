#include "PluginClient.h"

#include <gtest/gtest.h>

#include "host/HostMessages.h"
#include "host/WireText.h"

namespace quillon::hostsim::test {

using namespace quillon::host;

PluginClient::PluginClient(std::uint16_t port) {
    std::string error;
    auto socket = platform::TcpSocket::Connect("127.0.0.1", port, 5000, error);
    EXPECT_TRUE(socket.has_value()) << error;
    if (socket) link_.Attach(std::move(*socket));
}

void PluginClient::SendBytes(const std::vector<unsigned char>& bytes) {
    EXPECT_TRUE(link_.SendRaw(bytes.data(), bytes.size()));
}

void PluginClient::Send(std::uint32_t msgType, std::int32_t requestId, const std::vector<unsigned char>& payload) {
    EXPECT_TRUE(link_.Send(msgType, 0, requestId, payload.data(), payload.size()));
}

void PluginClient::SendHello(const std::string& name, std::int32_t mode) {
    const std::vector<unsigned char> hello = EncodeHello({name, "731", 1234, 5678});
    EXPECT_TRUE(link_.Send(LinkHelloType, mode, 0, hello.data(), hello.size()));
}

void PluginClient::SendCode(std::uint32_t msgType, const std::string& code, std::int32_t requestId) {
    Send(msgType, requestId, CodeSlot(code));
}

std::optional<Frame> PluginClient::Receive(int timeoutMs) {
    return link_.ReadFrame(timeoutMs);
}

std::optional<Frame> PluginClient::Expect(std::uint32_t msgType, int timeoutMs) {
    for (;;) {
        std::optional<Frame> frame = Receive(timeoutMs);
        if (!frame) {
            ADD_FAILURE() << "no frame of type 0x" << std::hex << msgType << " came";
            return std::nullopt;
        }
        if (frame->header.msgType == msgType) return frame;
        if (frame->header.msgType == HOSTMSG_QUOTE_PUSH) continue;
        ADD_FAILURE() << "expected type 0x" << std::hex << msgType << ", got 0x" << frame->header.msgType;
        return std::nullopt;
    }
}

bool PluginClient::WaitForClose(int timeoutMs) {
    return link_.WaitForLinkEnd(timeoutMs);
}

RunningServer::RunningServer(Market market, HostServerOptions options, std::vector<std::string> script) {
    options.address = {"127.0.0.1", 0};
    server_ = std::make_unique<HostServer>(std::move(market), options, [this](const std::string& line) {
        std::lock_guard<std::mutex> lock(linesMutex_);
        lines_.push_back(line);
    });
    std::string error;
    EXPECT_TRUE(server_->Listen(error)) << error;
    server_->AddScript(std::move(script));
    thread_ = std::thread([this] { server_->Run(); });
}

RunningServer::~RunningServer() {
    server_->Stop();
    thread_.join();
}

std::vector<std::string> RunningServer::Lines() {
    std::lock_guard<std::mutex> lock(linesMutex_);
    return lines_;
}

std::vector<unsigned char> CodeSlot(const std::string& code) {
    return EncodeTextSlots({code}, CodeSlotSize);
}

std::vector<std::string> ReadSlots(const std::vector<unsigned char>& payload, std::size_t slotSize) {
    std::vector<std::string> texts;
    for (std::size_t offset = 0; offset + slotSize <= payload.size(); offset += slotSize) {
        texts.push_back(ReadTextSlot(reinterpret_cast<const char*>(payload.data()) + offset, slotSize));
    }
    return texts;
}

}  // namespace quillon::hostsim::test
