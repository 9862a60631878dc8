#include "tests/runtime/TempDir.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::string Native(const std::string& name) {
#ifdef _WIN32
    return name;
#else
    std::string n(name);
    for (char& c : n)
        if (c == '\\') c = '/';
    return n;
#endif
}

}  // namespace

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path p = fs::temp_directory_path() / ("dp_runtime_" + std::to_string(rd()) + "_" + std::to_string(tick) +
                                                  "_" + std::to_string(counter++));
        std::error_code ec;
        if (fs::create_directory(p, ec)) {
            m_path = p.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temp folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(fs::path(m_path), ec);
}

std::string TempDir::File(const std::string& name) const { return m_path + "\\" + name; }

std::string ReadAll(const std::string& name) {
    std::ifstream in(Native(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& name, const std::string& bytes) {
    std::ofstream out(Native(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
