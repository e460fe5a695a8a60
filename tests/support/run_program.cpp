#include "support/run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace plandrix::testing {

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Quote(const fs::path& path) {
  std::string quoted = "'";
  for (char c : path.string()) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace

RunResult RunProgramIn(const TempFolder& folder, const std::string& input,
                       const RunOptions& options) {
  // The script and the captured output live beside the run folder, not in it, so that
  // the folder holds only what the program wrote.
  TempFolder io;
  const fs::path input_file = io.path() / "stdin";
  const fs::path output_file = io.path() / "stdout";
  {
    std::ofstream out(input_file, std::ios::binary);
    out << input;
  }
  const Files before = folder.ReadAll();
  const std::string command = "cd " + Quote(folder.path()) + " && " +
                              (options.prelude.empty() ? "" : options.prelude + "; ") +
                              "exec timeout -s KILL " + std::to_string(options.timeout_seconds) +
                              " " + Quote(PLANDRIX_BINARY) + " < " + Quote(input_file) + " > " +
                              Quote(output_file);
  const int status = std::system(("/bin/bash -c " + Quote(command)).c_str());
  RunResult result;
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.output = ReadText(output_file);
  result.files = folder.ReadAll();
  for (const auto& [name, bytes] : result.files) {
    auto old = before.find(name);
    if (old == before.end() || old->second != bytes) result.written[name] = bytes;
  }
  return result;
}

RunResult RunProgram(const std::string& input, const Files& files, const RunOptions& options) {
  TempFolder folder;
  for (const auto& [name, bytes] : files) folder.Write(name, bytes);
  return RunProgramIn(folder, input, options);
}

int StartProgram(const std::string& binary, const std::vector<std::string>& args,
                 const TempFolder& folder, const std::string& input) {
  // Everything the child needs is made before fork: after it, only calls that are safe in
  // a copy of a threaded process.
  std::vector<std::string> words = {binary};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const std::string where = folder.path().string();
  int feed[2];
  if (pipe(feed) != 0) throw std::runtime_error("no pipe");
  const pid_t pid = fork();
  if (pid == 0) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal_number, SIG_DFL);
    const int null = open("/dev/null", O_WRONLY);
    if (chdir(where.c_str()) != 0 || dup2(feed[0], 0) < 0 || dup2(null, 1) < 0 ||
        dup2(null, 2) < 0) {
      _exit(127);
    }
    close(feed[0]);
    close(feed[1]);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(feed[0]);
  // A script is far smaller than a pipe's buffer: the write never waits for the child.
  const bool fed =
      pid > 0 && write(feed[1], input.data(), input.size()) == static_cast<ssize_t>(input.size());
  close(feed[1]);
  if (!fed) throw std::runtime_error("cannot start " + binary);
  return pid;
}

int WaitForProgram(int pid, int timeout_seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return status;
}

std::string MenuText() {
  return "Taviks Plandrix - v20140809-0026(v100):\n"
         "-------------------------\n"
         "00 - Close Program\n"
         "01 - Object-Edit-Tool\n"
         "02 - BMP-SWD-Tool\n"
         "03 - Mirror-Map-Tool(WIP)\n"
         "04 - SWD-BMP-Tool(-)\n"
         "05 - Set-Heights-Tool\n"
         "06 - Random-Objects-Tool\n"
         "07 - Random-Heights-Tool(WIP)\n"
         "08 - Random-Map-Tool(WIP)\n"
         "09 - Apply Height-Map(WIP)\n"
         "10 - Random-Resources-Tool(WIP)\n"
         "11 - Info\n"
         "12 - Testingfunctions(Maybe useless for you)\n"
         "What do you want to do: ";
}

std::string QuitText() {
  return MenuText() + "\nHopefully everything went better than expected!\n";
}

}  // namespace plandrix::testing
