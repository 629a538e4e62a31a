#include "host/serve/EditorServer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <sstream>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

#include "host/kernel/KernelServices.h"
#include "host/live/Protocol.h"
#include "host/live/Session.h"
#include "host/serve/EditorWorkspace.h"

namespace vtxhost {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace fs = std::filesystem;
using tcp = net::ip::tcp;

namespace {

constexpr auto kFlushPeriod = std::chrono::milliseconds(33);
constexpr std::size_t kKeptMessages = 1000;
constexpr const char* kCookie = "vtx_token";

bool SameText(const std::string& a, const std::string& b) {
    // Compared in a time that does not tell how much of a guess was right.
    if (a.size() != b.size()) return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecoded(beast::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

struct Target {
    std::string path;
    std::map<std::string, std::string> query;
};

Target ParseTarget(beast::string_view target) {
    Target parsed;
    const std::size_t mark = target.find('?');
    parsed.path = PercentDecoded(target.substr(0, mark));
    if (mark == beast::string_view::npos) return parsed;
    beast::string_view rest = target.substr(mark + 1);
    while (!rest.empty()) {
        const std::size_t amp = rest.find('&');
        const beast::string_view pair = rest.substr(0, amp);
        const std::size_t eq = pair.find('=');
        parsed.query[PercentDecoded(pair.substr(0, eq))] =
            eq == beast::string_view::npos ? std::string() : PercentDecoded(pair.substr(eq + 1));
        if (amp == beast::string_view::npos) break;
        rest = rest.substr(amp + 1);
    }
    return parsed;
}

std::string CookieValue(beast::string_view header, const std::string& name) {
    std::string text(header);
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find(';', begin);
        if (end == std::string::npos) end = text.size();
        std::string pair = text.substr(begin, end - begin);
        const std::size_t first = pair.find_first_not_of(' ');
        pair = first == std::string::npos ? "" : pair.substr(first);
        const std::size_t eq = pair.find('=');
        if (eq != std::string::npos && pair.substr(0, eq) == name) return pair.substr(eq + 1);
        begin = end + 1;
    }
    return {};
}

std::string ContentType(const fs::path& file) {
    const std::string extension = file.extension().string();
    if (extension == ".html") return "text/html; charset=utf-8";
    if (extension == ".js") return "text/javascript; charset=utf-8";
    if (extension == ".css") return "text/css; charset=utf-8";
    if (extension == ".png") return "image/png";
    if (extension == ".svg") return "image/svg+xml";
    return "application/octet-stream";
}

bool PlainFileName(const std::string& name) {
    if (name.empty() || name[0] == '.') return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
               c == '_';
    });
}

std::string Dump(const Json& message) { return message.dump(-1, ' ', false, Json::error_handler_t::replace); }

} // namespace

std::string MakeToken() {
    std::random_device device;
    std::string token;
    for (int i = 0; i < 4; ++i) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(device()));
        token += part;
    }
    return token;
}

class CEditorServer::Impl {
public:
    Impl(CKernelServices& kernel, CEditorWorkspace& workspace, LoadedPatch loaded, std::string patchPath,
         EditorServerOptions options)
        : kernel_(kernel), workspace_(workspace), options_(std::move(options)), patchPath_(std::move(patchPath)),
          acceptor_(ioc_), flushTimer_(ioc_), signals_(ioc_, SIGINT, SIGTERM) {
        if (options_.token.empty()) options_.token = MakeToken();
        const tcp::endpoint endpoint(net::ip::make_address(options_.address), options_.port);
        acceptor_.open(endpoint.protocol());
        acceptor_.set_option(net::socket_base::reuse_address(true));
        acceptor_.bind(endpoint);
        acceptor_.listen();
        port_ = acceptor_.local_endpoint().port();
        hosts_ = {"127.0.0.1:" + std::to_string(port_), "localhost:" + std::to_string(port_),
                  options_.address + ":" + std::to_string(port_)};
        Adopt(std::move(loaded));
    }

    ~Impl() {
        // The pump delivers what waits into the io queue, which is not run any more.
        pump_.reset();
        protocol_.reset();
        session_.reset();
    }

    std::uint16_t Port() const { return port_; }
    const std::string& Token() const { return options_.token; }
    live::CSession& Session() { return *session_; }

