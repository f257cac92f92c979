#include "net/page_fetcher.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/fault_server.h"

namespace quillora {
namespace {

using test::FaultServer;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class PageFetcherTest : public ::testing::Test {
 protected:
  FaultServer server_;
};

TEST_F(PageFetcherTest, StopsAtTheByteCapOrTheReadCap) {
  const std::string large = FaultServer::LargeBody();
  struct Case {
    const char* path;
    uint32_t buffer_size;
    const char* message;
    int64_t bytes;
  };
  const Case cases[] = {
      {"/large", 16384, "Data truncated", 65536},
      // The block that reaches the cap is kept whole.
      {"/large", 10000, "Data truncated", 70000},
      {"/large", 1000, "Loop aborted", 41000},
      {"/ok", 16384, "Success", 16},
      // The last, partial block counts as a read; the body ends before the read cap.
      {"/ok", 4, "Success", 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " in blocks of " + std::to_string(c.buffer_size));
    TWIGetURL fetcher;
    fetcher.SetUrl(server_.Url(c.path));
    fetcher.buffer_size = c.buffer_size;
    int idles = 0;
    fetcher.on_idle = [&] { ++idles; };
    EXPECT_TRUE(fetcher.Get());
    EXPECT_EQ(fetcher.StatusMessage(), c.message);
    EXPECT_FALSE(fetcher.Error());
    EXPECT_EQ(fetcher.ByteCount(), c.bytes);
    ASSERT_EQ(fetcher.ResponseText().size(), static_cast<size_t>(c.bytes));
    const std::string expected =
        std::string(c.path) == "/ok" ? "Hello, transfer!" : large.substr(0, c.bytes);
    EXPECT_EQ(fetcher.ResponseText(), expected);
    EXPECT_EQ(idles, (c.bytes + c.buffer_size - 1) / c.buffer_size);
  }
}

TEST_F(PageFetcherTest, SendsThePostDataAndTheHeadersAsGiven) {
  TWIGetURL fetcher;
  fetcher.SetUrl(server_.Url("/echo"));
  fetcher.headers = "X-Search: quill pad\r\nContent-Type: application/x-www-form-urlencoded\r\n";
  fetcher.post_data = "q=Quill+Pad&x=1";
  EXPECT_TRUE(fetcher.Post());
  EXPECT_EQ(fetcher.ResponseText(), "posted");
  // A POST that ran dry reports no message.
  EXPECT_EQ(fetcher.StatusMessage(), "");
  EXPECT_EQ(server_.LastBody(), "q=Quill+Pad&x=1");
  EXPECT_EQ(server_.LastContentType(), "application/x-www-form-urlencoded");
  EXPECT_EQ(server_.LastHeader("X-Search"), "quill pad");
  EXPECT_EQ(server_.LastHeader("User-Agent"), "http generic");

  // Without a content type in the headers the request carries none.
  fetcher.headers = "X-Other: 1";
  fetcher.application_name = "Quillora search";
  fetcher.post_data = std::string(3000, 'p');
  EXPECT_TRUE(fetcher.Post());
  EXPECT_EQ(server_.LastBody(), std::string(3000, 'p'));
  EXPECT_FALSE(server_.LastHadHeader("Content-Type"));
  EXPECT_EQ(server_.LastHeader("User-Agent"), "Quillora search");

  // A GET sends the headers too, and its data stays at home.
  fetcher.headers = "X-Search: by get\nPragma: no-cache";
  EXPECT_TRUE(fetcher.Get());
  EXPECT_EQ(fetcher.ResponseText(), "echoed");
  EXPECT_EQ(fetcher.StatusMessage(), "Success");
  EXPECT_EQ(server_.LastHeader("X-Search"), "by get");
  EXPECT_EQ(server_.LastHeader("Pragma"), "no-cache");
}

TEST_F(PageFetcherTest, ReportsTheServersStatusTextForARefusal) {
  struct Case {
    const char* path;
    TOpenUrlOptions options;
    long status;
    const char* message;
  };
  const Case cases[] = {
      {"/status/404", 0, 404, "Not Found"},
      {"/status/500", 0, 500, "Internal Server Error"},
      {"/status/403", 0, 403, "Forbidden"},
      {"/redirect", ouNoAutoRedirect, 302, "Found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    TWIGetURL fetcher;
    fetcher.SetUrl(server_.Url(c.path));
    fetcher.open_url_options = c.options;
    long seen = 0;
    fetcher.on_header_received = [&](long status, const std::string&, bool&) { seen = status; };
    EXPECT_FALSE(fetcher.Get());
    EXPECT_EQ(seen, c.status);
    EXPECT_TRUE(fetcher.Error());
    EXPECT_EQ(fetcher.LastError(), c.status);
    EXPECT_EQ(fetcher.StatusMessage(), c.message);
    EXPECT_EQ(fetcher.ResponseText(), "");
    EXPECT_EQ(fetcher.ByteCount(), 0);
  }

  // Redirects are followed by default, and the caller may turn the body down.
  TWIGetURL fetcher;
  fetcher.SetUrl(server_.Url("/redirect2"));
  std::vector<int> statuses;
  fetcher.on_status = [&](int status, const std::string&) { statuses.push_back(status); };
  EXPECT_TRUE(fetcher.Get());
  EXPECT_EQ(fetcher.ResponseText(), "Hello, transfer!");
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), isRedirect), 2);
  fetcher.on_header_received = [](long, const std::string&, bool& retrieve) { retrieve = false; };
  EXPECT_FALSE(fetcher.Get());
  EXPECT_EQ(fetcher.StatusMessage(), "Retrieval Denied");
  EXPECT_FALSE(fetcher.Error());
  EXPECT_EQ(fetcher.ResponseText(), "");
}

