#include "hostsim/HostServer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "host/HostMessages.h"
#include "host/WireRecords.h"
#include "host/WireText.h"
#include "hostsim/FrameLog.h"
#include "hostsim/StampClock.h"

namespace quillon::hostsim {
namespace {

using namespace quillon::host;

// The loop wakes at least this often to take posted commands.
constexpr int LongestWaitMs = 10;
// In flood mode quotes are queued until this much waits for the socket.
constexpr std::size_t FloodQueueBytes = 256 * 1024;
// Paced quotes wake the loop this often, so a given rate goes out in small even bursts.
constexpr int PacedWaitMs = 1;
// A plugin that stops reading does not make the simulator hoard quotes: rounds are
// skipped (their changes go out later, coalesced) while this much is queued.
constexpr std::size_t RealTimeQueueLimit = 4 * 1024 * 1024;
// A plugin that asks and asks but never reads its answers is cut off here rather than
// let the simulator's memory grow without end.
constexpr std::size_t UnreadLimit = 64 * 1024 * 1024;
constexpr std::size_t ReceiveChunk = 64 * 1024;
// Loads of at least this many instruments report progress every tenth.
constexpr std::size_t ProgressThreshold = 2000;

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", seconds);
    return text;
}

}  // namespace

void CommandInbox::Post(std::string line) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(std::move(line));
}

std::deque<std::string> CommandInbox::TakeAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(lines_, {});
}

HostServer::HostServer(Market market, HostServerOptions options, Output output)
    : market_(std::move(market)),
      options_(std::move(options)),
      output_(std::move(output)),
      engine_(market_, options_.seed, 1.0 / options_.rate) {
    // The default contract list is the first future with its options: one full board.
    std::optional<std::size_t> firstFuture;
    for (std::size_t i = 0; i < market_.Size() && !firstFuture; ++i) {
        if (!market_.At(i).isOption) firstFuture = i;
    }
    if (firstFuture) {
        selection_ = market_.At(*firstFuture).code;
        contractList_.push_back(selection_);
        for (const Instrument& instrument : market_.Instruments()) {
            if (instrument.isOption && instrument.underlying == static_cast<int>(*firstFuture)) {
                contractList_.push_back(instrument.code);
            }
        }
    } else if (market_.Size() > 0) {
        selection_ = market_.At(0).code;
        contractList_.push_back(selection_);
    }
}

HostServer::~HostServer() = default;

void HostServer::Say(const std::string& line) const {
    if (output_) output_(line);
}

bool HostServer::Listen(std::string& error) {
    if (!sockets_.Ready()) {
        error = "sockets are not available";
        return false;
    }
    auto listener = platform::TcpSocket::Listen(options_.address.host, options_.address.port, error);
    // Non-blocking: a connection that goes away between the poll and the accept must not
    // stop the loop.
    if (!listener || !listener->SetNonBlocking(true)) return false;
    listener_ = std::move(*listener);
    port_ = listener_.LocalPort();
    Say("hostsim listening on " + options_.address.host + ":" + std::to_string(port_) + " (" +
        std::to_string(market_.Size()) + " instruments on " + std::to_string(market_.Exchanges().size()) +
        " exchanges)");
    // Each line a person reads has a twin of key=value fields for the scripts.
    Say("ready host=" + options_.address.host + " port=" + std::to_string(port_) +
        " instruments=" + std::to_string(market_.Size()) + " exchanges=" + std::to_string(market_.Exchanges().size()));
    return true;
}

void HostServer::AddScript(std::vector<std::string> lines) {
    for (std::string& line : lines) script_.lines.push_back(std::move(line));
}

HostServerStats HostServer::Stats() const {
    std::lock_guard<std::mutex> lock(statsMutex_);
    return published_;
}

void HostServer::PublishStats() {
    totals_.connected = connection_ != nullptr;
    totals_.loaded = connection_ && connection_->loaded;
    totals_.paused = paused_;
    totals_.subscribed = connection_ ? connection_->subscribed.size() : 0;
    totals_.rounds = engine_.Round();
    std::lock_guard<std::mutex> lock(statsMutex_);
    published_ = totals_;
}

