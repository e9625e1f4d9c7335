// Recipe reading, file helpers, hashes, the output cache and the job runner.
#include "Util.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace datagen
{

const std::string& RecipeLine::Word(size_t i) const
{
    if (i >= words.size())
        Fail(file + ":" + std::to_string(line) + ": missing word " + std::to_string(i + 1));
    return words[i];
}

std::string RecipeLine::Get(const std::string& key, const std::string& fallback) const
{
    auto it = values.find(key);
    return it == values.end() ? fallback : it->second;
}

double RecipeLine::Number(const std::string& key, double fallback) const
{
    auto it = values.find(key);
    if (it == values.end())
        return fallback;
    char* end = nullptr;
    double v = std::strtod(it->second.c_str(), &end);
    if (end == it->second.c_str() || *end)
        Fail(file + ":" + std::to_string(line) + ": " + key + " is not a number");
    return v;
}

int RecipeLine::Int(const std::string& key, int fallback) const
{
    return static_cast<int>(Number(key, fallback));
}

namespace
{

std::vector<std::string> SplitWords(const std::string& text, const std::string& where)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (any)
                words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (quoted)
        Fail(where + ": unterminated quote");
    if (any)
        words.push_back(word);
    return words;
}

} // namespace

std::vector<RecipeLine> ReadRecipe(const std::string& path)
{
    std::istringstream in(ReadFile(path));
    std::vector<RecipeLine> lines;
    std::string raw, pending;
    int number = 0, first = 0;
    while (std::getline(in, raw)) {
        ++number;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        size_t hash = raw.find('#');
        // A '#' inside quotes (a colour) is kept: only a '#' at the start of a word starts a comment.
        while (hash != std::string::npos && hash > 0 && raw[hash - 1] != ' ' && raw[hash - 1] != '\t')
            hash = raw.find('#', hash + 1);
        if (hash != std::string::npos)
            raw.erase(hash);
        if (pending.empty())
            first = number;
        if (!raw.empty() && raw.back() == '\\') {
            raw.pop_back();
            pending += raw + " ";
            continue;
        }
        pending += raw;
        std::string where = path + ":" + std::to_string(first);
        std::vector<std::string> words = SplitWords(pending, where);
        if (!words.empty()) {
            RecipeLine line;
            line.file = path;
            line.line = first;
            line.text = pending;
            for (const std::string& w : words) {
                size_t eq = w.find('=');
                if (eq != std::string::npos && eq > 0)
                    line.values[w.substr(0, eq)] = w.substr(eq + 1);
                else
                    line.words.push_back(w);
            }
            lines.push_back(std::move(line));
        }
        pending.clear();
    }
    return lines;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail("cannot read " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void MakeFolders(const std::string& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        Fail("cannot make the folder " + folder + ": " + error.message());
}

bool FileExists(const std::string& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    if (FileExists(path)) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream old;
        old << in.rdbuf();
        if (old.str() == bytes)
            return;
    }
    MakeFolders(fs::path(path).parent_path().string());
    std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            Fail("cannot write " + path);
    }
    fs::rename(temp, path);
}

std::vector<std::string> ListFiles(const std::string& folder, const std::string& suffix)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

uint64_t Hash64(const std::string& bytes, uint64_t seed)
{
    uint64_t h = seed;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

std::string HexOf(uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

void Made(const std::string& name)
{
    static std::mutex lock;
    std::lock_guard<std::mutex> hold(lock);
    std::printf("made %s\n", name.c_str());
    std::fflush(stdout);
}

void Fail(const std::string& message)
{
    throw std::runtime_error(message);
}

bool Cache::Fresh(const std::string& name, const std::string& key, const std::vector<std::string>& outputs) const
{
    if (mFolder.empty())
        return false;
    std::string stored = mFolder + "/" + name + ".key";
    if (!FileExists(stored) || ReadFile(stored) != key)
        return false;
    for (const std::string& out : outputs)
        if (!FileExists(out))
            return false;
    return true;
}

void Cache::Store(const std::string& name, const std::string& key) const
{
    if (!mFolder.empty())
        WriteFile(mFolder + "/" + name + ".key", key);
}

void ParallelFor(int count, int threads, const std::function<void(int)>& job)
{
    std::atomic<int> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto worker = [&] {
        for (int i = next++; i < count; i = next++) {
            try {
                job(i);
            } catch (...) {
                std::lock_guard<std::mutex> lock(failureLock);
                if (!failure)
                    failure = std::current_exception();
                next = count;
            }
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < std::max(1, std::min(threads, count)); ++t)
        pool.emplace_back(worker);
    worker();
    for (std::thread& t : pool)
        t.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace datagen
