#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/LinkFrame.h"

using namespace quillon::host;

namespace {

std::vector<unsigned char> Bytes(std::initializer_list<int> values) {
    std::vector<unsigned char> bytes;
    for (int value : values) bytes.push_back(static_cast<unsigned char>(value));
    return bytes;
}

}  // namespace

TEST(LinkFrame, HeaderIsLittleEndianOnTheWire) {
    unsigned char header[FrameHeaderSize];
    EncodeFrameHeader({0xFFFF0001u, -1, 0x01020304, 0x00100000}, header);
    EXPECT_EQ(std::vector<unsigned char>(header, header + FrameHeaderSize),
              Bytes({0x01, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0x10, 0x00}));
    std::optional<FrameHeader> back = DecodeFrameHeader(header, sizeof header);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, (FrameHeader{0xFFFF0001u, -1, 0x01020304, 0x00100000}));
}

TEST(LinkFrame, PayloadLengthOutsideZeroToSixteenMebibytesIsRefused) {
    struct Case {
        std::int32_t dataLen;
        bool valid;
    };
    const Case cases[] = {{0, true},   {1, true},          {MaxFramePayload, true}, {MaxFramePayload + 1, false},
                          {-1, false}, {INT32_MIN, false}, {INT32_MAX, false},      {592, true}};
    for (const Case& c : cases) {
        unsigned char header[FrameHeaderSize];
        EncodeFrameHeader({0x7003, 0, 0, c.dataLen}, header);
        EXPECT_EQ(DecodeFrameHeader(header, sizeof header).has_value(), c.valid) << c.dataLen;
    }
    unsigned char shortHeader[FrameHeaderSize - 1] = {};
    EXPECT_FALSE(DecodeFrameHeader(shortHeader, sizeof shortHeader));
    EXPECT_FALSE(DecodeFrameHeader(nullptr, FrameHeaderSize));
    EXPECT_FALSE(EncodeFrame(1, 0, 0, nullptr, 5));
    EXPECT_FALSE(EncodeFrame(1, 0, 0, "x", static_cast<std::size_t>(MaxFramePayload) + 1));
}

TEST(LinkFrame, ReaderRebuildsFramesFromAnySplitOfTheStream) {
    std::vector<unsigned char> stream;
    std::vector<std::vector<unsigned char>> payloads = {{}, {1}, std::vector<unsigned char>(592, 0xAB), {9, 8, 7}};
    for (std::size_t i = 0; i < payloads.size(); ++i) {
        auto frame = EncodeFrame(0x7003 + static_cast<std::uint32_t>(i), static_cast<std::int32_t>(i),
                                 40 + static_cast<std::int32_t>(i), payloads[i].data(), payloads[i].size());
        ASSERT_TRUE(frame);
        stream.insert(stream.end(), frame->begin(), frame->end());
    }
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{16}, std::size_t{17}, stream.size()}) {
        FrameReader reader;
        std::vector<Frame> frames;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            reader.Feed(stream.data() + at, std::min(piece, stream.size() - at));
            while (std::optional<Frame> frame = reader.Next()) frames.push_back(std::move(*frame));
        }
        ASSERT_EQ(frames.size(), payloads.size()) << "pieces of " << piece;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i].header.msgType, 0x7003 + i);
            EXPECT_EQ(frames[i].header.value, static_cast<std::int32_t>(i));
            EXPECT_EQ(frames[i].header.requestId, 40 + static_cast<std::int32_t>(i));
            EXPECT_EQ(frames[i].payload, payloads[i]);
        }
        EXPECT_EQ(reader.Pending(), 0u);
        EXPECT_FALSE(reader.Broken());
    }
}

TEST(LinkFrame, ReaderBreaksForGoodOnAnImpossibleLength) {
    FrameReader reader;
    auto good = EncodeFrame(0x1005, 0, 0, nullptr, 0);
    reader.Feed(good->data(), good->size());
    unsigned char bad[FrameHeaderSize];
    EncodeFrameHeader({0x7003, 0, 0, MaxFramePayload + 1}, bad);
    reader.Feed(bad, sizeof bad);
    reader.Feed(good->data(), good->size());
    EXPECT_TRUE(reader.Next());
    EXPECT_FALSE(reader.Next());
    EXPECT_TRUE(reader.Broken());
    reader.Feed(good->data(), good->size());
    EXPECT_FALSE(reader.Next());
}

TEST(LinkFrame, HelloCarriesNameAccessCodeAndBothWindows) {
    const HelloPayload hellos[] = {
        {"Quillon", "731", 0x00010ABCu, 0xFFFFFFFFu},
        {"QuillonPopup", "731", 0, 0},
        {"", "", 1, 2},
        {"\xC6\xDA\xC8\xA8", "0", 3, 4},  // code page 936 bytes pass unchanged
    };
    for (const HelloPayload& hello : hellos) {
        std::vector<unsigned char> payload = EncodeHello(hello);
        EXPECT_EQ(payload.size(), hello.name.size() + hello.accessCode.size() + 10);
        std::optional<HelloPayload> back = DecodeHello(payload.data(), payload.size());
        ASSERT_TRUE(back) << hello.name;
        EXPECT_EQ(*back, hello);
    }
    EXPECT_EQ(EncodeHello({"Quillon", "731", 0x11223344u, 0x55667788u}),
              Bytes({'Q', 'u', 'i',  'l',  'l',  'o',  'n',  0,    '7',  '3',
                     '1', 0,   0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55}));
    // A NUL inside a text would shift every later field: the text is cut there.
    std::vector<unsigned char> cut = EncodeHello({std::string("ab\0cd", 5), "7", 1, 2});
    EXPECT_EQ(DecodeHello(cut.data(), cut.size())->name, "ab");
}