void HostServer::Run() {
    lastReport_ = Clock::now();
    nextRound_ = Clock::now();
    pacedSince_ = Clock::now();
    while (!stopRequested_ && !quitting_) {
        Clock::time_point now = Clock::now();
        RunCommands(now);
        if (quitting_) break;
        // A flood keeps the queue topped up, so the poll below waits for room on the
        // link rather than for the clock.
        if (!paused_ && options_.flood) FloodFill();
        if (!paused_ && Paced()) PacedFill(now);

        // How long the loop may sleep: until the next round, a script's wake-up, or the
        // inbox check.
        auto untilMs = [&](Clock::time_point when) {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when - now).count();
            return static_cast<int>(std::clamp<long long>(ms, 0, LongestWaitMs));
        };
        int timeoutMs = LongestWaitMs;
        if (!paused_ && Paced()) timeoutMs = PacedWaitMs;
        if (!paused_ && !options_.flood && !Paced()) timeoutMs = std::min(timeoutMs, untilMs(nextRound_));
        if (!script_.lines.empty() && !script_.waiting) timeoutMs = std::min(timeoutMs, untilMs(script_.resumeAt));

        std::vector<platform::PollRequest> polls;
        if (connection_) {
            polls.push_back({&connection_->socket, true, PendingBytes() > 0});
        } else if (listener_.IsOpen()) {
            polls.push_back({&listener_, true, false});
        }
        platform::PollSockets(polls, timeoutMs);

        if (!connection_) {
            if (!polls.empty() && polls[0].readable) AcceptWaitingPlugin();
        } else if (polls[0].readable || polls[0].failed) {
            ReadFromPlugin();
        }

        now = Clock::now();
        if (connection_ && !connection_->greeted &&
            now - connection_->connectedAt > std::chrono::milliseconds(options_.helloTimeoutMs)) {
            EndConnection("no hello within " + std::to_string(options_.helloTimeoutMs) + " ms");
        }
        if (!paused_ && !options_.flood && !Paced() && now >= nextRound_) {
            MarketRound();
            const auto period =
                std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / options_.rate));
            nextRound_ += period;
            // After a stall the clock catches up in one step, not in a burst of rounds.
            if (nextRound_ < now - std::chrono::seconds(1)) nextRound_ = now + period;
        }
        if (connection_ && PendingBytes() > 0) FlushToPlugin();
        PublishStats();
    }
    if (connection_) EndConnection("the simulator stops");
    PublishStats();
}

void HostServer::AcceptWaitingPlugin() {
    auto socket = listener_.Accept();
    if (!socket || !socket->SetNonBlocking(true)) return;
    connection_ = std::make_unique<Connection>();
    connection_->socket = std::move(*socket);
    connection_->requested.assign(market_.Size(), false);
    connection_->progressTenths = 1;
    connection_->connectedAt = Clock::now();
    ++totals_.connections;
    Say("plugin connected");
}

void HostServer::EndConnection(const std::string& reason) {
    if (!connection_) return;
    FlushToPlugin();
    Say("plugin connection ended: " + reason);
    connection_.reset();
}

std::size_t HostServer::PendingBytes() const {
    return connection_ ? connection_->outgoing.size() - connection_->outgoingSent : 0;
}

