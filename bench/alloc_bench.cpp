// Allocate/free throughput of the script region's allocator: small and large block mixes on one
// thread, blocks freed by another thread than the one that made them, and several threads at once.
// Each case reports time per allocate+free pair.
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "foundation/script_memory.h"

namespace {

// Deterministic generator, so every run measures the same sequence of sizes.
struct Lcg {
    uint64_t state;
    explicit Lcg(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ULL + 1) {}
    uint32_t Next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(state >> 33);
    }
    size_t Between(size_t low, size_t high) { return low + Next() % (high - low + 1); }
};

struct SizeRange {
    size_t low, high;
};
constexpr SizeRange kSmall{8, 256};
constexpr SizeRange kLarge{4096, size_t{1} << 20};

// Writes a byte into every page of a block, as its user would, so that memory the allocator hands
// out untouched is paid for here and the cases compare like with like.
void* Touch(void* block, size_t size) {
    auto* bytes = static_cast<volatile uint8_t*>(block);
    for (size_t i = 0; i < size; i += 4096) bytes[i] = 1;
    bytes[size - 1] = 1;
    return block;
}

// A pool of live blocks; each step frees a random one and allocates a replacement, so the heap
// holds a steady working set with holes in it as real programs leave. largePercent of the
// replacements are large blocks.
void RunMix(benchmark::State& state, size_t poolSize, int largePercent, uint64_t seed) {
    Lcg rng(seed);
    auto make = [&] {
        const SizeRange r = static_cast<int>(rng.Next() % 100) < largePercent ? kLarge : kSmall;
        const size_t size = rng.Between(r.low, r.high);
        return Touch(ScriptAlloc(size), size);
    };
    std::vector<void*> pool(poolSize);
    for (void*& p : pool) p = make();
    for (auto _ : state) {
        void*& slot = pool[rng.Next() % poolSize];
        ScriptFree(slot);
        slot = make();
        benchmark::DoNotOptimize(slot);
    }
    for (void* p : pool) ScriptFree(p);
    state.SetItemsProcessed(state.iterations());
}

void BM_SmallMix(benchmark::State& state) {
    RunMix(state, 4096, 0, 1);
}
void BM_LargeMix(benchmark::State& state) {
    RunMix(state, 64, 100, 2);
}
void BM_SmallAndLargeMix(benchmark::State& state) {
    RunMix(state, 1024, 2, 3);
}

// Immediate free of what was just allocated: the shortest path through both operations.
void BM_SmallAllocFree(benchmark::State& state) {
    Lcg rng(4);
    for (auto _ : state) {
        const size_t size = rng.Between(kSmall.low, kSmall.high);
        void* p = Touch(ScriptAlloc(size), size);
        ScriptFree(p);
    }
    state.SetItemsProcessed(state.iterations());
}

// The benchmark thread allocates batches that a second thread frees, as when a script object is
// made on the game thread and released on another one.
class CrossThreadFreer {
  public:
    CrossThreadFreer() : worker_([this] { Run(); }) {}
    ~CrossThreadFreer() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        worker_.join();
    }
    // Hands a batch over; waits while the previous batch is still being freed.
    void Hand(std::vector<void*>& batch) {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&] { return pending_.empty(); });
        pending_.swap(batch);
        wake_.notify_one();
    }
    void Drain() {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&] { return pending_.empty(); });
    }

  private:
    void Run() {
        std::vector<void*> mine;
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return stop_ || !pending_.empty(); });
                if (pending_.empty()) return;
                mine.swap(pending_);
            }
            for (void* p : mine) ScriptFree(p);
            mine.clear();
            done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::vector<void*> pending_;
    bool stop_ = false;
    std::thread worker_;
};

void BM_CrossThreadFree(benchmark::State& state) {
    const size_t batchSize = 256;
    const int largePercent = static_cast<int>(state.range(0));
    Lcg rng(5);
    CrossThreadFreer freer;
    std::vector<void*> batch;
    batch.reserve(batchSize);
    for (auto _ : state) {
        const SizeRange r = static_cast<int>(rng.Next() % 100) < largePercent ? kLarge : kSmall;
        const size_t size = rng.Between(r.low, r.high);
        batch.push_back(Touch(ScriptAlloc(size), size));
        if (batch.size() == batchSize) {
            freer.Hand(batch);
            batch.clear();
        }
    }
    for (void* p : batch) ScriptFree(p);
    freer.Drain();
    state.SetItemsProcessed(state.iterations());
}

// Several threads each running a small-block mix at once.
void BM_SmallMixThreads(benchmark::State& state) {
    RunMix(state, 1024, 0, 10 + static_cast<uint64_t>(state.thread_index()));
}

}  // namespace

BENCHMARK(BM_SmallAllocFree);
BENCHMARK(BM_SmallMix);
BENCHMARK(BM_LargeMix);
BENCHMARK(BM_SmallAndLargeMix);
BENCHMARK(BM_CrossThreadFree)->Arg(0)->Arg(2)->ArgName("largePercent");
BENCHMARK(BM_SmallMixThreads)->Threads(4)->UseRealTime();

BENCHMARK_MAIN();
