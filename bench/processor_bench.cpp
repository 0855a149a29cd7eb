// Speed of the script processor: a hand-assembled counting loop (sum 1..N with a local variable, a
// compare and a backward jump), the same with the machine's loop operation, a loop of words that
// fuse into nothing, a loop that calls a native method N times, and code that is decoded and run
// once (many short pieces entered once each). After the benchmarks the sum is timed once more as a
// whole, and the same loop is run by an interpreter when one is installed:
//   time lua5.4 -e "local s=0 for i=1,N do s=s+i end"
// For instruction counts that a noisy machine does not disturb, --once=NAME:N runs one case once:
//   valgrind --tool=callgrind build/bench/processor_bench --once=counting:1000000
// (the difference between two N, divided by their difference, is the count per iteration).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "script/operations.h"
#include "script/processor.h"

namespace {

constexpr uint32_t kReturn = 0xFFFFFFFFu;
constexpr uint32_t kNativeVirtual = 2;
// Call word: current object, class 0, virtual method 2.
constexpr uint32_t kCallNative = (1u << 27) | (kNativeVirtual << 16);

// Instruction words and operations of each loop body, per iteration.
constexpr int64_t kCountingLoopWords = 11;
constexpr int64_t kCountingLoopOperations = 9;
constexpr int64_t kTightLoopWords = 8;
constexpr int64_t kTightLoopOperations = 7;

uint64_t g_nativeCalls = 0;
void CountCall(ScriptObject*) {
    ++g_nativeCalls;
}

// sum = 0; for i = 1 while i <= n: sum += i (sum in local slot 0, i on the data stack).
std::vector<uint32_t> CountingLoop(uint32_t n) {
    std::vector<uint32_t> w = {OpWord(Op::PushOne),      OpWord(Op::AllocateLocals),  //
                               OpWord(Op::PushZero),     OpWord(Op::PushZero),
                               OpWord(Op::LocalAddress), OpWord(Op::Store),  //
                               OpWord(Op::PushOne)};
    const auto loop = static_cast<int32_t>(w.size());
    w.insert(w.end(), {OpWord(Op::Dup), OpWord(Op::PushZero), OpWord(Op::LocalAddress),
                       OpWord(Op::AddToMemory), OpWord(Op::Increment), OpWord(Op::Dup),
                       OpWord(Op::PushInline), n, OpWord(Op::LessEqual), OpWord(Op::JumpIfNonZero)});
    w.push_back(static_cast<uint32_t>(loop - static_cast<int32_t>(w.size() + 1)));
    w.insert(w.end(), {OpWord(Op::Drop), OpWord(Op::PushZero), OpWord(Op::LocalAddress), OpWord(Op::Fetch),
                       OpWord(Op::PushOne), OpWord(Op::FreeLocals), kReturn});
    return w;
}

// The same sum with the machine's loop operation: the local's address rides on the return stack,
// and JumpIfNotEqualPushReturn compares, jumps back and brings the address back in one word.
std::vector<uint32_t> TightCountingLoop(uint32_t n) {
    std::vector<uint32_t> w = {OpWord(Op::PushOne),  OpWord(Op::AllocateLocals),  //
                               OpWord(Op::PushZero), OpWord(Op::PushZero),       OpWord(Op::LocalAddress),
                               OpWord(Op::Store),                                                       //
                               OpWord(Op::PushZero), OpWord(Op::LocalAddress),   OpWord(Op::ToReturn),  //
                               OpWord(Op::PushOne),  OpWord(Op::ReturnTop)};
    const auto loop = static_cast<int32_t>(w.size());
    w.insert(w.end(), {OpWord(Op::Over), OpWord(Op::Swap), OpWord(Op::AddToMemory), OpWord(Op::Increment),
                       OpWord(Op::Dup), OpWord(Op::PushInline), n + 1, OpWord(Op::JumpIfNotEqualPushReturn)});
    w.push_back(static_cast<uint32_t>(loop - static_cast<int32_t>(w.size() + 1)));
    w.insert(w.end(),
             {OpWord(Op::Drop), OpWord(Op::DropReturn), OpWord(Op::PushZero), OpWord(Op::LocalAddress),
              OpWord(Op::Fetch), OpWord(Op::PushOne), OpWord(Op::FreeLocals), kReturn});
    return w;
}

// Calls the native method n times.
std::vector<uint32_t> NativeCallLoop(uint32_t n) {
    std::vector<uint32_t> w = {OpWord(Op::PushInline), n};
    const auto loop = static_cast<int32_t>(w.size());
    w.insert(w.end(), {kCallNative, OpWord(Op::Decrement), OpWord(Op::JumpIfNonZeroKeep)});
    w.push_back(static_cast<uint32_t>(loop - static_cast<int32_t>(w.size() + 1)));
    w.push_back(kReturn);
    return w;
}

// x n -> x' with no sequence that fuses: a shuffle and a XOR per round, n counted down and dropped.
std::vector<uint32_t> PlainLoop(uint32_t n) {
    std::vector<uint32_t> w = {OpWord(Op::PushZero), OpWord(Op::PushInline), n};
    const auto loop = static_cast<int32_t>(w.size());
    w.insert(w.end(), {OpWord(Op::Swap), OpWord(Op::Over), OpWord(Op::BitXor), OpWord(Op::Swap),
                       OpWord(Op::Decrement), OpWord(Op::JumpIfNonZeroKeep)});
    w.push_back(static_cast<uint32_t>(loop - static_cast<int32_t>(w.size() + 1)));
    w.push_back(kReturn);
    return w;
}
constexpr int64_t kPlainLoopWords = 7;

// n short pieces of code, each entered once: "PushOne Add" and a jump to the next piece.
std::vector<uint32_t> OnceThrough(uint32_t n) {
    std::vector<uint32_t> w = {OpWord(Op::PushZero)};
    for (uint32_t i = 0; i < n; ++i)
        w.insert(w.end(), {OpWord(Op::PushOne), OpWord(Op::Add), OpWord(Op::Jump), 0});
    w.push_back(kReturn);
    return w;
}

// A processor, a class with one native virtual method, an object of it and code to run.
class Machine {
  public:
    Machine() : processor_(new Processor(nullptr)), class_(new ZEMAClass(processor_.get())) {
        class_->ReserveMethods(4, 3);
        class_->SetVirtualMethod(CountCall, kNativeVirtual);
        object_ = std::make_unique<ScriptObject>(class_.get());
    }
    ~Machine() {
        object_.reset();
        ScriptFree(code_);
    }

