// What every reference server's main does around its handlers: stop signals, binding, the ready
// line and a clean stop on Ctrl+C or SIGTERM.
#pragma once

#include <functional>
#include <string>

namespace httplib {
class Server;
}

namespace quillora {

// Blocks SIGINT and SIGTERM in the calling thread. Call it before any thread starts: every
// thread inherits the mask, so only ServeUntilStopped takes the signals.
void BlockStopSignals();

// Binds address:port (port 0: any free port), prints "listening on http://HOST:PORT/" on stdout,
// serves until SIGINT or SIGTERM arrives (or the listener fails), runs before_stop while the
// server still runs, then stops it. 0 after a clean stop; 1 (with a message on stderr) when it
// could not listen or the listener failed.
int ServeUntilStopped(httplib::Server& server, const std::string& address, int port,
                      const std::function<void()>& before_stop = {});

}  // namespace quillora
