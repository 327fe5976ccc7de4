// How well the window program keeps up, for the benchmarks: with the
// environment variable PICTORA_LOOP_LOG naming a file, a timer of the main
// loop runs every 5 ms and writes each gap between two of its runs longer
// than 25 ms as "stall START LENGTH BUSY" (BUSY: what the main thread ran
// meanwhile; the rest of a gap it waited for a processor another program
// held), and the windows write what they reach
// as "mark TIME WHAT" (milliseconds since the meter started). Without the
// variable nothing is measured or written.
#pragma once

#include <string>

namespace pictora {

// Starts the meter when PICTORA_LOOP_LOG is set; call once the main loop exists.
void start_loop_meter();
// Writes a mark when the meter runs.
void loop_mark(const std::string& what);

}  // namespace pictora