TEST_F(PageFetcherTest, NotifiesEachStageOfTheRequestInOrder) {
  TWIGetURL fetcher;
  fetcher.SetUrl(server_.Url("/ok"));
  std::vector<int> statuses;
  std::string resolving;
  fetcher.on_status = [&](int status, const std::string& information) {
    statuses.push_back(status);
    if (status == isResolvingName) resolving = information;
  };
  ASSERT_TRUE(fetcher.Get());
  EXPECT_EQ(resolving, "127.0.0.1");
  const std::vector<int> order = {isResolvingName,     isNameResolved,     isConnectingToServer,
                                  isConnectedToServer, isSendingRequest,   isRequestSent,
                                  isReceivingResponse, isResponseReceived, isRequestComplete,
                                  isConnectionClosed,  isHandleClosed};
  auto at = statuses.begin();
  for (int status : order) {
    at = std::find(at, statuses.end(), status);
    ASSERT_NE(at, statuses.end()) << "missing or out of order: " << StatusText(status);
  }

  const std::pair<int, const char*> texts[] = {{10, "Resolving Name"},
                                               {21, "Connected to Server"},
                                               {42, "CTL Response Recieved"},
                                               {110, "Redirect"},
                                               {99, "Unknown StatusCode"}};
  for (const auto& [code, text] : texts) EXPECT_EQ(StatusText(code), text);
}

TEST_F(PageFetcherTest, CancelFromAnotherThreadEndsABlockedRead) {
  struct Case {
    const char* path;
    const char* message;
    int64_t bytes;
  };
  // Before the response: the request was never answered; during the body: reading broke off.
  const Case cases[] = {{"/slow?ms=8000", "Unable to Send HTTP Request", 0},
                        {"/stall", "Retrieval Interrupted", 1000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    TWIGetURL fetcher;
    fetcher.SetUrl(server_.Url(c.path));
    const auto start = Clock::now();
    std::thread canceller([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      fetcher.Cancel();
    });
    EXPECT_FALSE(fetcher.Get());
    canceller.join();
    EXPECT_LT(SecondsSince(start), 4.0);
    EXPECT_TRUE(fetcher.Error());
    EXPECT_EQ(fetcher.StatusMessage(), c.message);
    EXPECT_EQ(fetcher.ByteCount(), c.bytes);
  }
}

TEST_F(PageFetcherTest, TimesOutASilentServer) {
  struct Case {
    const char* path;
    const char* message;
  };
  const Case cases[] = {{"/slow?ms=8000", "Unable to Send HTTP Request"},
                        {"/stall", "Retrieval Interrupted"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    TWIGetURL fetcher;
    fetcher.SetUrl(server_.Url(c.path));
    fetcher.timeout = 1;
    const auto start = Clock::now();
    EXPECT_FALSE(fetcher.Get());
    EXPECT_LT(SecondsSince(start), 5.0);
    EXPECT_TRUE(fetcher.Error());
    EXPECT_EQ(fetcher.StatusMessage(), c.message);
  }
  // Nothing listens on the port: the request cannot be sent, and the library's error stays.
  TWIGetURL fetcher;
  fetcher.SetUrl("http://127.0.0.1:1/ok");
  EXPECT_FALSE(fetcher.Get());
  EXPECT_EQ(fetcher.StatusMessage(), "Unable to Send HTTP Request");
  EXPECT_NE(fetcher.LastError(), 0);
}

TEST(PageFetcherUrl, KeepsTheAddressesSchemeHostAndPort) {
  struct Case {
    const char* url;
    uint16_t port;
    const char* host;
    const char* object;
    const char* request;
  };
  const Case cases[] = {
      {"https://www.example.com/search/find.php?q=quill+pad&x=1", 0, "www.example.com",
       "/search/find.php?q=quill+pad&x=1",
       "https://www.example.com/search/find.php?q=quill+pad&x=1"},
      {"HTTP://Example.com/", 0, "Example.com", "/", "http://Example.com/"},
      {"example.com/a/b/", 0, "example.com", "/a/b/", "http://example.com/a/b/"},
      {"example.com/find?q=a/", 0, "example.com", "/find?q=a/", "http://example.com/find?q=a/"},
      {"http://example.com:8080/p", 0, "example.com:8080", "/p", "http://example.com:8080/p"},
      {"http://example.com:8080/p", 9000, "example.com:8080", "/p", "http://example.com:9000/p"},
      {"https://[::1]:8443/p", 443, "[::1]:8443", "/p", "https://[::1]:443/p"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    TWIGetURL fetcher;
    fetcher.port = c.port;
    fetcher.SetUrl(c.url);
    EXPECT_EQ(fetcher.HostName(), c.host);
    EXPECT_EQ(fetcher.ObjectName(), c.object);
    EXPECT_EQ(fetcher.RequestUrl(), c.request);
  }
}

TEST_F(PageFetcherTest, ThePortSettingOverridesTheAddressesPort) {
  TWIGetURL fetcher;
  fetcher.SetUrl("http://127.0.0.1:1/ok");
  fetcher.port = static_cast<uint16_t>(server_.Port());
  EXPECT_TRUE(fetcher.Get());
  EXPECT_EQ(fetcher.ResponseText(), "Hello, transfer!");
}

}  // namespace
}  // namespace quillora
