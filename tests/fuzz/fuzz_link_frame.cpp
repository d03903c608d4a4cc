// The link's byte stream as TesselAPI.dll reads it: frames cut into arbitrary pieces,
// hello and placement payloads, and the two environment settings.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "FuzzRequire.h"
#include "host/LinkFrame.h"

namespace {

using namespace quillon::host;

// What the stream holds when read in one piece: the frames, and whether a bad header
// ends it.
struct FlatReading {
    std::vector<Frame> frames;
    bool broken = false;
    std::size_t leftover = 0;
};

FlatReading ReadFlat(const unsigned char* bytes, std::size_t size) {
    FlatReading reading;
    std::size_t at = 0;
    while (size - at >= FrameHeaderSize) {
        std::optional<FrameHeader> header = DecodeFrameHeader(bytes + at, size - at);
        if (!header) {
            reading.broken = true;
            return reading;
        }
        FUZZ_REQUIRE(IsValidPayloadLength(header->dataLen));
        const std::size_t frameSize = FrameHeaderSize + static_cast<std::size_t>(header->dataLen);
        if (size - at < frameSize) break;
        reading.frames.push_back({*header, {bytes + at + FrameHeaderSize, bytes + at + frameSize}});
        at += frameSize;
    }
    reading.leftover = size - at;
    return reading;
}

void CheckPayloadCodecs(const std::vector<unsigned char>& payload) {
    // Exact-size copy: a decoder reading one byte too far trips AddressSanitizer.
    std::vector<unsigned char> exact(payload);
    if (std::optional<HelloPayload> hello = DecodeHello(exact.data(), exact.size())) {
        FUZZ_REQUIRE(hello->name.find('\0') == std::string::npos);
        FUZZ_REQUIRE(hello->accessCode.find('\0') == std::string::npos);
        FUZZ_REQUIRE(EncodeHello(*hello) == payload);
    }
    std::optional<WindowPlacement> placement = DecodeWindowPlacement(exact.data(), exact.size());
    FUZZ_REQUIRE(placement.has_value() == (payload.size() == WindowPlacementSize));
    if (placement) FUZZ_REQUIRE(EncodeWindowPlacement(*placement) == payload);
}

void CheckEnvironmentTexts(std::string_view text) {
    if (std::optional<LinkAddress> address = ParseLinkAddress(text)) {
        FUZZ_REQUIRE(address->port != 0);
        FUZZ_REQUIRE(!address->host.empty());
        FUZZ_REQUIRE(address->host.find_first_of(" \t\r\n") == std::string::npos);
        if (!text.empty()) FUZZ_REQUIRE(text.find(address->host) != std::string_view::npos);
    }
    const int timeout = ParseConnectTimeout(text);
    FUZZ_REQUIRE(timeout >= 0 && timeout <= 24 * 60 * 60 * 1000);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The first byte sets how the socket cuts the stream; the rest is the stream. From
    // 0xF0 on, the stream is repeated past 64 KB in larger pieces, so the reader also
    // drops what it has handed out while a frame is still incomplete.
    std::size_t pieceSize = data[0] % 23 + 1;
    std::vector<unsigned char> repeated(data + 1, data + size);
    if (data[0] >= 0xF0) {
        pieceSize *= 97;
        while (repeated.size() < 70 * 1024) repeated.insert(repeated.end(), data + 1, data + size);
    }
    const unsigned char* stream = repeated.data();
    const std::size_t streamSize = repeated.size();

    const FlatReading expected = ReadFlat(stream, streamSize);

    FrameReader reader;
    std::vector<Frame> frames;
    for (std::size_t at = 0; at < streamSize; at += pieceSize) {
        const std::size_t length = std::min(pieceSize, streamSize - at);
        std::vector<unsigned char> piece(stream + at, stream + at + length);
        reader.Feed(piece.data(), piece.size());
        while (std::optional<Frame> frame = reader.Next()) frames.push_back(std::move(*frame));
    }
    reader.Feed(nullptr, 5);  // a null piece is no data, never a crash

    FUZZ_REQUIRE(frames.size() == expected.frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const Frame& frame = frames[i];
        FUZZ_REQUIRE(frame.header == expected.frames[i].header);
        FUZZ_REQUIRE(frame.payload == expected.frames[i].payload);
        FUZZ_REQUIRE(frame.payload.size() == static_cast<std::size_t>(frame.header.dataLen));

        // Writing the frame again gives the bytes it came from.
        std::optional<std::vector<unsigned char>> encoded =
            EncodeFrame(frame.header.msgType, frame.header.value, frame.header.requestId, frame.payload.data(),
                        frame.payload.size());
        FUZZ_REQUIRE(encoded.has_value());
        FUZZ_REQUIRE(encoded->size() == FrameHeaderSize + frame.payload.size());
        FUZZ_REQUIRE(std::optional<FrameHeader>(frame.header) == DecodeFrameHeader(encoded->data(), encoded->size()));
        CheckPayloadCodecs(frame.payload);
    }
    FUZZ_REQUIRE(reader.Broken() == expected.broken);
    if (reader.Broken()) {
        FUZZ_REQUIRE(!reader.Next().has_value());
    } else {
        FUZZ_REQUIRE(reader.Pending() == expected.leftover);
    }

    // A header cut short is never decoded.
    std::vector<unsigned char> shortHeader(stream, stream + std::min(streamSize, FrameHeaderSize - 1));
    FUZZ_REQUIRE(!DecodeFrameHeader(shortHeader.data(), shortHeader.size()).has_value());

    CheckPayloadCodecs({data + 1, data + size});
    CheckEnvironmentTexts(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    return 0;
}