TEST(LinkFrame, MalformedHelloIsRefused) {
    std::vector<unsigned char> good = EncodeHello({"Quillon", "731", 1, 2});
    EXPECT_FALSE(DecodeHello(good.data(), good.size() - 1));
    std::vector<unsigned char> longer = good;
    longer.push_back(0);
    EXPECT_FALSE(DecodeHello(longer.data(), longer.size()));
    std::vector<unsigned char> noNul = Bytes({'Q', 'u', 'i'});
    EXPECT_FALSE(DecodeHello(noNul.data(), noNul.size()));
    std::vector<unsigned char> oneNul = Bytes({'Q', 0, '7', '3', '1', 1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_FALSE(DecodeHello(oneNul.data(), oneNul.size()));
    EXPECT_FALSE(DecodeHello(nullptr, 0));
}

TEST(LinkFrame, WindowPlacementIsExactlySixteenBytes) {
    const WindowPlacement placement{-20, 30, 800, 600};
    std::vector<unsigned char> payload = EncodeWindowPlacement(placement);
    ASSERT_EQ(payload.size(), WindowPlacementSize);
    EXPECT_EQ(DecodeWindowPlacement(payload.data(), payload.size()), placement);
    EXPECT_FALSE(DecodeWindowPlacement(payload.data(), 15));
    payload.push_back(0);
    EXPECT_FALSE(DecodeWindowPlacement(payload.data(), payload.size()));
    EXPECT_FALSE(DecodeWindowPlacement(nullptr, WindowPlacementSize));
}

TEST(LinkFrame, HostAddressFromTheEnvironment) {
    struct Case {
        std::optional<std::string_view> text;
        std::optional<LinkAddress> expected;
    };
    const Case cases[] = {
        {std::nullopt, LinkAddress{"127.0.0.1", 17310}},
        {"", LinkAddress{"127.0.0.1", 17310}},
        {"127.0.0.1:17311", LinkAddress{"127.0.0.1", 17311}},
        {"localhost:1", LinkAddress{"localhost", 1}},
        {"::1:65535", LinkAddress{"::1", 65535}},
        {"[::1]:17310", LinkAddress{"::1", 17310}},
        {"127.0.0.1", std::nullopt},
        {"127.0.0.1:", std::nullopt},
        {":17310", std::nullopt},
        {"127.0.0.1:0", std::nullopt},
        {"127.0.0.1:65536", std::nullopt},
        {"127.0.0.1:-5", std::nullopt},
        {"127.0.0.1:17310x", std::nullopt},
        {"127.0.0.1:99999999999999999999", std::nullopt},
        {"bad host:80", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseLinkAddress(c.text), c.expected) << (c.text ? *c.text : "(unset)");
    }
}

TEST(LinkFrame, ConnectTimeoutFromTheEnvironment) {
    struct Case {
        std::optional<std::string_view> text;
        int expected;
    };
    const Case cases[] = {
        {std::nullopt, 5000},   {"", 5000},
        {"300", 300},           {"0", 0},
        {"-1", 5000},           {"12abc", 5000},
        {"abc", 5000},          {"86400000", 86400000},
        {"86400001", 86400000}, {"99999999999999999999", 86400000},
        {" 300", 5000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseConnectTimeout(c.text), c.expected) << (c.text ? *c.text : "(unset)");
    }
}

TEST(LinkFrame, ArbitraryBytesNeverReadPastTheirEnd) {
    // Hello and placement payloads of every short length, and a reader fed noise: each
    // either decodes or refuses, within the bytes it was given.
    std::uint32_t seed = 777;
    auto nextByte = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<unsigned char>(seed >> 16);
    };
    for (std::size_t length = 0; length <= 64; ++length) {
        for (int round = 0; round < 50; ++round) {
            std::vector<unsigned char> bytes(length);
            for (unsigned char& byte : bytes) byte = nextByte() % 3 == 0 ? 0 : nextByte();
            if (auto hello = DecodeHello(bytes.data(), bytes.size())) {
                EXPECT_EQ(hello->name.size() + hello->accessCode.size() + 10, length);
            }
            EXPECT_EQ(DecodeWindowPlacement(bytes.data(), bytes.size()).has_value(), length == WindowPlacementSize);
            EXPECT_EQ(DecodeFrameHeader(bytes.data(), bytes.size()).has_value(),
                      length >= FrameHeaderSize &&
                          IsValidPayloadLength(static_cast<std::int32_t>(bytes[12] | bytes[13] << 8 | bytes[14] << 16 |
                                                                         static_cast<std::uint32_t>(bytes[15]) << 24)));
        }
    }
    FrameReader reader;
    std::size_t delivered = 0;
    for (int round = 0; round < 2000 && !reader.Broken(); ++round) {
        // Small lengths keep most headers valid for a while.
        unsigned char piece[24];
        for (unsigned char& byte : piece) byte = nextByte() % 2 ? 0 : nextByte() % 8;
        reader.Feed(piece, sizeof piece);
        while (std::optional<Frame> frame = reader.Next()) {
            EXPECT_EQ(frame->payload.size(), static_cast<std::size_t>(frame->header.dataLen));
            ++delivered;
        }
    }
    EXPECT_GT(delivered, 0u);
}
