#include "bench/probe/FrameProbe.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace FrameProbe
{
namespace
{
constexpr int MAX_FRAMES = 4096;
constexpr int MAX_STEPS = 16384;
// The first steps run while the scene is being set up.
constexpr int SKIPPED_STEPS = 10;

int warmup = 0;
int wanted = 0;
const char* path = nullptr;
void (*done)() = nullptr;
bool finished = false;

int frameTicks = 0;
int frameCount = 0;
double frameCpu[MAX_FRAMES];
double frameWall[MAX_FRAMES];
double lastCpu = -1.0;
double lastWall = -1.0;

bool drawn = false;
int mostDraws = 0;
double firstPresented = -1.0;

double stepCpu[MAX_STEPS];
std::atomic<int> stepCount{0};
int stepsSeen = 0;
double stepStartCpu = 0.0;

double Seconds(clockid_t clock)
{
    timespec t;
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Summary
{
    int count;
    double median;
    double mean;
    double max;
};

// Sorts a copy in place; values is scratch storage of at least count.
Summary Summarise(const double* source, int count, double* scratch)
{
    Summary s = {count, 0.0, 0.0, 0.0};
    if (count <= 0)
        return s;
    std::copy(source, source + count, scratch);
    std::sort(scratch, scratch + count);
    double sum = 0.0;
    for (int i = 0; i < count; ++i)
        sum += scratch[i];
    s.median = (count % 2) ? scratch[count / 2] : 0.5 * (scratch[count / 2 - 1] + scratch[count / 2]);
    s.mean = sum / count;
    s.max = scratch[count - 1];
    return s;
}

double scratch[MAX_STEPS];

void Print(FILE* f, const char* name, const Summary& s, bool comma)
{
    fprintf(f, "  \"%s\": {\"count\": %d, \"median_ms\": %.4f, \"mean_ms\": %.4f, \"max_ms\": %.4f}%s\n", name, s.count,
            s.median * 1e3, s.mean * 1e3, s.max * 1e3, comma ? "," : "");
}
} // namespace

double ThreadCpuSeconds()
{
    return Seconds(CLOCK_THREAD_CPUTIME_ID);
}

double MonotonicSeconds()
{
    return Seconds(CLOCK_MONOTONIC);
}

void Configure(int warmupFrames, int measuredFrames, const char* reportPath, void (*onDone)())
{
    warmup = warmupFrames > 0 ? warmupFrames : 0;
    wanted = std::min(std::max(measuredFrames, 0), MAX_FRAMES);
    path = reportPath;
    done = onDone;
}

void FrameStart()
{
    const double cpu = ThreadCpuSeconds();
    const double wall = MonotonicSeconds();
    // A tick's cost is everything the main thread did since the last tick
    // began: the timer, the swap, the display callback and the events.
    if (lastCpu >= 0.0 && frameTicks > warmup && frameCount < wanted)
    {
        frameCpu[frameCount] = cpu - lastCpu;
        frameWall[frameCount] = wall - lastWall;
        ++frameCount;
    }
    ++frameTicks;
    lastCpu = cpu;
    lastWall = wall;
    if (wanted > 0 && frameCount >= wanted && !finished)
    {
        finished = true;
        if (done != nullptr)
            done();
    }
}

void FrameSwapped()
{
    if (drawn && firstPresented < 0.0)
        firstPresented = MonotonicSeconds();
}

void MarkDrawn()
{
    drawn = true;
}

void NoteDraws(int draws)
{
    if (draws > mostDraws)
        mostDraws = draws;
}

void StepStart()
{
    stepStartCpu = ThreadCpuSeconds();
}

void StepEnd()
{
    const double cost = ThreadCpuSeconds() - stepStartCpu;
    if (++stepsSeen <= SKIPPED_STEPS)
        return;
    const int n = stepCount.load(std::memory_order_relaxed);
    if (n < MAX_STEPS && wanted > 0 && !finished)
    {
        stepCpu[n] = cost;
        stepCount.store(n + 1, std::memory_order_release);
    }
}

bool WriteReport()
{
    if (path == nullptr)
        return false;
    FILE* f = fopen(path, "w");
    if (f == nullptr)
    {
        fprintf(stderr, "Error: [FrameProbe::WriteReport] cannot write '%s': %s\n", path, strerror(errno));
        return false;
    }
    const int steps = stepCount.load(std::memory_order_acquire);
    fprintf(f, "{\n  \"first_presented\": %.6f,\n  \"draws\": %d,\n", firstPresented, mostDraws);
    Print(f, "frame_cpu", Summarise(frameCpu, frameCount, scratch), true);
    Print(f, "frame_interval", Summarise(frameWall, frameCount, scratch), true);
    Print(f, "step_cpu", Summarise(stepCpu, steps, scratch), false);
    fprintf(f, "}\n");
    const bool ok = fclose(f) == 0;
    if (!ok)
        fprintf(stderr, "Error: [FrameProbe::WriteReport] cannot write '%s'.\n", path);
    return ok;
}
} // namespace FrameProbe
