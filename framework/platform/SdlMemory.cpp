// SDL's allocator: the C library's, except for blocks of a frame's size, which go to the surface
// allocator's huge pages. Every block is freed by whoever made it, told apart by a table of the large
// ones (few at any time: the window's frame buffer and SDL's own surfaces of that size).
#include "platform/SdlMemory.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/Surface.h"

namespace Olvarn
{

namespace
{

constexpr size_t kLarge = size_t(1) << 20;

// Never destroyed: SDL frees blocks from the destructors of static objects too (the application's
// window at exit), which may run after this file's statics would be gone.
std::mutex& LargeLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}

std::unordered_map<void*, size_t>& Large()
{
    static auto* blocks = new std::unordered_map<void*, size_t>;
    return *blocks;
}

void* AllocateLarge(size_t bytes)
{
    void* block = nullptr;
    try {
        block = AllocatePixelBytes(bytes);
        std::lock_guard<std::mutex> hold(LargeLock());
        Large().emplace(block, bytes);
    } catch (...) {
        if (block)
            FreePixelBytes(block, bytes);
        return nullptr;
    }
    return block;
}

// The size of a large block, or 0 for the C library's.
size_t LargeSize(void* p)
{
    std::lock_guard<std::mutex> hold(LargeLock());
    auto it = Large().find(p);
    return it == Large().end() ? 0 : it->second;
}

void* SdlMalloc(size_t bytes)
{
    return bytes >= kLarge ? AllocateLarge(bytes) : std::malloc(bytes);
}

void* SdlCalloc(size_t count, size_t size)
{
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
    // Fresh huge pages are zero already.
    return count * size >= kLarge ? AllocateLarge(count * size) : std::calloc(count, size);
}

void SdlFree(void* p)
{
    if (!p)
        return;
    size_t bytes = 0;
    {
        std::lock_guard<std::mutex> hold(LargeLock());
        auto it = Large().find(p);
        if (it != Large().end()) {
            bytes = it->second;
            Large().erase(it);
        }
    }
    if (bytes)
        FreePixelBytes(p, bytes);
    else
        std::free(p);
}

void* SdlRealloc(void* p, size_t bytes)
{
    const size_t old = p ? LargeSize(p) : 0;
    if (!old)
        return std::realloc(p, bytes);
    if (bytes <= old && bytes >= kLarge)
        return p;
    void* moved = SdlMalloc(bytes ? bytes : 1);
    if (!moved)
        return nullptr;
    std::memcpy(moved, p, bytes < old ? bytes : old);
    SdlFree(p);
    return moved;
}

} // namespace

void UseFramePagesForSdl()
{
    static std::once_flag once;
    std::call_once(once, [] { SDL_SetMemoryFunctions(SdlMalloc, SdlCalloc, SdlRealloc, SdlFree); });
}

} // namespace Olvarn
