#include "AppFixture.h"

#include <algorithm>
#include <fstream>
#include <map>

#include "app/StartupSettings.h"
#include "board/ColumnSet.h"
#include "framework/WinApp.h"
#include "host/HostCallback.h"
#include "host/HostMessages.h"
#include "host/HostRequests.h"
#include "host/WireRecords.h"
#include "host/WireText.h"
#include "model/MarketData.h"
#include "support/TestPaths.h"

namespace quillon::test {

using namespace quillon::host;

std::vector<unsigned char> InstrumentBytes(const TestInstrument& instrument) {
    std::vector<unsigned char> record(instrument_record::Size, 0);
    WriteText(record.data(), instrument_record::CodeOffset, instrument_record::CodeWidth, instrument.code);
    WriteText(record.data(), instrument_record::ExchangeOffset, 32, instrument.exchange);
    record[instrument_record::ProductClassOffset] = static_cast<unsigned char>(instrument.productClass);
    WriteDouble(record.data(), instrument_record::PriceTickOffset, instrument.tick);
    return record;
}

std::vector<unsigned char> QuoteBytes(const std::string& code, std::size_t size) {
    std::vector<unsigned char> quote(std::max<std::size_t>(size, quote_record::Size), 0);
    WriteText(quote.data(), quote_record::CodeOffset, quote_record::CodeWidth, code);
    WriteDouble(quote.data(), quote_record::LastPrice, 4000.2);
    quote.resize(size);
    return quote;
}

std::vector<TestInstrument> SampleMarket() {
    return {{"IF2301", "CFFEX", '1', 0.2},        {"IO2301-C-3900", "CFFEX", '2', 0.2},
            {"IO2301-P-3900", "CFFEX", '2', 0.2}, {"IO2301-C-4000", "CFFEX", '2', 0.2},
            {"IO2301-P-4000", "CFFEX", '2', 0.2}, {"SR301", "CZCE", '1', 1.0},
            {"SR301C5000", "CZCE", '2', 1.0}};
}

void AppFixture::SetUp() {
    model::SharedMarketData().ClearForTests();
    RequestCounter::Reset();
    SetHostApi(nullptr);
    ResetFakeHost();
    app::HostText().clear();
    board::ClearColumnSet();
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = MakeScratchFolder(std::string("app-") + test->name());
    std::replace(folder.begin(), folder.end(), '/', '\\');
    // A full drive path, as GetModuleFileNameA gives the program.
    char full[MAX_PATH] = {};
    if (GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr) > 0) folder = full;
    gridXmlPath = folder + "\\grid.xml";
}

void AppFixture::TearDown() {
    if (application) Finish();
}

void AppFixture::Start(const std::string& ini, std::optional<std::string> argument) {
    app::StartupSources sources;
    sources.hostWindowArgument = std::move(argument);
    sources.iniPathGiven = true;
    sources.iniPath = folder + "\\Quillon.INI";
    if (!ini.empty()) {
        std::ofstream file(sources.iniPath, std::ios::binary);
        file << ini;
    }
    sources.gridXmlPath = gridXmlPath;
    application = std::make_unique<app::CQuillonApp>(app::HostLibrary{&FakeGetInstance, &FakeDestroyInstance},
                                                     std::move(sources));
    ASSERT_TRUE(application->InitInstance());
    Pump();
}

void AppFixture::Deliver(int type, int value, const void* data, int length) {
    HostCallback(type, value, data, length, 0);
    Pump();
}

void AppFixture::Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitSeen = true;
            continue;
        }
        if (!framework::CWinApp::PreTranslate(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

void AppFixture::LoadMarket(const std::vector<TestInstrument>& market) {
    std::map<std::string, std::vector<std::string>> codesByExchange;
    std::map<std::string, TestInstrument> byCode;
    std::vector<std::string> exchanges;
    for (const TestInstrument& instrument : market) {
        if (!codesByExchange.count(instrument.exchange)) exchanges.push_back(instrument.exchange);
        codesByExchange[instrument.exchange].push_back(instrument.code);
        byCode[instrument.code] = instrument;
    }
    Deliver(HOSTMSG_LOGIN_RESULT, 0);
    Deliver(HOSTMSG_EXCHANGES, EncodeTextSlots(exchanges, 32));
    for (int guard = 0; guard < 1000 && !Sent().empty(); ++guard) {
        const SentRequest last = Sent().back();
        std::size_t before = Sent().size();
        if (last.type == HOSTMSG_REQ_EXCHANGE_CODES) {
            Deliver(HOSTMSG_EXCHANGE_CODES, EncodeTextSlots(codesByExchange[last.Text()], 64));
        } else if (last.type == HOSTMSG_REQ_INSTRUMENT) {
            Deliver(HOSTMSG_INSTRUMENT, InstrumentBytes(byCode.at(last.Text())));
        } else {
            break;
        }
        if (Sent().size() == before) break;  // the load has ended
    }
}

int AppFixture::Finish() {
    if (app::CMainFrame* frame = application->Frame(); frame && frame->GetSafeHwnd()) frame->DestroyWindow();
    Pump();
    int code = application->ExitInstance();
    application.reset();
    return code;
}

std::vector<int> AppFixture::SentTypes() const {
    std::vector<int> types;
    for (const SentRequest& request : FakeInstance().requests) types.push_back(request.type);
    return types;
}

}  // namespace quillon::test
