#pragma once
// A real HTTPS server on 127.0.0.1 for reader tests: a throw-away certificate
// made with openssl in a temporary folder, and tests/fixtures/https_server.py
// started as a child. The child stops when this object closes its input.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

extern char** environ;

namespace ostrel::testing {

class LocalHttpsServer
{
public:
    LocalHttpsServer()
        : m_folder(std::filesystem::temp_directory_path() / ("ostrel-https-" + std::to_string(std::random_device{}())))
    {
        std::filesystem::create_directories(filesFolder());
        const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1"
                                    " -addext subjectAltName=IP:127.0.0.1 -keyout '"
                                    + (m_folder / "key.pem").string() + "' -out '" + caBundle() + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0) {
            throw std::runtime_error("openssl could not make a test certificate");
        }
        int input[2];
        int output[2];
        if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
            throw std::runtime_error("no pipes for the test server");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], 0);
        posix_spawn_file_actions_adddup2(&actions, output[1], 1);
        const std::string script = std::string(OSTREL_FIXTURES_DIR) + "/https_server.py";
        const std::string cert = caBundle();
        const std::string key = (m_folder / "key.pem").string();
        const std::string files = filesFolder().string();
        char* argv[] = {const_cast<char*>("python3"),
                        const_cast<char*>(script.c_str()),
                        const_cast<char*>(cert.c_str()),
                        const_cast<char*>(key.c_str()),
                        const_cast<char*>(files.c_str()),
                        nullptr};
        const int spawned = posix_spawnp(&m_pid, "python3", &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        ::close(output[1]);
        m_input = input[1];
        std::string line;
        char c = 0;
        while (spawned == 0 && ::read(output[0], &c, 1) == 1 && c != '\n') {
            line += c;
        }
        ::close(output[0]);
        if (spawned != 0 || line.empty()) {
            throw std::runtime_error("the test HTTPS server did not start");
        }
        m_port = std::stoi(line);
    }

    ~LocalHttpsServer()
    {
        ::close(m_input);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    LocalHttpsServer(const LocalHttpsServer&) = delete;
    LocalHttpsServer& operator=(const LocalHttpsServer&) = delete;

    [[nodiscard]] std::string url(const std::string& path) const
    {
        return "https://127.0.0.1:" + std::to_string(m_port) + path;
    }

    [[nodiscard]] std::string caBundle() const
    {
        return (m_folder / "cert.pem").string();
    }

    /// What /file/NAME serves: the file NAME in this folder, read at each request.
    [[nodiscard]] std::filesystem::path filesFolder() const
    {
        return m_folder / "files";
    }

private:
    std::filesystem::path m_folder;
    pid_t m_pid = -1;
    int m_input = -1;
    int m_port = 0;
};

}  // namespace ostrel::testing