void HostServer::ReadFromPlugin() {
    std::array<unsigned char, ReceiveChunk> buffer;
    // Bounded per pass, so a plugin that sends without pause cannot starve the clock.
    for (int pass = 0; pass < 64 && connection_; ++pass) {
        const platform::TcpSocket::IoResult result = connection_->socket.Receive(buffer.data(), buffer.size());
        if (result.status == platform::TcpSocket::Io::WouldBlock) break;
        if (result.status == platform::TcpSocket::Io::Closed) {
            EndConnection("the plugin closed the link");
            return;
        }
        totals_.bytesIn += result.bytes;
        connection_->reader.Feed(buffer.data(), result.bytes);
        while (connection_) {
            std::optional<Frame> frame = connection_->reader.Next();
            if (!frame) break;
            ++totals_.framesIn;
            if (options_.logFrames) {
                Say(DescribeFrame(FrameDirection::FromPlugin, frame->header, frame->payload.data()));
            }
            std::string fault;
            if (PendingBytes() > UnreadLimit) {
                EndConnection("the plugin does not read what the host sends");
                return;
            }
            if (!HandleFrame(*frame, fault)) {
                Say("bad frame from the plugin: " +
                    DescribeFrame(FrameDirection::FromPlugin, frame->header, frame->payload.data()) + ": " + fault);
                EndConnection(fault);
                return;
            }
        }
        if (connection_ && connection_->reader.Broken()) {
            EndConnection("a frame header with an impossible length");
            return;
        }
    }
}

void HostServer::FlushToPlugin() {
    Connection& link = *connection_;
    while (link.outgoingSent < link.outgoing.size()) {
        const platform::TcpSocket::IoResult result =
            link.socket.Send(link.outgoing.data() + link.outgoingSent, link.outgoing.size() - link.outgoingSent);
        if (result.status == platform::TcpSocket::Io::WouldBlock) break;
        if (result.status == platform::TcpSocket::Io::Closed) {
            // Nothing more can be sent; the read side notices the end and says so.
            link.outgoing.clear();
            link.outgoingSent = 0;
            return;
        }
        link.outgoingSent += result.bytes;
    }
    if (link.outgoingSent == link.outgoing.size()) {
        link.outgoing.clear();
        link.outgoingSent = 0;
    } else if (link.outgoingSent > link.outgoing.size() / 2) {
        link.outgoing.erase(link.outgoing.begin(),
                            link.outgoing.begin() + static_cast<std::ptrdiff_t>(link.outgoingSent));
        link.outgoingSent = 0;
    }
}

void HostServer::SendFrame(std::uint32_t msgType, std::int32_t value, std::int32_t requestId,
                           const unsigned char* payload, std::size_t length) {
    if (!connection_) return;
    auto frame = EncodeFrame(msgType, value, requestId, payload, length);
    if (!frame) return;
    ++totals_.framesOut;
    totals_.bytesOut += frame->size();
    if (options_.logFrames) {
        const FrameHeader header{msgType, value, requestId, static_cast<std::int32_t>(length)};
        Say(DescribeFrame(FrameDirection::ToPlugin, header, payload));
    }
    connection_->outgoing.insert(connection_->outgoing.end(), frame->begin(), frame->end());
}

void HostServer::SendQuote(std::size_t index, std::uint32_t msgType, std::int32_t requestId) {
    std::array<unsigned char, quote_record::Size> record;
    engine_.WriteQuoteRecord(index, record.data());
    if (options_.stamp && msgType == HOSTMSG_QUOTE_PUSH) requestId = QuoteStamp(MonotonicRawMicroseconds());
    SendFrame(msgType, 0, requestId, record.data(), record.size());
    ++totals_.quotesOut;
}

char HostServer::FutureClass() const {
    return options_.optionClass == '1' ? '0' : '1';
}

std::vector<unsigned char> HostServer::InstrumentRecord(std::size_t index) const {
    const Instrument& instrument = market_.At(index);
    std::vector<unsigned char> record(instrument_record::Size, 0);
    WriteText(record.data(), instrument_record::CodeOffset, instrument_record::CodeWidth, instrument.code);
    WriteText(record.data(), instrument_record::ExchangeOffset, ExchangeSlotSize, instrument.exchange);
    record[instrument_record::ProductClassOffset] =
        static_cast<unsigned char>(instrument.isOption ? options_.optionClass : FutureClass());
    WriteDouble(record.data(), instrument_record::PriceTickOffset, instrument.tick);
    return record;
}

