#pragma once
// Records what the benchmark script reads from the measuring builds (the
// measured game and the floor program): main-thread CPU time of every frame,
// worker CPU time of every step, the wall time of the first presented frame.
// Nothing here allocates once Configure has run.

namespace FrameProbe
{
// Thread CPU time of the calling thread, in seconds.
double ThreadCpuSeconds();
// CLOCK_MONOTONIC in seconds: the same clock the script reads before exec.
double MonotonicSeconds();

// warmupFrames are skipped, then measuredFrames are kept; after them
// onDone is called once on the main thread (it writes the report and ends
// the program). measuredFrames 0 records nothing and never calls onDone.
void Configure(int warmupFrames, int measuredFrames, const char* reportPath, void (*onDone)());

// The hooks: frame start and swap on the main thread, steps on the worker.
void FrameStart();
void FrameSwapped();
void StepStart();
void StepEnd();
// The display callback has drawn: the next swap presents a frame.
void MarkDrawn();
// The draw calls of the frame just drawn; the report keeps the largest.
void NoteDraws(int draws);

// Writes the JSON report to the configured path; false (logged) on failure.
bool WriteReport();
} // namespace FrameProbe
