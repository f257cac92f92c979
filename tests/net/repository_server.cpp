#include "net/repository_server.h"

#include <httplib.h>
#include <thread>

#include "site-repository/site_repository.h"

namespace quillora::test {

struct RepositoryServer::Impl {
  std::unique_ptr<TSiteRepository> repository;
  std::unique_ptr<httplib::Server> server;
  std::thread listener;
  int port = 0;
};

RepositoryServer::RepositoryServer() : impl_(std::make_unique<Impl>()) {}

RepositoryServer::~RepositoryServer() {
  Stop();
}

int RepositoryServer::Start(const std::string& folder, const std::string& token,
                            const std::string& redirect) {
  Stop();
  TSiteRepositoryOptions options;
  options.folder = folder;
  options.token = token;
  options.redirect = redirect;
  impl_->repository = std::make_unique<TSiteRepository>(options);
  impl_->server = std::make_unique<httplib::Server>();
  impl_->repository->Attach(*impl_->server);
  // The socket listens from here on: requests made before the loop runs wait in its queue.
  impl_->port = impl_->server->bind_to_any_port("127.0.0.1");
  if (impl_->port <= 0) return impl_->port = 0;
  impl_->listener = std::thread([this] { impl_->server->listen_after_bind(); });
  return impl_->port;
}

void RepositoryServer::Stop() {
  if (!impl_->server) return;
  impl_->server->stop();
  if (impl_->listener.joinable()) impl_->listener.join();
  impl_->server.reset();
  impl_->repository.reset();
}

std::string RepositoryServer::Base() const {
  return "http://127.0.0.1:" + std::to_string(impl_->port) + "/";
}

}  // namespace quillora::test
