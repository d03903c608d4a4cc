#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/LinkFrame.h"
#include "hostsim/HostCommand.h"
#include "hostsim/Market.h"
#include "hostsim/QuoteEngine.h"
#include "platform/TcpSocket.h"

namespace quillon::hostsim {

struct HostServerOptions {
    host::LinkAddress address{host::DefaultLinkHost, host::DefaultLinkPort};
    std::uint64_t seed = 1;
    double rate = 2.0;  // quote rounds per second
    bool flood = false;
    // Quotes per second, spread evenly over the subscriptions (0: rounds or flood decide).
    double quoteRate = 0;
    // Pushed quotes carry the raw monotonic clock in microseconds in their request id.
    bool stamp = false;
    char optionClass = '2';
    bool logFrames = false;
    bool loginOk = true;
    // A connection that has not said hello by then is closed, so a stray client cannot
    // keep the one plugin slot.
    int helloTimeoutMs = 10000;
};

struct HostServerStats {
    std::uint64_t connections = 0;
    bool connected = false;
    bool loaded = false;
    bool paused = false;
    std::uint64_t framesIn = 0;
    std::uint64_t framesOut = 0;
    std::uint64_t bytesIn = 0;
    std::uint64_t bytesOut = 0;
    std::uint64_t quotesOut = 0;
    // Paced quotes that were due while the link was full and so never sent.
    std::uint64_t quotesMissed = 0;
    std::uint64_t rounds = 0;
    std::size_t subscribed = 0;
};

// Command lines from another thread (standard input, a test), taken by the server's loop.
// Shared, so a reader thread blocked on its input may outlive the server.
class CommandInbox {
public:
    void Post(std::string line);
    std::deque<std::string> TakeAll();

private:
    std::mutex mutex_;
    std::deque<std::string> lines_;
};

// The host's side of the link: listens, serves one plugin connection at a time, answers
// its requests from the market, pushes quotes for its subscriptions, and runs commands.
// Everything happens on the thread that calls Run; Post, Stop and Stats may be called
// from any thread.
class HostServer {
public:
    using Output = std::function<void(const std::string&)>;

    HostServer(Market market, HostServerOptions options, Output output);
    ~HostServer();
    HostServer(const HostServer&) = delete;
    HostServer& operator=(const HostServer&) = delete;

    // Binds the listening socket and reports where. False, with the reason, if it cannot.
    bool Listen(std::string& error);
    std::uint16_t Port() const { return port_; }

    // Lines run in order, after one another's sleeps and waits, alongside posted commands.
    void AddScript(std::vector<std::string> lines);
    std::shared_ptr<CommandInbox> Inbox() const { return inbox_; }
    void Post(std::string line) { inbox_->Post(std::move(line)); }

    // Serves until `quit` or Stop.
    void Run();
    void Stop() { stopRequested_ = true; }

    HostServerStats Stats() const;
    const Market& GetMarket() const { return market_; }

private:
    using Clock = std::chrono::steady_clock;

    struct CommandSource {
        std::deque<std::string> lines;
        Clock::time_point resumeAt{};
        std::optional<WaitTarget> waiting;
    };

    struct Connection {
        platform::TcpSocket socket;
        host::FrameReader reader;
        std::vector<unsigned char> outgoing;
        std::size_t outgoingSent = 0;
        bool greeted = false;
        std::set<std::size_t> subscribed;
        std::vector<std::size_t> subscribedOrder;
        std::vector<bool> requested;
        std::size_t requestedCount = 0;
        std::size_t progressTenths = 1;  // the next tenth of the load to report
        bool loaded = false;
        Clock::time_point connectedAt;
        Clock::time_point helloAt;
        bool askedAfterLoad = false;
        Clock::time_point firstInstrumentAt;
        std::size_t floodCursor = 0;
    };

    void Say(const std::string& line) const;
    void AcceptWaitingPlugin();
    void ReadFromPlugin();
    void FlushToPlugin();
    void EndConnection(const std::string& reason);
    bool HandleFrame(const host::Frame& frame, std::string& fault);
    void HandleInstrumentRequest(const host::Frame& frame);
    void HandleSubscription(const host::Frame& frame);
    void SendFrame(std::uint32_t msgType, std::int32_t value, std::int32_t requestId, const unsigned char* payload,
                   std::size_t length);
    void SendQuote(std::size_t index, std::uint32_t msgType, std::int32_t requestId);
    std::size_t PendingBytes() const;
    void MarketRound();
    void FloodFill();
    void PacedFill(Clock::time_point now);
    void PushNextQuote();
    void NoteRequestAfterLoad(const char* name);
    void RunCommands(Clock::time_point now);
    void RunSource(CommandSource& source, Clock::time_point now);
    bool WaitIsOver(WaitTarget target) const;
    void Execute(const HostCommand& command, CommandSource& source, Clock::time_point now);
    void ReportStats();
    void PublishStats();
    std::vector<unsigned char> InstrumentRecord(std::size_t index) const;
    char FutureClass() const;
    bool Paced() const { return !options_.flood && options_.quoteRate > 0; }

    Market market_;
    HostServerOptions options_;
    Output output_;
    QuoteEngine engine_;
    platform::SocketLibrary sockets_;
    platform::TcpSocket listener_;
    std::uint16_t port_ = 0;
    std::unique_ptr<Connection> connection_;

    std::shared_ptr<CommandInbox> inbox_ = std::make_shared<CommandInbox>();
    CommandSource script_;
    CommandSource interactive_;
    std::atomic<bool> stopRequested_{false};
    bool quitting_ = false;
    bool paused_ = false;
    Clock::time_point nextRound_;
    // Paced quotes: how many have gone since pacedSince_.
    Clock::time_point pacedSince_;
    std::uint64_t pacedSent_ = 0;

    std::vector<std::string> contractList_;
    std::string selection_;

    HostServerStats totals_;
    std::uint64_t quotesAtLastReport_ = 0;
    std::uint64_t missedAtLastReport_ = 0;
    Clock::time_point lastReport_;
    mutable std::mutex statsMutex_;
    HostServerStats published_;
};

}  // namespace quillon::hostsim
