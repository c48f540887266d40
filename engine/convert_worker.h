// The conversion worker: one batch over the job list, top to bottom, one encoder run per job.
#pragma once

#include "engine/worker_host.h"

namespace engine {

// Pause before each read of the tool's output, and the most read at once.
inline constexpr int kWorkerReadPauseMs = 100;
inline constexpr int kWorkerChunkSize = 256;

// Runs one batch on the calling thread (the front end gives it a thread of its own) and
// returns 1 when it has ended, with the controls restored through the host.
int ConvertWorkerProc(WorkerHost& host);

}  // namespace engine