bool HostServer::HandleFrame(const Frame& frame, std::string& fault) {
    Connection& link = *connection_;
    const FrameHeader& header = frame.header;
    const std::size_t length = frame.payload.size();
    const unsigned char* payload = frame.payload.data();
    auto expectLength = [&](std::size_t expected) {
        if (length == expected) return true;
        fault = "payload of " + std::to_string(length) + " bytes where " + std::to_string(expected) + " belong";
        return false;
    };

    if (!link.greeted) {
        if (header.msgType != LinkHelloType) {
            fault = "the first frame is not a hello";
            return false;
        }
        const auto hello = DecodeHello(payload, length);
        if (!hello) {
            fault = "unreadable hello";
            return false;
        }
        link.greeted = true;
        link.helloAt = Clock::now();
        Say("plugin hello: " + hello->name + " (mode " + std::to_string(header.value) + "); log-in " +
            (options_.loginOk ? "accepted" : "refused"));
        SendFrame(HOSTMSG_LOGIN_RESULT, options_.loginOk ? 0 : -1, 0, nullptr, 0);
        return true;
    }

    switch (header.msgType) {
        case HOSTMSG_REQ_HOST_TEXT: {
            if (!expectLength(0)) return false;
            const std::string text = "hostsim 模拟行情主机: " + std::to_string(market_.Size()) + " instruments";
            SendFrame(HOSTMSG_HOST_TEXT, 0, header.requestId, reinterpret_cast<const unsigned char*>(text.data()),
                      text.size());
            return true;
        }
        case HOSTMSG_REQ_EXCHANGES: {
            if (!expectLength(0)) return false;
            const std::vector<unsigned char> slots = EncodeTextSlots(market_.Exchanges(), ExchangeSlotSize);
            SendFrame(HOSTMSG_EXCHANGES, 0, header.requestId, slots.data(), slots.size());
            return true;
        }
        case HOSTMSG_REQ_EXCHANGE_CODES: {
            if (!expectLength(ExchangeSlotSize)) return false;
            const std::string exchange = ReadTextSlot(reinterpret_cast<const char*>(payload), ExchangeSlotSize);
            const std::vector<unsigned char> slots = EncodeTextSlots(market_.CodesOf(exchange), CodeSlotSize);
            SendFrame(HOSTMSG_EXCHANGE_CODES, 0, header.requestId, slots.data(), slots.size());
            return true;
        }
        case HOSTMSG_REQ_INSTRUMENT:
            if (!expectLength(CodeSlotSize)) return false;
            HandleInstrumentRequest(frame);
            return true;
        case HOSTMSG_REQ_CONTRACT_LIST: {
            if (!expectLength(0)) return false;
            NoteRequestAfterLoad("REQ_CONTRACT_LIST");
            // This reply's slots are 32 bytes, the pushed list's 64.
            const std::vector<unsigned char> slots = EncodeTextSlots(contractList_, ExchangeSlotSize);
            SendFrame(HOSTMSG_CONTRACT_LIST, 0, header.requestId, slots.data(), slots.size());
            return true;
        }
        case HOSTMSG_REQ_SELECTED: {
            if (!expectLength(0)) return false;
            NoteRequestAfterLoad("REQ_SELECTED");
            const std::vector<unsigned char> slot = EncodeTextSlots({selection_}, CodeSlotSize);
            SendFrame(HOSTMSG_SELECTED, 0, header.requestId, slot.data(), slot.size());
            return true;
        }
        case HOSTMSG_QUOTE_SUBSCRIBE:
        case HOSTMSG_QUOTE_UNSUBSCRIBE:
        case HOSTMSG_QUOTE_REQUEST:
            if (!expectLength(CodeSlotSize)) return false;
            HandleSubscription(frame);
            return true;
        case HOSTMSG_ACTIVATE_HOST:
            if (!expectLength(0)) return false;
            Say("plugin asks the host to come to the front (ACTIVATE_HOST)");
            return true;
        case LinkHelloType:
            fault = "a second hello";
            return false;
        default:
            fault = "a message type the host does not take";
            return false;
    }
}