    void Load(const std::vector<uint32_t>& words) {
        ScriptFree(code_);
        code_ = static_cast<uint32_t*>(ScriptAlloc(words.size() * 4));
        std::memcpy(code_, words.data(), words.size() * 4);
    }

    void Run() {
        processor_->ClassStack().Push(class_->Address());
        processor_->Run(object_.get(), ToScript(code_));
    }

    Processor& Cpu() { return *processor_; }

  private:
    std::unique_ptr<Processor> processor_;
    std::unique_ptr<ZEMAClass> class_;
    std::unique_ptr<ScriptObject> object_;
    uint32_t* code_ = nullptr;
};

uint32_t ExpectedSum(uint32_t n) {
    return static_cast<uint32_t>(uint64_t{n} * (uint64_t{n} + 1) / 2);
}

void CountingBench(benchmark::State& state, std::vector<uint32_t> (*assemble)(uint32_t), int64_t words,
                   int64_t operations) {
    const auto n = static_cast<uint32_t>(state.range(0));
    Machine machine;
    machine.Load(assemble(n));
    for (auto _ : state) {
        machine.Run();
        const uint32_t sum = machine.Cpu().DataStack().Pop();
        if (sum != ExpectedSum(n)) state.SkipWithError("wrong sum");
        benchmark::DoNotOptimize(sum);
    }
    const double iterations = static_cast<double>(state.iterations()) * n;
    state.counters["instructions/s"] = benchmark::Counter(iterations * words, benchmark::Counter::kIsRate);
    state.counters["operations/s"] = benchmark::Counter(iterations * operations, benchmark::Counter::kIsRate);
    state.counters["time/iteration"] =
        benchmark::Counter(iterations, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_CountingLoop(benchmark::State& state) {
    CountingBench(state, CountingLoop, kCountingLoopWords, kCountingLoopOperations);
}
BENCHMARK(BM_CountingLoop)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_TightCountingLoop(benchmark::State& state) {
    CountingBench(state, TightCountingLoop, kTightLoopWords, kTightLoopOperations);
}
BENCHMARK(BM_TightCountingLoop)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_NativeCallLoop(benchmark::State& state) {
    const auto n = static_cast<uint32_t>(state.range(0));
    Machine machine;
    machine.Load(NativeCallLoop(n));
    for (auto _ : state) {
        g_nativeCalls = 0;
        machine.Run();
        if (g_nativeCalls != n) state.SkipWithError("wrong call count");
    }
    const double calls = static_cast<double>(state.iterations()) * n;
    state.counters["calls/s"] = benchmark::Counter(calls, benchmark::Counter::kIsRate);
    state.counters["time/call"] =
        benchmark::Counter(calls, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_NativeCallLoop)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_PlainLoop(benchmark::State& state) {
    const auto n = static_cast<uint32_t>(state.range(0));
    Machine machine;
    machine.Load(PlainLoop(n));
    for (auto _ : state) {
        machine.Run();
        benchmark::DoNotOptimize(machine.Cpu().DataStack().Pop());
    }
    const double iterations = static_cast<double>(state.iterations()) * n;
    state.counters["instructions/s"] =
        benchmark::Counter(iterations * kPlainLoopWords, benchmark::Counter::kIsRate);
    state.counters["time/iteration"] =
        benchmark::Counter(iterations, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlainLoop)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Fresh code every time (as a newly loaded class's methods): each piece is decoded and run once.
void BM_DecodeHeavy(benchmark::State& state) {
    const auto n = static_cast<uint32_t>(state.range(0));
    Machine machine;
    const std::vector<uint32_t> code = OnceThrough(n);
    for (auto _ : state) {
        machine.Load(code);
        machine.Run();
        if (machine.Cpu().DataStack().Pop() != n) state.SkipWithError("wrong count");
    }
    const double pieces = static_cast<double>(state.iterations()) * n;
    state.counters["pieces/s"] = benchmark::Counter(pieces, benchmark::Counter::kIsRate);
    state.counters["time/piece"] =
        benchmark::Counter(pieces, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DecodeHeavy)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The whole sum at a size an interpreter run can be timed at.
void TimeWholeSum(const char* name, std::vector<uint32_t> (*assemble)(uint32_t), uint32_t n) {
    Machine machine;
    machine.Load(assemble(n));
    const auto start = std::chrono::steady_clock::now();
    machine.Run();
    const auto stop = std::chrono::steady_clock::now();
    const uint32_t sum = machine.Cpu().DataStack().Pop();
    const double seconds = std::chrono::duration<double>(stop - start).count();
    std::printf("%s: sum 1..%u (mod 2^32 = %u) in %.3f s, %.3f ns per iteration\n", name, n, sum, seconds,
                seconds * 1e9 / n);
}

}  // namespace

// --once=NAME:N: the case run once with N rounds; false when the argument names no case.
bool RunOnce(const char* argument) {
    const struct {
        const char* name;
        std::vector<uint32_t> (*assemble)(uint32_t);
    } kCases[] = {{"counting", CountingLoop},
                  {"tight", TightCountingLoop},
                  {"native", NativeCallLoop},
                  {"plain", PlainLoop},
                  {"once", OnceThrough}};
    for (const auto& c : kCases) {
        const size_t length = std::strlen(c.name);
        if (std::strncmp(argument, c.name, length) != 0 || argument[length] != ':') continue;
        const auto n = static_cast<uint32_t>(std::strtoul(argument + length + 1, nullptr, 10));
        Machine machine;
        machine.Load(c.assemble(n));
        machine.Run();
        std::printf("%s %u: top %u\n", c.name, n,
                    machine.Cpu().DataStack().Depth() ? machine.Cpu().DataStack().Pop() : 0);
        return true;
    }
    return false;
}

// The whole sum in Lua 5.4, timed the same way, when the interpreter is installed.
void TimeLua(uint32_t n) {
    char command[160];
    std::snprintf(command, sizeof command, "lua5.4 -e \"local s=0 for i=1,%u do s=s+i end\" 2>/dev/null", n);
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command);
    const auto stop = std::chrono::steady_clock::now();
    if (status != 0) {
        std::printf("lua5.4 not run (exit status %d)\n", status);
        return;
    }
    const double seconds = std::chrono::duration<double>(stop - start).count();
    std::printf("lua5.4: sum 1..%u in %.3f s, %.3f ns per iteration\n", n, seconds, seconds * 1e9 / n);
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--once=", 7) == 0) {
            try {
                return RunOnce(argv[i] + 7) ? 0 : 2;
            } catch (const DExep& e) {
                std::fprintf(stderr, "engine error: %s\n", e.message.Text());
                return 1;
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    try {
        benchmark::RunSpecifiedBenchmarks();
        constexpr uint32_t kWholeSum = 100000000u;
        std::printf("\n");
        TimeWholeSum("counting loop", CountingLoop, kWholeSum);
        TimeWholeSum("tight counting loop", TightCountingLoop, kWholeSum);
        TimeLua(kWholeSum);
    } catch (const DExep& e) {
        std::fprintf(stderr, "engine error: %s\n", e.message.Text());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