    void Run() {
        signals_.async_wait([this](const beast::error_code& error, int) {
            if (!error) Stop();
        });
        Accept();
        ScheduleFlush();
        ioc_.run();
    }

    void Stop() {
        net::post(ioc_, [this] {
            stopping_ = true;
            beast::error_code ignored;
            acceptor_.close(ignored);
            flushTimer_.cancel();
            signals_.cancel();
            for (const std::shared_ptr<class Page>& page : Pages()) ClosePage(page);
            ioc_.stop();
        });
    }

    class Page;
    class HttpConnection;

    // ---- the session ----

    // The patch becomes the session's; events reach every page from now on.
    void Adopt(LoadedPatch loaded) {
        pump_.reset();
        protocol_.reset();
        session_.reset();
        {
            std::lock_guard<std::mutex> lock(eventsMutex_);
            pending_.clear();
        }
        session_ = std::make_unique<live::CSession>(kernel_, std::move(loaded), live::Pacing::Realtime);
        protocol_ = std::make_unique<live::CProtocol>(*session_);
        // Nothing is subscribed until a page asks: a server no page looks at costs the
        // rounds nothing.
        // Events are coalesced where they arrive, on the pump's thread: however fast the
        // patch runs, what waits for the next flush stays one entry per pin, block and topic.
        pump_ = std::make_unique<live::CEventPump>(session_->Events(), [this](const Json& event) { Queue(event); });
    }

    // An event waits for the next flush: the newest value of a pin, profile of a block and
    // state replace older ones; messages queue, the oldest dropped beyond a bound.
    void Queue(const Json& event) {
        const std::string kind = event.value("event", "");
        std::lock_guard<std::mutex> lock(eventsMutex_);
        if (kind == "message") {
            messages_.push_back(Dump(event));
            if (messages_.size() > kKeptMessages) messages_.pop_front();
            return;
        }
        std::string key = kind;
        if (kind == "value") key += "\n" + event.value("block", "") + "\n" + event.value("pin", "");
        if (kind == "profile") key += "\n" + event.value("block", "");
        pending_[key] = event;
    }

    void ScheduleFlush() {
        flushTimer_.expires_after(kFlushPeriod);
        flushTimer_.async_wait([this](const beast::error_code& error) {
            if (error || stopping_) return;
            Flush();
            ScheduleFlush();
        });
    }

    void Flush() {
        std::map<std::string, Json> pending;
        std::deque<std::string> messages;
        {
            std::lock_guard<std::mutex> lock(eventsMutex_);
            pending.swap(pending_);
            messages.swap(messages_);
        }
        if (pending.empty() && messages.empty()) return;
        std::vector<std::shared_ptr<const std::string>> out;
        for (std::string& message : messages) out.push_back(std::make_shared<const std::string>(std::move(message)));
        for (auto& [key, event] : pending) out.push_back(std::make_shared<const std::string>(Dump(event)));
        for (const std::shared_ptr<Page>& page : Pages())
            for (const auto& message : out) Send(page, message);
    }

    // The answer to one WebSocket message of a page.
    Json Answer(const std::string& text) {
        Json command = Json::parse(text, nullptr, false);
        if (command.is_discarded() || !command.is_object()) return protocol_->HandleLine(text);
        const Json id = command.contains("id") ? command["id"] : Json(nullptr);
        const std::string name = command.contains("cmd") && command["cmd"].is_string() ? command["cmd"].get<std::string>() : "";
        auto refuse = [&](const std::string& reason) {
            return Json{{"id", id}, {"cmd", name}, {"ok", false}, {"error", reason}};
        };
        try {
            if (name == "files") return Json{{"id", id}, {"cmd", name}, {"ok", true}, {"files", Files()}};
            if (name == "save" || name == "open") {
                if (!command.contains("path") || !command["path"].is_string()) return refuse("\"path\" must be a text");
                for (auto it = command.begin(); it != command.end(); ++it)
                    if (it.key() != "cmd" && it.key() != "id" && it.key() != "path")
                        return refuse("\"" + name + "\" takes no field \"" + it.key() + "\"");
                const fs::path path = workspace_.PatchPath(command["path"].get<std::string>(), name == "save");
                if (name == "save") {
                    Json answer = protocol_->Handle(Json{{"cmd", "save"}, {"id", id}, {"path", path.string()}});
                    if (answer.value("ok", false)) patchPath_ = path.string();
                    return answer;
                }
                if (session_->State() != live::SessionState::Stopped) return refuse("stop the patch before opening another");
                LoadedPatch loaded = LoadPatchFile(kernel_, path.string(), workspace_.Opener());
                Adopt(std::move(loaded));
                patchPath_ = path.string();
                Queue(Json{{"event", "opened"}, {"path", patchPath_}});
                return Json{{"id", id}, {"cmd", name}, {"ok", true}, {"path", patchPath_}};
            }
        } catch (const WorkspaceRefusal& e) {
            return refuse(e.what());
        } catch (const PatchError& e) {
            return refuse(e.what());
        } catch (const std::exception& e) {
            return refuse(e.what());
        }
        return protocol_->Handle(command);
    }

