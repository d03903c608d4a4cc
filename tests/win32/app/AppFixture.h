#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "app/QuillonApp.h"
#include "host/WireText.h"

namespace quillon::test {

struct TestInstrument {
    std::string code;
    std::string exchange;
    char productClass;
    double tick;
};

std::vector<unsigned char> InstrumentBytes(const TestInstrument& instrument);
std::vector<unsigned char> QuoteBytes(const std::string& code, std::size_t size = 592);

// CFFEX: IF2301 and four IO2301 options on two strikes; CZCE: SR301 and one option.
std::vector<TestInstrument> SampleMarket();

// One application per test, started against the fake host library with its own INI
// and grid.xml in a scratch folder; the process-wide tables start empty each time.
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the INI (nothing when `ini` is empty: no INI file) and runs InitInstance.
    void Start(const std::string& ini, std::optional<std::string> argument = std::string("4660"));
    // The host sends one message through the real callback; the queue is then run.
    void Deliver(int type, int value = 0, const void* data = nullptr, int length = 0);
    void Deliver(int type, const std::vector<unsigned char>& payload, int value = 0) {
        Deliver(type, value, payload.data(), static_cast<int>(payload.size()));
    }
    // Runs every queued message of this thread, as the application's loop would.
    void Pump();
    // Answers the program's load requests from `market` until it asks nothing more of
    // them: log-in, exchanges, codes per exchange, instruments one by one.
    void LoadMarket(const std::vector<TestInstrument>& market);
    // Ends the application as the process would: frame gone, ExitInstance.
    int Finish();

    std::vector<SentRequest>& Sent() { return FakeInstance().requests; }
    std::vector<int> SentTypes() const;
    app::CMainFrame& Frame() { return *application->Frame(); }

    std::string folder;
    std::string gridXmlPath;
    std::unique_ptr<app::CQuillonApp> application;
    bool quitSeen = false;
};

}  // namespace quillon::test
