#include "support/program_folder.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tamboro {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

void CopyFile(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) throw std::runtime_error("cannot copy " + from + " to " + to + ": " + ec.message());
}

// Reads what is ready on fd into out; false at its end.
bool Drain(int fd, std::string& out) {
  char buffer[65536];
  ssize_t n = read(fd, buffer, sizeof buffer);
  if (n > 0) {
    out.append(buffer, static_cast<size_t>(n));
    return true;
  }
  return n < 0 && (errno == EINTR || errno == EAGAIN);
}

}  // namespace

ProgramFolder::ProgramFolder(const Contents& contents) {
  if (contents.binary.empty() || contents.build_dir.empty()) {
    throw std::runtime_error("ProgramFolder needs the built binary and the build directory");
  }
  std::string pattern = (fs::temp_directory_path() / "tamboro-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) Fail("cannot make a folder from " + pattern);
  dir_ = pattern + "/";
  try {
    CopyFile(contents.binary, Binary());
    fs::permissions(Binary(), fs::perms::owner_all, fs::perm_options::add);
    const std::string build_dir = contents.build_dir + "/";
    if (contents.template_file) CopyFile(build_dir + "5.dat", Path("5.dat"));
    if (contents.config_file) CopyFile(build_dir + "tamboro.cfg", Path("tamboro.cfg"));
  } catch (...) {
    std::error_code ec;
    fs::remove_all(dir_, ec);
    throw;
  }
}

ProgramFolder::~ProgramFolder() {
  std::error_code ec;
  // A test may have made parts read-only; make them removable again.
  for (auto it = fs::recursive_directory_iterator(dir_, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(dir_, ec);
}

std::string ProgramFolder::WriteFile(std::string_view name, std::string_view bytes) const {
  const std::string path = Path(name);
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

std::string ProgramFolder::ReadFile(std::string_view name) const {
  const std::string path = Path(name);
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool ProgramFolder::Exists(std::string_view name) const {
  std::error_code ec;
  return fs::exists(Path(name), ec);
}

std::vector<std::string> ProgramFolder::Files() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
    if (!entry.is_directory()) names.push_back(fs::relative(entry.path(), dir_).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

ProgramRun ProgramFolder::Run(const std::vector<std::string>& args, std::string_view input,
                              int timeout_seconds) const {
  // Standard input from an in-memory file: the program reads it, then its end.
  int in_fd = memfd_create("tamboro-stdin", MFD_CLOEXEC);
  if (in_fd < 0) Fail("memfd_create");
  if (write(in_fd, input.data(), input.size()) != static_cast<ssize_t>(input.size())) {
    close(in_fd);
    Fail("cannot write the standard input");
  }
  lseek(in_fd, 0, SEEK_SET);
  int out_pipe[2];
  int err_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0) Fail("pipe");
  if (pipe2(err_pipe, O_CLOEXEC) != 0) Fail("pipe");

  const std::string binary = Binary();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(binary.c_str()));
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  pid_t pid = fork();
  if (pid < 0) Fail("fork");
  if (pid == 0) {
    // Only async-signal-safe calls from here on.
    if (dup2(in_fd, 0) < 0 || dup2(out_pipe[1], 1) < 0 || dup2(err_pipe[1], 2) < 0 ||
        chdir(dir_.c_str()) != 0) {
      _exit(127);
    }
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
  close(in_fd);
  close(out_pipe[1]);
  close(err_pipe[1]);

  ProgramRun run;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  int open_count = 2;
  while (open_count > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      run.timed_out = true;
      kill(pid, SIGKILL);
      break;
    }
    int ready = poll(fds, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
        if (!Drain(fds[i].fd, *sinks[i])) {
          close(fds[i].fd);
          fds[i].fd = -1;
          --open_count;
        }
      }
    }
  }
  for (auto& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  return run;
}

}  // namespace tamboro
