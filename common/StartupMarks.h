// Where the start-up time goes, for tools/bench. A bench build (CMake option
// WANDREL_STARTUP_MARKS) notes the wall-clock time at each mark and, at the last one, writes
// them to the file named by the environment variable WANDREL_STARTUP_MARKS_FILE. In any
// other build a mark is nothing at all: no call, no code, no environment read.
#pragma once

namespace startup {

// The marks, in the order a normal start passes them; the bench prints the time between
// neighbours. Phases a program does not have are simply missing.
constexpr char kWinMain[] = "WinMain";
constexpr char kCommonControls[] = "common controls";
constexpr char kOle[] = "OLE";
constexpr char kSettings[] = "settings read";
constexpr char kForm[] = "form and font";
constexpr char kControl[] = "control and type library";
constexpr char kShown[] = "shown";
constexpr char kFirstPaint[] = "first paint";  // the last mark: the file is written here

#ifdef WANDREL_STARTUP_MARKS
// Notes the time of a mark; only its first pass counts.
void Mark(const char* phase) noexcept;
#define STARTUP_MARK(phase) ::startup::Mark(phase)
#else
#define STARTUP_MARK(phase) ((void)0)
#endif

}  // namespace startup
