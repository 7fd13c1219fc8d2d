// A fresh temporary working directory for one test, removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

class ScratchDir {
  public:
    ScratchDir()
    {
        char pattern[] = "/tmp/zephyrion-test-XXXXXX";
        path_ = mkdtemp(pattern);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~ScratchDir()
    {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(path_);
    }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

  private:
    std::string path_;
    std::filesystem::path previous_;
};

inline std::string readText(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeText(const std::string &path, const std::string &text)
{
    std::ofstream(path) << text;
}
