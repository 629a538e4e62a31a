// vtxhost serve as an attacker meets it: requests without the token or from another page,
// other hosts, oversized and malformed messages, modules and saves outside its folders.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <nlohmann/json.hpp>

namespace {

namespace fs = std::filesystem;
namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = net::ip::tcp;
using Json = nlohmann::json;

// vtxhost serve in a child process, stopped with SIGTERM at the end.
class Server {
public:
    explicit Server(const std::string& arguments) {
        const std::string command = std::string(VTX_HOST_TOOL_PATH) + " serve " + arguments;
        int out[2];
        EXPECT_EQ(pipe(out), 0);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        stream_ = fdopen(out[0], "r");
        char line[512];
        if (stream_ && std::fgets(line, sizeof line, stream_)) {
            std::smatch match;
            const std::string text = line;
            if (std::regex_search(text, match, std::regex(R"(http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]+))"))) {
                port = match[1];
                token = match[2];
            }
        }
    }
    ~Server() {
        Stop();
        if (stream_) std::fclose(stream_);
    }
    // SIGTERM, then the exit status (-1 when it did not exit by itself).
    int Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
            stopped_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            pid_ = -1;
        }
        return stopped_;
    }

    pid_t Pid() const { return pid_; }
    std::string port, token;

private:
    pid_t pid_ = -1;
    int stopped_ = -1;
    FILE* stream_ = nullptr;
};

struct Reply {
    unsigned status;
    std::string body;
    std::string cookie;
};

Reply Get(const Server& server, const std::string& target, const std::string& host = "",
          const std::string& body = "") {
    net::io_context ioc;
    beast::tcp_stream stream(ioc);
    stream.connect(tcp::endpoint(net::ip::make_address("127.0.0.1"), static_cast<unsigned short>(std::stoi(server.port))));
    http::request<http::string_body> request{body.empty() ? http::verb::get : http::verb::post, target, 11};
    request.set(http::field::host, host.empty() ? "127.0.0.1:" + server.port : host);
    request.body() = body;
    request.prepare_payload();
    http::write(stream, request);
    beast::flat_buffer buffer;
    http::response<http::string_body> response;
    beast::error_code error;
    http::read(stream, buffer, response, error);
    return {static_cast<unsigned>(response.result_int()), response.body(), std::string(response[http::field::set_cookie])};
}

// A WebSocket to the server; the handshake's error, if any.
struct Socket {
    net::io_context ioc;
    websocket::stream<tcp::socket> ws{ioc};
    beast::error_code handshake;

    Socket(const Server& server, const std::string& target, const std::string& origin) {
        ws.next_layer().connect(
            tcp::endpoint(net::ip::make_address("127.0.0.1"), static_cast<unsigned short>(std::stoi(server.port))));
        ws.set_option(websocket::stream_base::decorator(
            [origin](websocket::request_type& request) { request.set(http::field::origin, origin); }));
        ws.handshake("127.0.0.1:" + server.port, target, handshake);
    }
    Json Ask(const Json& command) {
        ws.write(net::buffer(command.dump()));
        return ReadAnswer();
    }
    Json ReadAnswer() {
        for (;;) {
            beast::flat_buffer buffer;
            ws.read(buffer);
            Json message = Json::parse(beast::buffers_to_string(buffer.data()));
            if (!message.contains("event")) return message;
        }
    }
};

class Serve : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("vtx-serve-" + std::to_string(getpid()));
        fs::create_directories(folder_ / "outside");
        fs::create_directories(folder_ / "patches");
        fs::copy_file(VTX_MODULE_PATH, folder_ / "outside" / "libBrennick2010.so", fs::copy_options::overwrite_existing);
        std::ofstream(folder_ / "patches" / "foreign.json")
            << R"({"name": "foreign", "modules": ["../outside/libBrennick2010.so"], "blocks": []})";
        std::ofstream(folder_ / "patches" / "busy.json")
            << R"({"name": "busy", "blocks": [{"name": "n", "class": "sequence_source",
                 "parameters": {"values": [1, 2, 3], "repeat": true}}, {"name": "s", "class": "sink"}],
                 "links": [{"from": "n.output", "to": "s.input"}]})";
        std::ofstream(folder_ / "patches" / "plain.json")
            << R"({"name": "plain", "blocks": [{"name": "s", "class": "sink"}]})";
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string Patches() const { return (folder_ / "patches").string(); }
    fs::path folder_;
};

