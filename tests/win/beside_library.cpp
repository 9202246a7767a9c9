// A library that lies only beside the Windows test programs, where the system's ordinary search
// finds it and the loader of system libraries must not.

extern "C" __declspec(dllexport) int GlintoraBesideLibrary() { return 7; }
