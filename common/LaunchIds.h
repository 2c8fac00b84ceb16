// String resources of the launch helpers, in the program's own resources and
// its satellite libraries (resource scripts include this file too).
#pragma once

// Text of the box that reports a launch the shell could not perform; "%s" is
// what failed to start. The helpers carry an English text for programs without it.
#define IDS_LAUNCH_FAILED 300
