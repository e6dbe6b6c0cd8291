// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/stage_stamps.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>
#include <system_error>

namespace platform {
namespace stage_stamps_detail {

std::atomic<bool> on{false};

namespace {
struct Stamp {
    Stage stage;
    int64_t ns;
};
// Written once by StartStageStamps before any stamping thread runs, read
// after they have ended.
std::unique_ptr<Stamp[]> stamps;
size_t capacity = 0;
std::atomic<size_t> next{0};
}  // namespace

void Record(Stage stage) noexcept {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const size_t at = next.fetch_add(1, std::memory_order_relaxed);
    if (at < capacity) stamps[at] = {stage, static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec};
}

}  // namespace stage_stamps_detail

void StartStageStamps(size_t capacity) {
    using namespace stage_stamps_detail;
    stamps = std::make_unique<Stamp[]>(capacity);
    stage_stamps_detail::capacity = capacity;
    next.store(0);
    on.store(true);
}

void WriteStageStamps(const std::string& file) {
    using namespace stage_stamps_detail;
    on.store(false);
    std::FILE* out = std::fopen(file.c_str(), "w");
    if (!out) throw std::system_error(errno, std::generic_category(), "cannot write " + file);
    const size_t count = std::min(next.load(), capacity);
    for (size_t i = 0; i < count; ++i)
        std::fprintf(out, "%d %lld\n", static_cast<int>(stamps[i].stage), static_cast<long long>(stamps[i].ns));
    const bool failed = std::ferror(out) != 0;
    if (std::fclose(out) != 0 || failed) throw std::system_error(EIO, std::generic_category(), "cannot write " + file);
}

}  // namespace platform