void HostServer::HandleInstrumentRequest(const Frame& frame) {
    Connection& link = *connection_;
    const std::string code = ReadTextSlot(reinterpret_cast<const char*>(frame.payload.data()), CodeSlotSize);
    const auto index = market_.IndexOf(code);
    if (!index) {
        Say("instrument request for unknown code " + code + ": answered with a failure");
        SendFrame(HOSTMSG_INSTRUMENT, -1, frame.header.requestId, nullptr, 0);
        return;
    }
    const std::vector<unsigned char> record = InstrumentRecord(*index);
    SendFrame(HOSTMSG_INSTRUMENT, 0, frame.header.requestId, record.data(), record.size());
    if (link.requested[*index]) return;
    link.requested[*index] = true;
    if (link.requestedCount++ == 0) link.firstInstrumentAt = Clock::now();
    const std::size_t total = market_.Size();
    if (total >= ProgressThreshold && link.progressTenths < 10 &&
        link.requestedCount >= total * link.progressTenths / 10) {
        Say("loading instruments: " + std::to_string(link.requestedCount) + "/" + std::to_string(total) + " (" +
            std::to_string(link.requestedCount * 100 / total) + "%)");
        ++link.progressTenths;
    }
    if (link.requestedCount == total) {
        link.loaded = true;
        const double seconds = std::chrono::duration<double>(Clock::now() - link.firstInstrumentAt).count();
        Say("plugin loaded all " + std::to_string(total) + " instruments in " + Seconds(seconds) + " s");
        Say("loaded instruments=" + std::to_string(total) + " seconds=" + Seconds(seconds));
    }
}

void HostServer::HandleSubscription(const Frame& frame) {
    Connection& link = *connection_;
    const std::string code = ReadTextSlot(reinterpret_cast<const char*>(frame.payload.data()), CodeSlotSize);
    const auto index = market_.IndexOf(code);
    const std::uint32_t type = frame.header.msgType;
    if (type == HOSTMSG_QUOTE_REQUEST) {
        if (!index) {
            SendFrame(HOSTMSG_QUOTE_REPLY, -1, frame.header.requestId, nullptr, 0);
            return;
        }
        engine_.Refresh(*index);
        SendQuote(*index, HOSTMSG_QUOTE_REPLY, frame.header.requestId);
        return;
    }
    if (!index) {
        Say("quote subscription change for unknown code " + code + ": ignored");
        return;
    }
    if (type == HOSTMSG_QUOTE_SUBSCRIBE) {
        if (link.subscribed.insert(*index).second) {
            link.subscribedOrder.assign(link.subscribed.begin(), link.subscribed.end());
        }
        // The snapshot at subscription.
        engine_.Refresh(*index);
        SendQuote(*index, HOSTMSG_QUOTE_PUSH, 0);
        engine_.ClearChanged(*index);
    } else if (link.subscribed.erase(*index) != 0) {
        link.subscribedOrder.assign(link.subscribed.begin(), link.subscribed.end());
        link.floodCursor = std::min(link.floodCursor, link.subscribedOrder.size());
    }
}

void HostServer::MarketRound() {
    static const std::vector<std::size_t> none;
    const bool serving = connection_ && connection_->greeted;
    const std::vector<std::size_t>& active = serving ? connection_->subscribedOrder : none;
    engine_.AdvanceRound(active);
    if (!serving || PendingBytes() > RealTimeQueueLimit) return;
    for (std::size_t index : active) {
        if (!engine_.State(index).changed) continue;
        SendQuote(index, HOSTMSG_QUOTE_PUSH, 0);
        engine_.ClearChanged(index);
    }
}

void HostServer::PushNextQuote() {
    Connection& link = *connection_;
    if (link.floodCursor >= link.subscribedOrder.size()) {
        engine_.AdvanceRound(link.subscribedOrder);
        link.floodCursor = 0;
    }
    const std::size_t index = link.subscribedOrder[link.floodCursor++];
    SendQuote(index, HOSTMSG_QUOTE_PUSH, 0);
    engine_.ClearChanged(index);
}

