#include "host/LinkFrame.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace quillon::host {

namespace {

void PutUint32(unsigned char* out, std::uint32_t value) {
    out[0] = static_cast<unsigned char>(value);
    out[1] = static_cast<unsigned char>(value >> 8);
    out[2] = static_cast<unsigned char>(value >> 16);
    out[3] = static_cast<unsigned char>(value >> 24);
}

std::uint32_t GetUint32(const unsigned char* in) {
    return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
           static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

void PutInt32(unsigned char* out, std::int32_t value) {
    PutUint32(out, static_cast<std::uint32_t>(value));
}

std::int32_t GetInt32(const unsigned char* in) {
    return static_cast<std::int32_t>(GetUint32(in));
}

std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

}  // namespace

bool IsValidPayloadLength(std::int64_t dataLen) {
    return dataLen >= 0 && dataLen <= MaxFramePayload;
}

void EncodeFrameHeader(const FrameHeader& header, unsigned char* out) {
    PutUint32(out, header.msgType);
    PutInt32(out + 4, header.value);
    PutInt32(out + 8, header.requestId);
    PutInt32(out + 12, header.dataLen);
}

std::optional<FrameHeader> DecodeFrameHeader(const unsigned char* bytes, std::size_t length) {
    if (bytes == nullptr || length < FrameHeaderSize) return std::nullopt;
    FrameHeader header;
    header.msgType = GetUint32(bytes);
    header.value = GetInt32(bytes + 4);
    header.requestId = GetInt32(bytes + 8);
    header.dataLen = GetInt32(bytes + 12);
    if (!IsValidPayloadLength(header.dataLen)) return std::nullopt;
    return header;
}

std::optional<std::vector<unsigned char>> EncodeFrame(std::uint32_t msgType, std::int32_t value, std::int32_t requestId,
                                                      const void* payload, std::size_t length) {
    if (length > static_cast<std::size_t>(MaxFramePayload)) return std::nullopt;
    if (payload == nullptr && length != 0) return std::nullopt;
    std::vector<unsigned char> frame(FrameHeaderSize + length);
    EncodeFrameHeader({msgType, value, requestId, static_cast<std::int32_t>(length)}, frame.data());
    if (length != 0) std::memcpy(frame.data() + FrameHeaderSize, payload, length);
    return frame;
}

void FrameReader::Feed(const unsigned char* bytes, std::size_t length) {
    if (broken_ || bytes == nullptr || length == 0) return;
    // Drop what was handed out before growing, so a long flood does not keep it all.
    if (consumed_ != 0 && consumed_ == buffer_.size()) {
        buffer_.clear();
        consumed_ = 0;
        // One large frame should not pin its memory for the rest of the link.
        if (buffer_.capacity() > 1024 * 1024) buffer_.shrink_to_fit();
    } else if (consumed_ > 64 * 1024 && consumed_ * 2 > buffer_.size()) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(consumed_));
        consumed_ = 0;
    }
    buffer_.insert(buffer_.end(), bytes, bytes + length);
}

std::optional<Frame> FrameReader::Next() {
    std::optional<FrameView> view = NextView();
    if (!view) return std::nullopt;
    Frame frame;
    frame.header = view->header;
    if (view->length != 0) frame.payload.assign(view->payload, view->payload + view->length);
    return frame;
}

std::optional<FrameView> FrameReader::NextView() {
    if (broken_ || Pending() < FrameHeaderSize) return std::nullopt;
    const unsigned char* start = buffer_.data() + consumed_;
    std::optional<FrameHeader> header = DecodeFrameHeader(start, FrameHeaderSize);
    if (!header) {
        broken_ = true;
        buffer_.clear();
        consumed_ = 0;
        return std::nullopt;
    }
    std::size_t frameSize = FrameHeaderSize + static_cast<std::size_t>(header->dataLen);
    if (Pending() < frameSize) return std::nullopt;
    FrameView frame;
    frame.header = *header;
    frame.length = frameSize - FrameHeaderSize;
    if (frame.length != 0) frame.payload = start + FrameHeaderSize;
    consumed_ += frameSize;
    return frame;
}

