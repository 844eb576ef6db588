// Exports of the panel firmware core. The host loads the library, calls
// tft_set_size, runs tft_main on a thread of its own and pushes received bytes
// with tft_push_cmd from any thread. Deterministic hosts instead install their
// own clock with tft_set_clock and drive the loop with tft_step on one thread.
#pragma once

#include <stdint.h>

#if defined(__GNUC__)
#define NIMBREL_EXPORT __attribute__((visibility("default")))
#else
#define NIMBREL_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Runs start-up, then the main loop until tft_exit; returns 0.
NIMBREL_EXPORT int tft_main(void);
// Queues one received byte (low 8 bits of the argument); any thread.
NIMBREL_EXPORT int tft_push_cmd(int byte);
// Reloads the project at the next loop iteration; any thread.
NIMBREL_EXPORT void tft_reset(void);
// Ends the main loop at the end of the current iteration; any thread.
NIMBREL_EXPORT void tft_exit(void);
// Panel size in pixels (low 16 bits of each argument); initially 800 x 480.
NIMBREL_EXPORT void tft_set_size(int width, int height);

// Installs the clock the core reads: now_ms returns milliseconds of a clock
// that never runs backwards, sleep_ms waits (or advances virtual time). Null
// pointers restore the monotonic system clock and real sleeping.
NIMBREL_EXPORT void tft_set_clock(uint32_t (*now_ms)(void), void (*sleep_ms)(uint32_t));
// Runs one main-loop iteration (start-up first when it has not run). Returns 1
// while running, 0 once the exit flag has ended the loop; the next call after
// that starts the core afresh.
NIMBREL_EXPORT int tft_step(void);

#ifdef __cplusplus
}
#endif