void HostServer::FloodFill() {
    if (!connection_ || !connection_->greeted || connection_->subscribedOrder.empty()) return;
    while (PendingBytes() < FloodQueueBytes) PushNextQuote();
}

void HostServer::PacedFill(Clock::time_point now) {
    if (!connection_ || !connection_->greeted || connection_->subscribedOrder.empty()) {
        pacedSince_ = now;
        pacedSent_ = 0;
        return;
    }
    const double elapsed = std::chrono::duration<double>(now - pacedSince_).count();
    const auto due = static_cast<std::uint64_t>(elapsed * options_.quoteRate);
    while (pacedSent_ < due) {
        if (PendingBytes() >= FloodQueueBytes) {
            // The link takes less than the rate: what is due now is dropped rather than
            // stored up, so the rate sent shows the shortfall and no burst follows.
            totals_.quotesMissed += due - pacedSent_;
            pacedSince_ = now;
            pacedSent_ = 0;
            return;
        }
        PushNextQuote();
        ++pacedSent_;
    }
    // Counted from a recent start, so the sums stay exact however long the run.
    if (elapsed > 10.0) {
        pacedSince_ += std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(static_cast<double>(pacedSent_) / options_.quoteRate));
        pacedSent_ = 0;
    }
}

void HostServer::NoteRequestAfterLoad(const char* name) {
    Connection& link = *connection_;
    if (!link.loaded || link.askedAfterLoad) return;
    link.askedAfterLoad = true;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", std::chrono::duration<double>(Clock::now() - link.helloAt).count());
    Say(std::string("plugin's first request after the load: ") + name + ", " + seconds + " s after its hello");
    Say(std::string("first-request-after-load request=") + name + " seconds=" + seconds);
}

void HostServer::RunCommands(Clock::time_point now) {
    for (std::string& line : inbox_->TakeAll()) interactive_.lines.push_back(std::move(line));
    RunSource(script_, now);
    RunSource(interactive_, now);
}

bool HostServer::WaitIsOver(WaitTarget target) const {
    switch (target) {
        case WaitTarget::Plugin:
            return connection_ && connection_->greeted;
        case WaitTarget::Loaded:
            return connection_ && connection_->loaded;
        case WaitTarget::Closed:
            return !connection_;
    }
    return true;
}

void HostServer::RunSource(CommandSource& source, Clock::time_point now) {
    while (!source.lines.empty() && !quitting_) {
        if (source.waiting) {
            if (!WaitIsOver(*source.waiting)) return;
            source.waiting.reset();
        }
        if (now < source.resumeAt) return;
        const std::string line = std::move(source.lines.front());
        source.lines.pop_front();
        std::string error;
        const std::optional<HostCommand> command = ParseHostCommand(line, error);
        if (!command) {
            if (!error.empty()) Say(error);
            continue;
        }
        Execute(*command, source, now);
    }
    // A wait at the end of a source still holds nothing back, but its end is reported.
    if (source.waiting && WaitIsOver(*source.waiting)) source.waiting.reset();
}