TEST_F(Serve, EveryRequestNeedsTheTokenAndThisServersName) {
    Server server(Patches() + "/plain.json");
    ASSERT_FALSE(server.port.empty()) << "no address printed";
    EXPECT_EQ(Get(server, "/").status, 403u);
    EXPECT_EQ(Get(server, "/?token=" + std::string(server.token.size(), '0')).status, 403u);
    EXPECT_EQ(Get(server, "/api/palette").status, 403u);
    const Reply page = Get(server, "/?token=" + server.token);
    EXPECT_EQ(page.status, 200u);
    EXPECT_NE(page.body.find("<title>vtxhost editor</title>"), std::string::npos);
    EXPECT_NE(page.cookie.find("HttpOnly"), std::string::npos) << page.cookie;
    // A page of another site that resolves its own name to this machine is refused.
    EXPECT_EQ(Get(server, "/?token=" + server.token, "attacker.example:" + server.port).status, 403u);
    // Only plain names of the page's own files are served.
    EXPECT_EQ(Get(server, "/static/..%2f..%2fetc%2fpasswd?token=" + server.token).status, 404u);
    EXPECT_EQ(Get(server, "/static/editor.js?token=" + server.token).status, 200u);
    // Oversized requests are refused, not read.
    EXPECT_EQ(Get(server, "/?token=" + server.token, "", std::string(200 * 1024, 'x')).status, 413u);
}

TEST_F(Serve, TheWebSocketNeedsTheTokenAndThePagesOrigin) {
    Server server(Patches() + "/plain.json");
    ASSERT_FALSE(server.port.empty());
    const std::string origin = "http://127.0.0.1:" + server.port;
    EXPECT_TRUE(Socket(server, "/ws", origin).handshake);
    EXPECT_TRUE(Socket(server, "/ws?token=" + server.token, "http://evil.example").handshake);
    Socket good(server, "/ws?token=" + server.token, origin);
    ASSERT_FALSE(good.handshake) << good.handshake.message();
    const Json described = good.Ask(Json{{"id", 1}, {"cmd", "describe"}});
    EXPECT_EQ(described["ok"], true);
    EXPECT_EQ(described["name"], "plain");

    // Malformed and unknown commands are answered with an error.
    good.ws.write(net::buffer(std::string("{not json")));
    EXPECT_EQ(good.ReadAnswer()["ok"], false);
    EXPECT_EQ(good.Ask(Json{{"id", 2}, {"cmd", "format_disk"}})["ok"], false);

    // A message beyond the bound is not read: the server closes the socket with "too big"
    // (the writer may see the connection drop before the close frame arrives).
    beast::error_code error;
    good.ws.write(net::buffer(std::string(2 * 1024 * 1024, ' ')), error);
    beast::flat_buffer buffer;
    if (!error) good.ws.read(buffer, error);
    ASSERT_TRUE(error) << "the oversized message was taken";
    if (error == websocket::error::closed) EXPECT_EQ(good.ws.reason().code, websocket::close_code::too_big);
    // The server goes on serving other pages.
    Socket next(server, "/ws?token=" + server.token, origin);
    ASSERT_FALSE(next.handshake);
    EXPECT_EQ(next.Ask(Json{{"id", 3}, {"cmd", "status"}})["ok"], true);
}

TEST_F(Serve, ModulesAndSavesStayInsideTheFoldersGivenAtStart) {
    Server server(Patches() + "/plain.json");
    ASSERT_FALSE(server.port.empty());
    Socket page(server, "/ws?token=" + server.token, "http://127.0.0.1:" + server.port);
    ASSERT_FALSE(page.handshake);

    // A patch of the patch folder that names a module elsewhere: the module is not loaded.
    const Json opened = page.Ask(Json{{"id", 1}, {"cmd", "open"}, {"path", "foreign.json"}});
    EXPECT_EQ(opened["ok"], false);
    EXPECT_NE(opened["error"].get<std::string>().find("outside the module folders"), std::string::npos) << opened;

    const Json outside = page.Ask(Json{{"id", 2}, {"cmd", "save"}, {"path", "../outside/x.json"}});
    EXPECT_EQ(outside["ok"], false);
    EXPECT_FALSE(fs::exists(folder_ / "outside" / "x.json"));
    EXPECT_EQ(page.Ask(Json{{"id", 3}, {"cmd", "save"}, {"path", "/etc/vtx.json"}})["ok"], false);
    EXPECT_EQ(page.Ask(Json{{"id", 4}, {"cmd", "save"}, {"path", "../patches/../../" + folder_.filename().string() +
                                                                      "/outside/y.json"}})["ok"],
              false);

    const Json saved = page.Ask(Json{{"id", 5}, {"cmd", "save"}, {"path", "copy.json"}});
    EXPECT_EQ(saved["ok"], true) << saved;
    EXPECT_TRUE(fs::exists(folder_ / "patches" / "copy.json"));
    const Json files = page.Ask(Json{{"id", 6}, {"cmd", "files"}});
    EXPECT_EQ(files["files"].size(), 4u) << files;
    // Reopening a patch of the folder works.
    EXPECT_EQ(page.Ask(Json{{"id", 7}, {"cmd", "open"}, {"path", "copy.json"}})["ok"], true);
}