    Json Files() const {
        Json files = Json::array();
        for (const fs::path& folder : workspace_.PatchFolders()) {
            std::error_code error;
            std::vector<std::string> names;
            for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
                std::error_code typeError;
                if (it->path().extension() == ".json" && it->is_regular_file(typeError))
                    names.push_back(it->path().string());
            }
            std::sort(names.begin(), names.end());
            for (std::string& name : names) files.push_back(std::move(name));
        }
        return files;
    }

    // ---- pages and connections ----

    std::vector<std::shared_ptr<Page>> Pages() {
        std::vector<std::shared_ptr<Page>> pages;
        for (auto it = pages_.begin(); it != pages_.end();) {
            if (auto page = it->lock()) {
                pages.push_back(page);
                ++it;
            } else {
                it = pages_.erase(it);
            }
        }
        return pages;
    }

    void Send(const std::shared_ptr<Page>& page, std::shared_ptr<const std::string> message);
    void ClosePage(const std::shared_ptr<Page>& page);

    void Accept();

    // Whether the request names this server (against DNS rebinding) and carries the token.
    bool HostAllowed(const http::request<http::string_body>& request) const {
        const std::string host(request[http::field::host]);
        return std::find(hosts_.begin(), hosts_.end(), host) != hosts_.end();
    }
    bool TokenGiven(const http::request<http::string_body>& request, const Target& target) const {
        auto query = target.query.find("token");
        if (query != target.query.end()) return SameText(query->second, options_.token);
        return SameText(CookieValue(request[http::field::cookie], kCookie), options_.token);
    }
    bool OriginAllowed(const http::request<http::string_body>& request) const {
        const std::string origin(request[http::field::origin]);
        return std::any_of(hosts_.begin(), hosts_.end(), [&](const std::string& host) { return origin == "http://" + host; });
    }

    http::response<http::string_body> Respond(const http::request<http::string_body>& request, const Target& target) {
        auto reply = [&](http::status status, std::string body, const std::string& type) {
            http::response<http::string_body> response{status, request.version()};
            response.set(http::field::server, "vtxhost");
            response.set(http::field::content_type, type);
            response.set(http::field::cache_control, "no-store");
            response.set("X-Content-Type-Options", "nosniff");
            response.set("Content-Security-Policy",
                         "default-src 'self'; img-src 'self' data:; connect-src 'self'; style-src 'self' 'unsafe-inline'");
            response.keep_alive(request.keep_alive());
            response.body() = std::move(body);
            response.prepare_payload();
            return response;
        };
        auto text = [&](http::status status, const std::string& message) {
            return reply(status, message + "\n", "text/plain; charset=utf-8");
        };
        if (!HostAllowed(request)) return text(http::status::forbidden, "vtxhost serve: the Host header names another server");
        if (!TokenGiven(request, target))
            return text(http::status::forbidden, "vtxhost serve: a token is required: open the address vtxhost serve printed");
        if (request.method() != http::verb::get && request.method() != http::verb::head)
            return text(http::status::method_not_allowed, "vtxhost serve: only GET is served");
        if (target.path == "/" || target.path == "/index.html") {
            auto response = File("index.html", reply, text);
            response.set(http::field::set_cookie,
                         std::string(kCookie) + "=" + options_.token + "; Path=/; HttpOnly; SameSite=Strict");
            return response;
        }
        if (target.path.rfind("/static/", 0) == 0) return File(target.path.substr(8), reply, text);
        if (target.path == "/api/palette") return reply(http::status::ok, Dump(workspace_.Palette()), "application/json");
        if (target.path == "/api/bitmap") {
            auto catalog = target.query.find("catalog");
            auto klass = target.query.find("class");
            if (catalog == target.query.end() || klass == target.query.end())
                return text(http::status::bad_request, "vtxhost serve: a bitmap is named by catalog and class");
            const auto bitmap = workspace_.Bitmap(catalog->second, klass->second);
            if (!bitmap) return text(http::status::not_found, "vtxhost serve: the class has no bitmap");
            return reply(http::status::ok, std::string(bitmap->begin(), bitmap->end()), "image/bmp");
        }
        return text(http::status::not_found, "vtxhost serve: nothing at " + target.path);
    }

    template <class Reply, class Text>
    http::response<http::string_body> File(const std::string& name, Reply& reply, Text& text) {
        if (!PlainFileName(name)) return text(http::status::not_found, "vtxhost serve: no such file");
        const fs::path path = fs::path(options_.webFolder) / name;
        std::error_code error;
        if (!fs::is_regular_file(path, error)) return text(http::status::not_found, "vtxhost serve: no such file");
        std::ifstream in(path, std::ios::binary);
        std::ostringstream body;
        body << in.rdbuf();
        return reply(http::status::ok, body.str(), ContentType(path));
    }

    CKernelServices& kernel_;
    CEditorWorkspace& workspace_;
    EditorServerOptions options_;
    std::string patchPath_;
    net::io_context ioc_{1};
    tcp::acceptor acceptor_;
    net::steady_timer flushTimer_;
    net::signal_set signals_;
    std::uint16_t port_ = 0;
    std::vector<std::string> hosts_;
    bool stopping_ = false;

    std::unique_ptr<live::CSession> session_;
    std::unique_ptr<live::CProtocol> protocol_;
    std::unique_ptr<live::CEventPump> pump_;
    std::mutex eventsMutex_;  // guards the two below: the pump's thread fills them
    std::map<std::string, Json> pending_;
    std::deque<std::string> messages_;
    std::vector<std::weak_ptr<Page>> pages_;
};