void HostServer::Execute(const HostCommand& command, CommandSource& source, Clock::time_point now) {
    const bool connected = connection_ && connection_->greeted;
    auto needPlugin = [&](const char* what) {
        if (!connected) Say(std::string(what) + ": no plugin connected");
        return connected;
    };
    switch (command.kind) {
        case CommandKind::Invoke:
            selection_ = command.codes.front();
            if (needPlugin("invoke")) SendFrame(HOSTMSG_INVOKE, 0, 0, nullptr, 0);
            break;
        case CommandKind::List: {
            contractList_ = command.codes;
            if (!needPlugin("list")) break;
            const std::vector<unsigned char> slots = EncodeTextSlots(command.codes, CodeSlotSize);
            SendFrame(HOSTMSG_CONTRACT_LIST_PUSH, 0, 0, slots.data(), slots.size());
            break;
        }
        case CommandKind::Show:
            if (!needPlugin("show")) break;
            if (command.placement) {
                const std::vector<unsigned char> placement = EncodeWindowPlacement(*command.placement);
                SendFrame(LinkShowWindowType, 0, 0, placement.data(), placement.size());
            } else {
                SendFrame(LinkShowWindowType, 0, 0, nullptr, 0);
            }
            break;
        case CommandKind::Hide:
            if (needPlugin("hide")) SendFrame(LinkHideWindowType, 0, 0, nullptr, 0);
            break;
        case CommandKind::Close:
            if (needPlugin("close")) SendFrame(HOSTMSG_HOST_CLOSING, 0, 0, nullptr, 0);
            break;
        case CommandKind::Login:
            options_.loginOk = command.loginOk;
            if (connected) SendFrame(HOSTMSG_LOGIN_RESULT, command.loginOk ? 0 : -1, 0, nullptr, 0);
            break;
        case CommandKind::Rate:
            options_.flood = command.flood;
            options_.quoteRate = command.quoteRate;
            if (command.quoteRate > 0) {
                pacedSince_ = now;
                pacedSent_ = 0;
            } else if (!command.flood) {
                options_.rate = command.rate;
                engine_.SetSecondsPerRound(1.0 / command.rate);
                nextRound_ = now;
            }
            break;
        case CommandKind::Pause:
            paused_ = true;
            break;
        case CommandKind::Resume:
            paused_ = false;
            nextRound_ = now;
            pacedSince_ = now;
            pacedSent_ = 0;
            break;
        case CommandKind::Stats:
            ReportStats();
            break;
        case CommandKind::Quit:
            quitting_ = true;
            break;
        case CommandKind::Sleep:
            source.resumeAt = now + std::chrono::milliseconds(command.sleepMs);
            break;
        case CommandKind::Wait:
            if (!WaitIsOver(command.waitTarget)) source.waiting = command.waitTarget;
            break;
        case CommandKind::Help:
            Say(CommandHelpText());
            break;
    }
}

void HostServer::ReportStats() {
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - lastReport_).count();
    const std::uint64_t quotes = totals_.quotesOut - quotesAtLastReport_;
    const std::uint64_t missed = totals_.quotesMissed - missedAtLastReport_;
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f", seconds > 0 ? quotes / seconds : 0.0);
    Say("stats: " + std::string(connection_ ? "plugin connected" : "no plugin") + ", frames in " +
        std::to_string(totals_.framesIn) + " out " + std::to_string(totals_.framesOut) + ", bytes in " +
        std::to_string(totals_.bytesIn) + " out " + std::to_string(totals_.bytesOut) + ", quotes " +
        std::to_string(totals_.quotesOut) + " (" + rate + "/s over " + Seconds(seconds) + " s)" + ", subscribed " +
        std::to_string(connection_ ? connection_->subscribed.size() : 0) + ", rounds " +
        std::to_string(engine_.Round()) + (paused_ ? ", paused" : "") + (options_.flood ? ", flood" : "") +
        (Paced() ? ", paced at " + Seconds(options_.quoteRate) + "/s, " + std::to_string(missed) + " missed" : ""));
    Say("host-stats connected=" + std::to_string(connection_ ? 1 : 0) +
        " frames_in=" + std::to_string(totals_.framesIn) + " frames_out=" + std::to_string(totals_.framesOut) +
        " bytes_in=" + std::to_string(totals_.bytesIn) + " bytes_out=" + std::to_string(totals_.bytesOut) +
        " quotes=" + std::to_string(totals_.quotesOut) + " rate=" + rate + " seconds=" + Seconds(seconds) +
        " subscribed=" + std::to_string(connection_ ? connection_->subscribed.size() : 0) +
        " rounds=" + std::to_string(engine_.Round()) + " paused=" + std::to_string(paused_ ? 1 : 0) +
        " flood=" + std::to_string(options_.flood ? 1 : 0) + " missed=" + std::to_string(Paced() ? missed : 0));
    lastReport_ = now;
    quotesAtLastReport_ = totals_.quotesOut;
    missedAtLastReport_ = totals_.quotesMissed;
}

}  // namespace quillon::hostsim
