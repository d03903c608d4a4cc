#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The loopback link between TesselAPI.dll and a host: a 16-byte little-endian header
// (msgType, value, requestId, dataLen) followed by dataLen payload bytes. Both ends
// (our TesselAPI.dll and the host simulator) build on these helpers, so every byte
// layout of the link lives here and is tested once.
namespace quillon::host {

inline constexpr std::size_t FrameHeaderSize = 16;
// A header announcing more than this (or a negative length) ends the link.
inline constexpr std::int32_t MaxFramePayload = 16 * 1024 * 1024;

// Link-level message types that never reach the program's callback.
inline constexpr std::uint32_t LinkHelloType = 0;                // plugin to host, first frame
inline constexpr std::uint32_t LinkShowWindowType = 0xFFFF0001;  // host to plugin
inline constexpr std::uint32_t LinkHideWindowType = 0xFFFF0002;  // host to plugin

inline constexpr std::size_t WindowPlacementSize = 16;

inline constexpr const char* DefaultLinkHost = "127.0.0.1";
inline constexpr std::uint16_t DefaultLinkPort = 17310;
inline constexpr int DefaultConnectTimeoutMs = 5000;

struct FrameHeader {
    std::uint32_t msgType = 0;
    std::int32_t value = 0;
    std::int32_t requestId = 0;
    std::int32_t dataLen = 0;
    friend bool operator==(const FrameHeader&, const FrameHeader&) = default;
};

bool IsValidPayloadLength(std::int64_t dataLen);

// Writes the 16 header bytes. The caller makes dataLen valid before sending.
void EncodeFrameHeader(const FrameHeader& header, unsigned char* out);
// Reads a header from at least FrameHeaderSize bytes. Nothing when fewer bytes are
// given or when dataLen is outside 0..MaxFramePayload, which ends the link.
std::optional<FrameHeader> DecodeFrameHeader(const unsigned char* bytes, std::size_t length);

// A whole frame, header and payload, ready to write. Nothing when the payload is too
// long for the link or null with a non-zero length.
std::optional<std::vector<unsigned char>> EncodeFrame(std::uint32_t msgType, std::int32_t value, std::int32_t requestId,
                                                      const void* payload, std::size_t length);

struct Frame {
    FrameHeader header;
    std::vector<unsigned char> payload;
};

// A frame still in the reader's buffer: its payload is valid until the reader is fed again.
struct FrameView {
    FrameHeader header;
    const unsigned char* payload = nullptr;  // null when the payload is empty
    std::size_t length = 0;
};

// Turns a byte stream, fed in whatever pieces the socket gives, into frames. Once a
// header with an invalid length arrives the reader is broken for good: the link ends.
class FrameReader {
public:
    void Feed(const unsigned char* bytes, std::size_t length);
    // The next complete frame, or nothing when more bytes are needed (or broken).
    std::optional<Frame> Next();
    // The same without copying the payload out: the link's reader hands each frame to the
    // program's callback, which copies what it keeps, so a copy here was one allocation
    // per frame for nothing.
    std::optional<FrameView> NextView();
    bool Broken() const { return broken_; }
    // Bytes received but not yet returned as frames.
    std::size_t Pending() const { return buffer_.size() - consumed_; }

private:
    std::vector<unsigned char> buffer_;
    std::size_t consumed_ = 0;
    bool broken_ = false;
};

// Hello: the first frame the plugin sends (msgType 0, value = mode word, requestId 0).
// Payload: name bytes, NUL, access code bytes, NUL, uint32 host window, uint32 own window.
struct HelloPayload {
    std::string name;
    std::string accessCode;
    std::uint32_t hostWindow = 0;
    std::uint32_t ownWindow = 0;
    friend bool operator==(const HelloPayload&, const HelloPayload&) = default;
};

// Texts are cut at an embedded NUL: the receiver could not tell where they end otherwise.
std::vector<unsigned char> EncodeHello(const HelloPayload& hello);
std::optional<HelloPayload> DecodeHello(const unsigned char* bytes, std::size_t length);

// Optional payload of the show-window frame: int32 x, y, width, height.
struct WindowPlacement {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

std::vector<unsigned char> EncodeWindowPlacement(const WindowPlacement& placement);
// Exactly WindowPlacementSize bytes, else nothing.
std::optional<WindowPlacement> DecodeWindowPlacement(const unsigned char* bytes, std::size_t length);

struct LinkAddress {
    std::string host;
    std::uint16_t port = 0;
    friend bool operator==(const LinkAddress&, const LinkAddress&) = default;
};

// TESSEL_HOST: "host:port" (an IPv6 address in brackets). Unset or empty gives 127.0.0.1:17310; a value that is not a
// host name and a port 1..65535 gives nothing, so a mistyped address fails the log-in
// instead of reaching some other host.
std::optional<LinkAddress> ParseLinkAddress(std::optional<std::string_view> text);

// TESSEL_CONNECT_TIMEOUT_MS: milliseconds as decimal digits. Unset or unreadable gives
// 5000; values are capped at one day.
int ParseConnectTimeout(std::optional<std::string_view> text);

}  // namespace quillon::host
