// SPDX-License-Identifier: MIT
// The usage text: the program's only message to a rejected command line.
#pragma once

// Writes the fixed usage text (40 lines, 1757 bytes) to standard error, one write a line.
// The outcome of the writes is not examined: the caller exits with status 2 regardless.
void write_usage();