// One page's WebSocket: messages are read one at a time and answered in order; writes
// queue behind each other.
class CEditorServer::Impl::Page : public std::enable_shared_from_this<Page> {
public:
    Page(Impl& server, tcp::socket&& socket) : server_(server), ws_(std::move(socket)) {}

    void Start(http::request<http::string_body> request) {
        ws_.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
        ws_.read_message_max(server_.options_.maxMessageBytes);
        ws_.async_accept(request, [self = shared_from_this()](beast::error_code error) {
            if (error) return;
            self->server_.pages_.push_back(self);
            self->Read();
        });
    }

    void Read() {
        ws_.async_read(buffer_, [self = shared_from_this()](beast::error_code error, std::size_t) {
            if (error) return;  // closed, or a message beyond the bound (closed with 1009)
            if (!self->ws_.got_text()) {
                self->buffer_.consume(self->buffer_.size());
                self->server_.Send(self, std::make_shared<const std::string>(Dump(
                                             Json{{"id", nullptr}, {"cmd", ""}, {"ok", false},
                                                  {"error", "a command must be a text message holding JSON"}})));
                self->Read();
                return;
            }
            const std::string text = beast::buffers_to_string(self->buffer_.data());
            self->buffer_.consume(self->buffer_.size());
            // Events of the command's rounds go before its answer.
            if (self->server_.pump_) self->server_.pump_->Flush();
            const Json answer = self->server_.Answer(text);
            self->server_.Flush();
            self->server_.Send(self, std::make_shared<const std::string>(Dump(answer)));
            self->Read();
        });
    }

    void Write(std::shared_ptr<const std::string> message) {
        if (closing_) return;
        if (queue_.size() >= server_.options_.maxQueuedMessages) {
            // A page that does not read: dropped rather than held in memory without end.
            Close(websocket::close_code::policy_error, "too slow: messages were not read");
            return;
        }
        queue_.push_back(std::move(message));
        if (queue_.size() == 1) WriteNext();
    }

    void WriteNext() {
        ws_.text(true);
        ws_.async_write(net::buffer(*queue_.front()), [self = shared_from_this()](beast::error_code error, std::size_t) {
            if (error) {
                self->queue_.clear();
                self->closing_ = true;
                return;
            }
            self->queue_.pop_front();
            if (!self->queue_.empty()) self->WriteNext();
        });
    }

