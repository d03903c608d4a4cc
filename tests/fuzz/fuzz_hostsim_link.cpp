// The simulator's side of the link: whatever the plugin writes is cut into frames and
// each frame is logged as one readable line, hellos decoded, nothing read past a frame.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FuzzRequire.h"
#include "host/LinkFrame.h"
#include "hostsim/FrameLog.h"

namespace {

using namespace quillon;

void CheckLogLine(const std::string& line) {
    FUZZ_REQUIRE(!line.empty());
    // One line of printable ASCII, whatever the payload held.
    for (char c : line) FUZZ_REQUIRE(c >= 0x20 && c < 0x7F);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t pieceSize = data[0] % 29 + 1;
    host::FrameReader reader;
    for (std::size_t at = 1; at < size && !reader.Broken(); at += pieceSize) {
        std::vector<unsigned char> piece(data + at, data + std::min(size, at + pieceSize));
        reader.Feed(piece.data(), piece.size());
        while (std::optional<host::Frame> frame = reader.Next()) {
            // The payload in a buffer of its own size, as the server holds it.
            std::vector<unsigned char> payload(frame->payload);
            FUZZ_REQUIRE(payload.size() == static_cast<std::size_t>(frame->header.dataLen));
            const unsigned char* bytes = payload.empty() ? nullptr : payload.data();
            CheckLogLine(hostsim::DescribeFrame(hostsim::FrameDirection::FromPlugin, frame->header, bytes));
            CheckLogLine(hostsim::DescribeFrame(hostsim::FrameDirection::ToPlugin, frame->header, bytes));
            CheckLogLine(hostsim::FrameTypeName(frame->header.msgType));
            if (frame->header.msgType == host::LinkHelloType) {
                if (auto hello = host::DecodeHello(bytes, payload.size())) {
                    FUZZ_REQUIRE(host::EncodeHello(*hello) == frame->payload);
                }
            }
        }
    }
    // A header that claims a payload the log line is given no bytes for.
    if (size > host::FrameHeaderSize) {
        if (auto header = host::DecodeFrameHeader(data + 1, size - 1)) {
            CheckLogLine(hostsim::DescribeFrame(hostsim::FrameDirection::ToPlugin, *header, nullptr));
        }
    }
    return 0;
}