std::vector<unsigned char> EncodeHello(const HelloPayload& hello) {
    std::string_view name = UpToNul(hello.name);
    std::string_view accessCode = UpToNul(hello.accessCode);
    std::vector<unsigned char> payload;
    payload.reserve(name.size() + accessCode.size() + 10);
    payload.insert(payload.end(), name.begin(), name.end());
    payload.push_back(0);
    payload.insert(payload.end(), accessCode.begin(), accessCode.end());
    payload.push_back(0);
    unsigned char windows[8];
    PutUint32(windows, hello.hostWindow);
    PutUint32(windows + 4, hello.ownWindow);
    payload.insert(payload.end(), windows, windows + 8);
    return payload;
}

std::optional<HelloPayload> DecodeHello(const unsigned char* bytes, std::size_t length) {
    if (bytes == nullptr) return std::nullopt;
    const unsigned char* end = bytes + length;
    const unsigned char* nameEnd = std::find(bytes, end, 0);
    if (nameEnd == end) return std::nullopt;
    const unsigned char* codeEnd = std::find(nameEnd + 1, end, 0);
    if (codeEnd == end || end - (codeEnd + 1) != 8) return std::nullopt;
    HelloPayload hello;
    hello.name.assign(reinterpret_cast<const char*>(bytes), reinterpret_cast<const char*>(nameEnd));
    hello.accessCode.assign(reinterpret_cast<const char*>(nameEnd + 1), reinterpret_cast<const char*>(codeEnd));
    hello.hostWindow = GetUint32(codeEnd + 1);
    hello.ownWindow = GetUint32(codeEnd + 5);
    return hello;
}

std::vector<unsigned char> EncodeWindowPlacement(const WindowPlacement& placement) {
    std::vector<unsigned char> payload(WindowPlacementSize);
    PutInt32(payload.data(), placement.x);
    PutInt32(payload.data() + 4, placement.y);
    PutInt32(payload.data() + 8, placement.width);
    PutInt32(payload.data() + 12, placement.height);
    return payload;
}

std::optional<WindowPlacement> DecodeWindowPlacement(const unsigned char* bytes, std::size_t length) {
    if (bytes == nullptr || length != WindowPlacementSize) return std::nullopt;
    return WindowPlacement{GetInt32(bytes), GetInt32(bytes + 4), GetInt32(bytes + 8), GetInt32(bytes + 12)};
}

std::optional<LinkAddress> ParseLinkAddress(std::optional<std::string_view> text) {
    if (!text || text->empty()) return LinkAddress{DefaultLinkHost, DefaultLinkPort};
    std::size_t colon = text->rfind(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 == text->size()) return std::nullopt;
    std::string_view host = text->substr(0, colon);
    std::string_view port = text->substr(colon + 1);
    // "[::1]:17310": the brackets only keep the address's colons apart from the port's.
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    if (host.find_first_of(" \t\r\n") != std::string_view::npos) return std::nullopt;
    unsigned value = 0;
    auto [rest, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (error != std::errc() || rest != port.data() + port.size() || value == 0 || value > 65535) return std::nullopt;
    return LinkAddress{std::string(host), static_cast<std::uint16_t>(value)};
}

int ParseConnectTimeout(std::optional<std::string_view> text) {
    constexpr long long OneDayMs = 24LL * 60 * 60 * 1000;
    if (!text || text->empty()) return DefaultConnectTimeoutMs;
    long long value = 0;
    auto [rest, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error == std::errc::result_out_of_range && text->front() != '-') return static_cast<int>(OneDayMs);
    if (error != std::errc() || rest != text->data() + text->size() || value < 0) return DefaultConnectTimeoutMs;
    return static_cast<int>(std::min(value, OneDayMs));
}

}  // namespace quillon::host
