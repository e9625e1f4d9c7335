// Small shared pieces of the data generator: recipe lines, files, hashes and the output cache.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace datagen
{

// One line of a recipe file: positional words, then key=value pairs, in the order written.
struct RecipeLine {
    std::string file;
    int line = 0;
    std::vector<std::string> words;
    std::map<std::string, std::string> values;
    std::string text; // the line as written, part of the cache key

    const std::string& Word(size_t i) const;
    std::string Get(const std::string& key, const std::string& fallback = "") const;
    double Number(const std::string& key, double fallback) const;
    int Int(const std::string& key, int fallback) const;
    bool Has(const std::string& key) const { return values.count(key) != 0; }
};

// Reads a recipe: '#' starts a comment, blank lines are skipped, a trailing '\' continues the line,
// double quotes keep blanks inside a word. Throws std::runtime_error naming file and line.
std::vector<RecipeLine> ReadRecipe(const std::string& path);

std::string ReadFile(const std::string& path);
// Writes only when the bytes differ, so unchanged outputs keep their times; makes the folders.
void WriteFile(const std::string& path, const std::string& bytes);
void MakeFolders(const std::string& folder);
bool FileExists(const std::string& path);
std::vector<std::string> ListFiles(const std::string& folder, const std::string& suffix);

uint64_t Hash64(const std::string& bytes, uint64_t seed = 1469598103934665603ull);
std::string HexOf(uint64_t value);

[[noreturn]] void Fail(const std::string& message);
// Notes on standard output that an output was made (not taken from the cache).
void Made(const std::string& name);

// Skips work whose inputs have not changed since the last run that made the same outputs.
class Cache
{
public:
    Cache(std::string folder) : mFolder(std::move(folder)) {}
    // True when `key` matches the stored key of `name` and every output still exists.
    bool Fresh(const std::string& name, const std::string& key, const std::vector<std::string>& outputs) const;
    void Store(const std::string& name, const std::string& key) const;

private:
    std::string mFolder;
};

// Runs jobs 0..count-1 on up to `threads` threads; the first exception is rethrown after all stop.
void ParallelFor(int count, int threads, const std::function<void(int)>& job);

struct Options {
    std::string src;    // the data folder of the source tree
    std::string out;    // the finished data set
    std::string cache;  // empty: no cache
    std::string review; // the contact sheet and the sound page
    int jobs = 2;
};

} // namespace datagen