    void Close(websocket::close_code code, const char* reason) {
        if (closing_) return;
        closing_ = true;
        queue_.clear();
        ws_.async_close(websocket::close_reason(code, reason), [self = shared_from_this()](beast::error_code) {});
    }

private:
    Impl& server_;
    websocket::stream<beast::tcp_stream> ws_;
    beast::flat_buffer buffer_;
    std::deque<std::shared_ptr<const std::string>> queue_;
    bool closing_ = false;
};

void CEditorServer::Impl::Send(const std::shared_ptr<Page>& page, std::shared_ptr<const std::string> message) {
    page->Write(std::move(message));
}

void CEditorServer::Impl::ClosePage(const std::shared_ptr<Page>& page) {
    page->Close(websocket::close_code::going_away, "the server stops");
}

// One HTTP connection: requests answered in turn until it closes or becomes a WebSocket.
class CEditorServer::Impl::HttpConnection : public std::enable_shared_from_this<HttpConnection> {
public:
    HttpConnection(Impl& server, tcp::socket&& socket) : server_(server), stream_(std::move(socket)) {}

    void Start() { Read(); }

private:
    void Read() {
        parser_.emplace();
        parser_->body_limit(server_.options_.maxRequestBytes);
        parser_->header_limit(16 * 1024);
        stream_.expires_after(std::chrono::seconds(30));
        http::async_read(stream_, buffer_, *parser_, [self = shared_from_this()](beast::error_code error, std::size_t) {
            self->OnRead(error);
        });
    }

    void OnRead(beast::error_code error) {
        if (error == http::error::end_of_stream) {
            stream_.socket().shutdown(tcp::socket::shutdown_send, error);
            return;
        }
        if (error == http::error::body_limit || error == http::error::header_limit) {
            http::response<http::string_body> response{http::status::payload_too_large, 11};
            response.set(http::field::content_type, "text/plain; charset=utf-8");
            response.body() = "vtxhost serve: the request is too large\n";
            response.keep_alive(false);
            response.prepare_payload();
            SendResponse(std::move(response));
            return;
        }
        if (error) return;
        http::request<http::string_body> request = parser_->release();
        const Target target = ParseTarget(request.target());
        if (websocket::is_upgrade(request)) {
            if (target.path != "/ws" || !server_.HostAllowed(request) || !server_.TokenGiven(request, target) ||
                !server_.OriginAllowed(request)) {
                http::response<http::string_body> response{http::status::forbidden, request.version()};
                response.set(http::field::content_type, "text/plain; charset=utf-8");
                response.body() = "vtxhost serve: the WebSocket needs the token, and a page of this server\n";
                response.keep_alive(false);
                response.prepare_payload();
                SendResponse(std::move(response));
                return;
            }
            stream_.expires_never();
            std::make_shared<Page>(server_, stream_.release_socket())->Start(std::move(request));
            return;
        }
        SendResponse(server_.Respond(request, target));
    }

    void SendResponse(http::response<http::string_body>&& response) {
        auto held = std::make_shared<http::response<http::string_body>>(std::move(response));
        http::async_write(stream_, *held, [self = shared_from_this(), held](beast::error_code error, std::size_t) {
            if (error) return;
            if (!held->keep_alive()) {
                beast::error_code ignored;
                self->stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
                return;
            }
            self->Read();
        });
    }

    Impl& server_;
    beast::tcp_stream stream_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
};

void CEditorServer::Impl::Accept() {
    acceptor_.async_accept(net::make_strand(ioc_), [this](beast::error_code error, tcp::socket socket) {
        if (stopping_) return;
        if (!error) std::make_shared<HttpConnection>(*this, std::move(socket))->Start();
        Accept();
    });
}

CEditorServer::CEditorServer(CKernelServices& kernel, CEditorWorkspace& workspace, LoadedPatch loaded,
                             std::string patchPath, EditorServerOptions options)
    : impl_(std::make_unique<Impl>(kernel, workspace, std::move(loaded), std::move(patchPath), std::move(options))) {}

CEditorServer::~CEditorServer() = default;

std::uint16_t CEditorServer::Port() const { return impl_->Port(); }
const std::string& CEditorServer::Token() const { return impl_->Token(); }
void CEditorServer::Run() { impl_->Run(); }
void CEditorServer::Stop() { impl_->Stop(); }
live::CSession& CEditorServer::Session() { return impl_->Session(); }

} // namespace vtxhost
