#include "ModelTestUtil.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::string NativePath(const std::string& name) {
    std::string n = name;
#ifndef _WIN32
    for (char& c : n)
        if (c == '\\') c = '/';
#endif
    return n;
}

}  // namespace

ScratchDir::ScratchDir() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path p = fs::temp_directory_path() / ("dp_model_" + std::to_string(stamp) + "_" + std::to_string(counter++));
    fs::create_directories(p);
    m_path = p.string();
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

std::string ScratchDir::File(const std::string& name) const { return m_path + "\\" + name; }

bool ReadWholeFile(const std::string& name, std::string& bytes) {
    std::ifstream in(NativePath(name), std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    bytes = ss.str();
    return true;
}

std::string ReadWholeFile(const std::string& name) {
    std::string b;
    if (!ReadWholeFile(name, b)) throw std::runtime_error("cannot read " + name);
    return b;
}

void WriteWholeFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(NativePath(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + name);
}

bool SplitCrLfLines(const std::string& text, std::vector<std::string>& lines) {
    lines.clear();
    size_t start = 0;
    while (start < text.size()) {
        const size_t cr = text.find("\r\n", start);
        if (cr == std::string::npos) return false;
        const std::string line = text.substr(start, cr - start);
        if (line.find_first_of("\r\n") != std::string::npos) return false;
        lines.push_back(line);
        start = cr + 2;
    }
    return true;
}

std::string DataFile(const std::string& relative) { return std::string(DP_TEST_DATA_DIR) + "/" + relative; }
