// The start-up benchmark's probe: with LEAFTURNER_EXIT_AFTER_FIRST_PAINT set, the first page of the
// book that reaches the screen prints the time since the process started and ends the program.
#pragma once

// Whether this run is the benchmark's.
bool ExitAfterFirstPaintRequested();
// Prints "first-paint-ms: N" to standard output and leaves the event loop with status 0 once control
// returns to it.
void ReportFirstPaintAndExit();
