// The download tests' HTTP server on 127.0.0.1: a child process (ormix_http_fixture) that lives
// exactly as long as its owner object, and inside a job that ends it should the test die first.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace ormix::test {

// This build folder's port: the loopback launcher's download base names it.
inline constexpr int kLoopbackPort = ORMIX_TEST_HTTP_PORT;

struct ServerOptions {
  std::string file;       // body of every 200 response
  int status = 200;       // another status: a short text body instead
  int chunk = 16384;      // bytes per send
  int delay_ms = 10;      // pause after each chunk
  int pad = 0;            // zero bytes appended to the file
  int cache_seconds = 0;  // > 0: headers that let the response be cached this long
  long long cut = -1;     // >= 0: the body ends after this many bytes, Content-Length says whole
};

class LoopbackServer {
 public:
  explicit LoopbackServer(const ServerOptions& options);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // False when the server could not start or bind its port (the reason is in error()).
  bool listening() const { return listening_; }
  const std::string& error() const { return error_; }
  // One "METHOD PATH" per request received so far.
  std::vector<std::string> Requests() const;

 private:
  ScratchDir dir_;
  HANDLE job_ = nullptr;
  HANDLE process_ = nullptr;
  bool listening_ = false;
  std::string error_;
};

// "http://127.0.0.1:PORT" followed by path.
std::string LoopbackUrl(const std::string& path);

// The installer URL of a channel ("latest" or "beta") under the loopback launcher's base.
std::string InstallerPath(const std::string& channel);

}  // namespace ormix::test
