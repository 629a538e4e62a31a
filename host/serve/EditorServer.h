#pragma once
// The serve layer, the highest of the host: the HTTP and WebSocket server behind `vtxhost
// serve`, which a host embeds to offer the patch editor. It hands the editor's page to a
// browser and speaks the live session's protocol (host/live/Protocol.h) over a WebSocket.
// It may include every layer below it; nothing below includes it.
//
// Guarded as a notebook server is: it listens on 127.0.0.1 unless told otherwise; every
// request and every WebSocket carries the token printed at start (in the query, or in the
// cookie the page receives with it); the Host header must name the address listened on, and
// a WebSocket's Origin the page's own; requests and messages are bounded in size; modules
// load only from the workspace's folders, and patches open and save only in its patch
// folders (EditorWorkspace.h).
//
// Besides the session's commands the WebSocket takes:
//   files                 the patch files (*.json) of the patch folders
//   open   path           a patch file of the patch folders replaces the session's patch
//   save   path           as the session's, with the path held to the patch folders
// Events reach every connected page, so that several tabs see one session. Values,
// profiling and state are coalesced per block and pin and sent at most 30 times a second;
// messages are sent in order, the last 1 000 kept for a page that is slow.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/patch/PatchFile.h"

namespace vtxhost {

class CKernelServices;
class CEditorWorkspace;
namespace live {
class CSession;
}

struct EditorServerOptions {
    std::string address = "127.0.0.1";
    std::uint16_t port = 0;  // 0: any free port
    std::string token;       // empty: a random one
    std::string webFolder;   // the page's files
    std::size_t maxRequestBytes = 64 * 1024;
    std::size_t maxMessageBytes = 1024 * 1024;
    // Messages waiting for one page beyond which the page is dropped as too slow.
    std::size_t maxQueuedMessages = 4096;
};

class CEditorServer {
public:
    // The server takes the patch into a live session of its own.
    CEditorServer(CKernelServices& kernel, CEditorWorkspace& workspace, LoadedPatch loaded, std::string patchPath,
                  EditorServerOptions options);
    ~CEditorServer();
    CEditorServer(const CEditorServer&) = delete;
    CEditorServer& operator=(const CEditorServer&) = delete;

    std::uint16_t Port() const;
    const std::string& Token() const;
    // Serves until Stop, SIGINT or SIGTERM.
    void Run();
    // From any thread.
    void Stop();
    // The session the pages see, for a host that drives it as well. It is replaced when a
    // page opens another patch.
    live::CSession& Session();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// A random token of 32 hexadecimal digits.
std::string MakeToken();

} // namespace vtxhost
