#pragma once
// A mark, visible to other processes, that a copy of the program runs: the
// Windows uninstaller looks for it before it removes the programs' files
// (a running copy would keep them). Nothing on Linux, where the package
// manager replaces files that run.

// Held until the process ends; calling it again does nothing more.
void MarkProgramRunning();

// The mark's name on Windows: "Global\KALOFitProbe.Running", seen from every
// session of the machine. The setup program names it as well.
inline constexpr wchar_t kRunningMarkName[] = L"Global\\KALOFitProbe.Running";