// Several tabs on one session: what one page changes, the other sees, as events and in
// its own answers.
TEST_F(Serve, TwoPagesSeeOneSession) {
    Server server(Patches() + "/busy.json");
    ASSERT_FALSE(server.port.empty());
    const std::string origin = "http://127.0.0.1:" + server.port;
    Socket watcher(server, "/ws?token=" + server.token, origin);
    Socket editor(server, "/ws?token=" + server.token, origin);
    ASSERT_FALSE(watcher.handshake);
    ASSERT_FALSE(editor.handshake);
    // A page that waits for an event gives up after a while instead of hanging the test.
    const timeval patience{10, 0};
    setsockopt(watcher.ws.next_layer().native_handle(), SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    EXPECT_EQ(watcher.Ask(Json{{"id", 1}, {"cmd", "subscribe"}, {"topic", "state"}})["ok"], true);

    EXPECT_EQ(editor.Ask(Json{{"id", 1}, {"cmd", "add_block"}, {"block", {{"name", "late"}, {"class", "sink"}}}})["ok"],
              true);
    const Json described = watcher.Ask(Json{{"id", 2}, {"cmd", "describe"}});
    std::vector<std::string> names;
    for (const Json& block : described["blocks"]) names.push_back(block["name"]);
    EXPECT_EQ(names, (std::vector<std::string>{"n", "s", "late"})) << described;

    EXPECT_EQ(editor.Ask(Json{{"id", 2}, {"cmd", "start"}})["ok"], true);
    std::string seen;
    for (int i = 0; i < 100 && seen != "running"; ++i) {
        beast::flat_buffer buffer;
        beast::error_code error;
        watcher.ws.read(buffer, error);
        ASSERT_FALSE(error) << "the watching page heard nothing of the start: " << error.message();
        const Json event = Json::parse(beast::buffers_to_string(buffer.data()));
        if (event.value("event", "") == "state") seen = event.value("state", "");
    }
    EXPECT_EQ(seen, "running");
    EXPECT_EQ(watcher.Ask(Json{{"id", 3}, {"cmd", "status"}})["state"], "running");
}

// Resident memory of a process, in KiB.
long ResidentKib(const std::string& pid) {
    std::ifstream status("/proc/" + pid + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

TEST_F(Serve, APageGetsAtMostThirtyValuesASecondFromAPatchRunningFlatOut) {
    Server server(Patches() + "/busy.json");
    ASSERT_FALSE(server.port.empty());
    Socket page(server, "/ws?token=" + server.token, "http://127.0.0.1:" + server.port);
    ASSERT_FALSE(page.handshake);
    EXPECT_EQ(page.Ask(Json{{"id", 1}, {"cmd", "subscribe"}, {"topic", "sinks"}})["ok"], true);
    EXPECT_EQ(page.Ask(Json{{"id", 2}, {"cmd", "pacing"}, {"mode", "fast"}})["ok"], true);
    EXPECT_EQ(page.Ask(Json{{"id", 3}, {"cmd", "start"}})["ok"], true);
    const auto start = std::chrono::steady_clock::now();
    int values = 0;
    std::int64_t lastRound = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(2)) {
        beast::flat_buffer buffer;
        page.ws.read(buffer);
        const Json event = Json::parse(beast::buffers_to_string(buffer.data()));
        if (event.value("event", "") != "value") continue;
        ++values;
        lastRound = event.value("round", std::int64_t{0});
    }
    // Coalesced to the page's 30 updates a second, while the patch ran many more rounds.
    EXPECT_GE(values, 20);
    EXPECT_LE(values, 2 * 31 + 4);
    EXPECT_GT(lastRound, 10 * values) << "the patch did not run flat out";
}

// Whether this tree is built with AddressSanitizer, whose quarantine keeps freed memory
// resident for a while: resident memory then tells nothing about growth.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST_F(Serve, APageThatNeverReadsDoesNotGrowTheServer) {
    if (kAddressSanitizer) GTEST_SKIP() << "resident memory under AddressSanitizer includes its quarantine";
    Server server(Patches() + "/busy.json");
    ASSERT_FALSE(server.port.empty());
    Socket page(server, "/ws?token=" + server.token, "http://127.0.0.1:" + server.port);
    ASSERT_FALSE(page.handshake);
    EXPECT_EQ(page.Ask(Json{{"id", 1}, {"cmd", "subscribe"}, {"topic", "sinks"}})["ok"], true);
    EXPECT_EQ(page.Ask(Json{{"id", 2}, {"cmd", "subscribe"}, {"topic", "profiling"}})["ok"], true);
    EXPECT_EQ(page.Ask(Json{{"id", 3}, {"cmd", "pacing"}, {"mode", "fast"}})["ok"], true);
    EXPECT_EQ(page.Ask(Json{{"id", 4}, {"cmd", "start"}})["ok"], true);
    // From here on the page reads nothing.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const std::string pid = std::to_string(server.Pid());
    const long early = ResidentKib(pid);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const long late = ResidentKib(pid);
    ASSERT_GT(early, 0);
    EXPECT_LT(late - early, 8 * 1024) << "resident memory grew from " << early << " to " << late << " KiB";
}

TEST_F(Serve, StopsCleanlyOnSigterm) {
    Server server(Patches() + "/plain.json");
    ASSERT_FALSE(server.port.empty());
    Socket page(server, "/ws?token=" + server.token, "http://127.0.0.1:" + server.port);
    EXPECT_EQ(page.Ask(Json{{"id", 1}, {"cmd", "start"}})["ok"], true);
    EXPECT_EQ(server.Stop(), 0);
}

} // namespace
